#include "platform/atomicfile/AtomicFile.h"
#include "platform/ini/ProfileFile.h"
#include "tests/platform/files/TempPrefix.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace platform;
namespace fs = std::filesystem;
using torvatest::TempPrefix;

class ProfileFileTest : public ::testing::Test {
protected:
    void TearDown() override { platform::testing::SetBeforeRenameHook(nullptr); }

    TempPrefix prefix { "profile" };
    fs::path file = prefix.driveC / "windows" / "torva.ini";
};

TEST_F(ProfileFileTest, MissingFileReadsAsDefaults)
{
    EXPECT_EQ(ReadProfileString(file, "Main", "Enhanced", "dflt"), "dflt");
    EXPECT_EQ(ReadProfileString(file, "Main", "Enhanced", "  one two  "), "  one two") << "trailing blanks go";
    EXPECT_EQ(ReadProfileString(file, "Main", "Enhanced", "x\t"), "x\t") << "a tab is no blank";
    EXPECT_EQ(ReadProfileInt(file, "Main", "Enhanced", 1), 1);
    EXPECT_TRUE(ReadProfileSectionNames(file).empty());
    EXPECT_TRUE(WriteProfileString(file, "Main", "Gone", std::nullopt));
    EXPECT_TRUE(WriteProfileString(file, "Main", std::nullopt, std::nullopt));
    EXPECT_FALSE(fs::exists(file)) << "deleting from nothing creates nothing";
}

TEST_F(ProfileFileTest, NumbersAndLongValues)
{
    TempPrefix::Write(file, "[Main]\r\nDec=42\r\nHex=0x1F\r\nNeg=-3\r\nBad=12abc\r\nEmpty=\r\nLong=" + std::string(5000, 'x') + "\r\n");
    EXPECT_EQ(ReadProfileInt(file, "Main", "Dec", 0), 42);
    EXPECT_EQ(ReadProfileInt(file, "Main", "Hex", 0), 31);
    EXPECT_EQ(ReadProfileInt(file, "Main", "Neg", 0), -3);
    EXPECT_EQ(ReadProfileInt(file, "Main", "Bad", 7), 7);
    EXPECT_EQ(ReadProfileInt(file, "Main", "Empty", 7), 7);
    EXPECT_EQ(ReadProfileInt(file, "Main", "Missing", 7), 7);
    EXPECT_EQ(ReadProfileString(file, "Main", "Long", "").size(), kMaxProfileValueLength);
    EXPECT_EQ(ReadProfileString(file, "Main", "Missing", std::string(3000, 'd')).size(), kMaxProfileValueLength);
}

TEST_F(ProfileFileTest, WritesAreVisibleAtOnceAndEndInCrLf)
{
    ASSERT_TRUE(WriteProfileString(file, "Main", "Language", "1"));
    EXPECT_EQ(ReadProfileString(file, "MAIN", "language", ""), "1");
    ASSERT_TRUE(WriteProfileString(file, "Main", "Slow", "1"));
    ASSERT_TRUE(WriteProfileString(file, "Main", "Slow", "0"));
    EXPECT_EQ(ReadProfileInt(file, "Main", "Slow", 9), 0);
    EXPECT_EQ(TempPrefix::Read(file), "[Main]\r\nLanguage=1\r\nSlow=0\r\n");
    ASSERT_TRUE(WriteProfileString(file, "Main", "Slow", std::nullopt));
    EXPECT_EQ(ReadProfileKeyNames(file, "Main"), std::vector<std::string> { "Language" });
    ASSERT_TRUE(WriteProfileString(file, "main", std::nullopt, std::nullopt));
    EXPECT_TRUE(ReadProfileSectionNames(file).empty());
}

TEST_F(ProfileFileTest, ChangesBehindOurBackAreSeen)
{
    TempPrefix::Write(file, "[A]\nk=1\n");
    EXPECT_EQ(ReadProfileString(file, "A", "k", ""), "1");
    TempPrefix::Write(file, "[A]\nk=22\n");
    EXPECT_EQ(ReadProfileString(file, "A", "k", ""), "22") << "size changed";

    // Same size: the modification time tells.
    auto stamp = fs::last_write_time(file);
    TempPrefix::Write(file, "[A]\nk=33\n");
    fs::last_write_time(file, stamp + std::chrono::seconds(5));
    EXPECT_EQ(ReadProfileString(file, "A", "k", ""), "33");

    // Same size and time but a new file renamed over the old one.
    fs::path other = prefix.driveC / "windows" / "other.ini";
    TempPrefix::Write(other, "[A]\nk=44\n");
    fs::last_write_time(other, stamp + std::chrono::seconds(5));
    fs::rename(other, file);
    EXPECT_EQ(ReadProfileString(file, "A", "k", ""), "44");

    fs::remove(file);
    EXPECT_EQ(ReadProfileString(file, "A", "k", "gone"), "gone");
}

TEST_F(ProfileFileTest, InterruptedWriteLeavesTheOldFile)
{
    const std::string before = "; keep me\r\n[Main]\r\nSlow=0\r\n";
    TempPrefix::Write(file, before);
    platform::testing::SetBeforeRenameHook([](const fs::path& temporary) {
        ASSERT_TRUE(fs::exists(temporary));
        throw std::runtime_error("power cut");
    });
    EXPECT_THROW(WriteProfileString(file, "Main", "Slow", "1"), std::runtime_error);
    platform::testing::SetBeforeRenameHook(nullptr);
    EXPECT_EQ(TempPrefix::Read(file), before);
    EXPECT_EQ(ReadProfileInt(file, "Main", "Slow", 9), 0);
    size_t entries = 0;
    for (auto& entry : fs::directory_iterator(file.parent_path())) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1u) << "no temporary file is left";
}

TEST_F(ProfileFileTest, ConcurrentWritersLoseNoEntries)
{
    constexpr int kWriters = 3;
    constexpr int kKeysEach = 40;
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            bool ok = true;
            for (int k = 0; k < kKeysEach; ++k)
                ok = WriteProfileString(file, "Main", "w" + std::to_string(writer) + "k" + std::to_string(k), "1") && ok;
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(ReadProfileKeyNames(file, "Main").size(), size_t(kWriters * kKeysEach));
}

// A killed writer's temporary file goes with the next write; one whose writer still holds the
// folder's lock stays until that writer is done with it.
TEST_F(ProfileFileTest, KilledWritersTemporaryFilesGoWithTheNextWrite)
{
    TempPrefix::Write(file, "[Main]\r\n");
    const fs::path stale = file.parent_path() / ".torva.ini.x7Qz9a";
    const fs::path unrelated = file.parent_path() / ".torva.ini.backup1";
    TempPrefix::Write(stale, std::string(4096, 'x'));
    TempPrefix::Write(unrelated, "mine");

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int folder = ::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY);
        ::flock(folder, LOCK_EX);
        const fs::path live = file.parent_path() / ".torva.ini.Live01";
        TempPrefix::Write(live, "writing");
        ::write(ready[1], "x", 1);
        ::usleep(300000);
        bool kept = fs::exists(live);
        fs::remove(live);
        ::_exit(kept ? 0 : 1);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_TRUE(WriteProfileString(file, "Main", "k", "1"));
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a live writer's temporary file was removed";
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(unrelated));
}

TEST_F(ProfileFileTest, RefusedWrites)
{
    EXPECT_FALSE(WriteProfileString(prefix.driveC / "missing" / "x.ini", "A", "k", "v"));
    TempPrefix::Write(file, "[A]\r\nk=1\r\n");
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove);
    EXPECT_FALSE(WriteProfileString(file, "A", "k", "2")) << "read-only file";
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_FALSE(WriteProfileString(file, "A", "k", "2\r\n[B]"));
    EXPECT_EQ(TempPrefix::Read(file), "[A]\r\nk=1\r\n");
    if (::geteuid() != 0) {
        fs::permissions(file.parent_path(), fs::perms::owner_write, fs::perm_options::remove);
        EXPECT_FALSE(WriteProfileString(file, "A", "k", "3")) << "read-only folder";
        fs::permissions(file.parent_path(), fs::perms::owner_write, fs::perm_options::add);
    }
}

TEST_F(ProfileFileTest, MalformedFileKeepsWhatItDidNotUnderstand)
{
    const std::string junk = std::string("\x01\x02garbage\0line\n[Broken\n\"unterminated=quote\n[Main]\nk=1\n", 54);
    TempPrefix::Write(file, junk);
    ASSERT_TRUE(WriteProfileString(file, "Main", "k2", "2"));
    EXPECT_EQ(TempPrefix::Read(file), junk + "k2=2\r\n");
}

}
