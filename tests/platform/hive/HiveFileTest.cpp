#include "platform/hive/HiveFile.h"
#include "platform/hive/RegistryText.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

namespace platform {
namespace {

namespace fs = std::filesystem;

class HiveFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = torva::test::FreshTestFolder("hive");
        m_file = m_folder / "system.reg";
    }
    void Write(const std::string& text) { torva::test::WriteText(m_file, text); }
    std::string Contents() const { return torva::test::ReadText(m_file); }
    size_t FilesInFolder() const { return static_cast<size_t>(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator())); }

    static bool SetA(RegistryFile& file, std::u16string_view text)
    {
        file.SetValue(u"Software\\Test", u"A", 1, RegistryStringBytes(text));
        return true;
    }
    static std::u16string ReadA(HiveFile& hive)
    {
        auto* value = hive.Read().FindValue(u"Software\\Test", u"A");
        return value ? RegistryBytesString(value->data) : u"<missing>";
    }

    fs::path m_folder;
    fs::path m_file;
};

TEST_F(HiveFileTest, MissingFileReadsAsEmptyHiveAndIsMadeByTheFirstWrite)
{
    HiveFile hive(m_file, u"\\Machine", true);
    EXPECT_FALSE(hive.Read().HasSubKeys(u""));
    EXPECT_FALSE(fs::exists(m_file));
    ASSERT_TRUE(hive.Modify([](RegistryFile& file) { return SetA(file, u"1"); }));
    EXPECT_TRUE(Contents().starts_with("WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n"));
    EXPECT_EQ(ReadA(hive), u"1");
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(HiveFileTest, SeesChangesMadeByOthersAndOnlyThen)
{
    Write("WINE REGISTRY Version 2\n\n[Software\\\\Test] 1\n\"A\"=\"first\"\n");
    HiveFile hive(m_file, u"\\Machine");
    EXPECT_EQ(ReadA(hive), u"first");

    // Same size, time and inode: taken as unchanged, so lookups do not parse again.
    auto time = fs::last_write_time(m_file);
    Write("WINE REGISTRY Version 2\n\n[Software\\\\Test] 1\n\"A\"=\"fir5t\"\n");
    fs::last_write_time(m_file, time);
    EXPECT_EQ(ReadA(hive), u"first");

    // Another process replaces the file (as Wine and our own writers do).
    fs::path other = m_folder / "other";
    torva::test::WriteText(other, "WINE REGISTRY Version 2\n\n[Software\\\\Test] 1\n\"A\"=\"second!\"\n");
    fs::rename(other, m_file);
    EXPECT_EQ(ReadA(hive), u"second!");
}

TEST_F(HiveFileTest, ModifyWorksOnTheFileAsItIsNowAndKeepsForeignLines)
{
    Write("WINE REGISTRY Version 2\n\n[Software\\\\Test] 1\n\"A\"=\"x\"\nsomething unknown\n");
    HiveFile hive(m_file, u"\\Machine");
    hive.Read();
    Write("WINE REGISTRY Version 2\n\n[Software\\\\Test] 1\n\"A\"=\"x\"\nsomething unknown\n\"B\"=\"added meanwhile\"\n");
    ASSERT_TRUE(hive.Modify([](RegistryFile& file) {
        file.SetValue(u"Software\\Other", u"C", 4, { 1, 0, 0, 0 });
        return true;
    }));
    std::string text = Contents();
    EXPECT_NE(text.find("\"B\"=\"added meanwhile\""), std::string::npos);
    EXPECT_NE(text.find("something unknown\n"), std::string::npos);
    EXPECT_NE(text.find("[Software\\\\Other]"), std::string::npos);
}

TEST_F(HiveFileTest, FailedRenameLeavesTheOldFileAndNoTemporary)
{
    const std::string original = "WINE REGISTRY Version 2\n\n[Software\\\\Test] 1\n\"A\"=\"old\"\n";
    Write(original);
    HiveFile hive(m_file, u"\\Machine");
    EXPECT_EQ(ReadA(hive), u"old");
    std::string renamedFrom;
    hive.SetRenameForTesting([&](const char* from, const char*) {
        renamedFrom = from;
        // At this point the whole new hive is on disk beside the old one.
        EXPECT_NE(torva::test::ReadText(from).find("\"A\"=\"new\""), std::string::npos);
        return -1;
    });
    EXPECT_FALSE(hive.Modify([](RegistryFile& file) { return SetA(file, u"new"); }));
    EXPECT_EQ(fs::path(renamedFrom).parent_path(), m_folder);
    EXPECT_EQ(Contents(), original);
    EXPECT_EQ(ReadA(hive), u"old");
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(HiveFileTest, AKilledWritersTemporaryFileGoesWithTheNextWrite)
{
    Write("WINE REGISTRY Version 2\n");
    torva::test::WriteText(m_folder / ".system.reg.k1lLed", std::string(4096, 'x'));
    HiveFile hive(m_file, u"\\Machine");
    ASSERT_TRUE(hive.Modify([](RegistryFile& file) { return SetA(file, u"1"); }));
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(HiveFileTest, RefusedChangeWritesNothing)
{
    Write("WINE REGISTRY Version 2\n");
    HiveFile hive(m_file, u"\\Machine");
    auto before = fs::last_write_time(m_file);
    EXPECT_FALSE(hive.Modify([](RegistryFile&) { return false; }));
    EXPECT_EQ(fs::last_write_time(m_file), before);
}

TEST_F(HiveFileTest, MemoryChangesOutliveRereadsUntilDropped)
{
    Write("WINE REGISTRY Version 2\n\n[Software\\\\Test] 1\n\"A\"=\"file\"\n");
    HiveFile hive(m_file, u"\\Machine");
    hive.ApplyInMemory([](RegistryFile& file) { return SetA(file, u"memory"); });
    EXPECT_EQ(ReadA(hive), u"memory");
    EXPECT_EQ(Contents().find("memory"), std::string::npos);
    Write("WINE REGISTRY Version 2\n\n[Software\\\\Test] 1\n\"A\"=\"file\"\n\"B\"=\"1\"\n");
    EXPECT_EQ(ReadA(hive), u"memory");
    EXPECT_TRUE(hive.Read().FindValue(u"Software\\Test", u"B"));
    hive.DropMemoryChanges();
    EXPECT_EQ(ReadA(hive), u"file");
}

TEST_F(HiveFileTest, AnUnreadableFileIsReadAsEmptyAndNeverReplaced)
{
    fs::create_directories(m_file / "inside");
    HiveFile hive(m_file, u"\\Machine");
    EXPECT_FALSE(hive.Read().HasSubKeys(u""));
    bool called = false;
    EXPECT_FALSE(hive.Modify([&](RegistryFile&) { return called = true; }));
    EXPECT_FALSE(called) << "a change is never made on contents that could not be read";
    EXPECT_TRUE(fs::is_directory(m_file / "inside"));
}

}
}
