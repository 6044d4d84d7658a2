#include "platform/files/Files.h"
#include "tests/platform/files/TempPrefix.h"
#include "tests/support/ExpectEach.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <set>
#include <cstring>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

using namespace platform;
namespace fs = std::filesystem;
using torva::test::ExpectEach;
using torvatest::TempPrefix;

class FilesTest : public ::testing::Test {
protected:
    TempPrefix prefix { "files" };

    std::set<std::string> Find(const std::string& pattern, uint32_t attributes)
    {
        std::set<std::string> names;
        TSearchRec rec;
        for (int rc = FindFirst(pattern, attributes, rec); rc == 0; rc = FindNext(rec))
            names.insert(rec.Name);
        FindClose(rec);
        return names;
    }
};

TEST_F(FilesTest, ComponentsMatchWithoutRegardToCase)
{
    TempPrefix::Write(prefix.driveC / "Program Files" / "Hra" / "HRA.EXE", "x");
    TempPrefix::Write(prefix.disc / "DEMOS" / "P\xC5\x99"
                                              "ehled"
            / "setup.exe",
        "y"); // host names are UTF-8

    EXPECT_TRUE(FileExists("C:\\PROGRAM FILES\\hra\\hra.exe"));
    EXPECT_TRUE(FileExists("c:\\program files\\HRA\\Hra.Exe"));
    EXPECT_EQ(ResolveExisting("C:\\program files\\hra\\hra.exe"), prefix.driveC / "Program Files" / "Hra" / "HRA.EXE");
    // An accented capital in the Windows name matches the small letter on the host.
    EXPECT_TRUE(FileExists("e:\\demos\\P\xD8"
                           "EHLED\\SETUP.EXE"));
    EXPECT_TRUE(DirectoryExists("E:\\Demos\\p\xF8"
                                "ehled"));
    EXPECT_FALSE(FileExists("C:\\Program Files\\Hra"));
    EXPECT_TRUE(DirectoryExists("C:\\Program Files\\Hra\\"));
    EXPECT_FALSE(DirectoryExists("C:\\Program Files\\Hra\\HRA.EXE"));
    // The file system ignores trailing blanks and dots of a name.
    EXPECT_TRUE(FileExists("C:\\Program Files\\Hra\\HRA.EXE "));
}

TEST_F(FilesTest, NewEntriesAreFoundRightAfterAListing)
{
    fs::create_directories(prefix.driveC / "Dir");
    EXPECT_FALSE(FileExists("C:\\dir\\new.txt"));
    TempPrefix::Write(prefix.driveC / "Dir" / "New.TXT", "x");
    EXPECT_TRUE(FileExists("C:\\dir\\new.txt"));
    fs::remove(prefix.driveC / "Dir" / "New.TXT");
    EXPECT_FALSE(FileExists("C:\\dir\\new.txt"));
}

TEST_F(FilesTest, EscapesDoNotExistAndAreNeverDeleted)
{
    TempPrefix::Write(prefix.outside / "secret.txt", "keep");
    fs::create_directory_symlink(prefix.outside, prefix.driveC / "link");
    fs::create_symlink(prefix.outside / "secret.txt", prefix.driveC / "secret.lnk");
    // A link that stays inside the drives is followed.
    TempPrefix::Write(prefix.disc / "inside.txt", "ok");
    fs::create_symlink(prefix.disc / "inside.txt", prefix.driveC / "inside.lnk");

    const char* escapes[] = {
        "C:\\link\\secret.txt",
        "C:\\secret.lnk",
        "C:\\..\\..\\outside\\secret.txt",
        "C:\\..\\..\\..\\etc\\passwd",
        "\\\\server\\share\\secret.txt",
        "Q:\\secret.txt",
    };
    for (const char* path : escapes) {
        EXPECT_FALSE(FileExists(path)) << path;
        EXPECT_FALSE(DeleteFile(path)) << path;
        EXPECT_FALSE(ReadWholeFile(path)) << path;
        EXPECT_FALSE(WriteWholeFile(path, "gone")) << path;
        EXPECT_FALSE(SetFileAttributes(path, FILE_ATTRIBUTE_READONLY)) << path;
    }
    EXPECT_FALSE(RemoveDirectory("C:\\link"));
    EXPECT_FALSE(DirectoryExists("C:\\link"));
    EXPECT_FALSE(CreateDirectory("C:\\link\\new"));
    EXPECT_EQ(TempPrefix::Read(prefix.outside / "secret.txt"), "keep");
    EXPECT_FALSE(fs::exists(prefix.outside / "new"));

    EXPECT_EQ(ReadWholeFile("C:\\INSIDE.LNK"), "ok");
    EXPECT_TRUE(DeleteFile("C:\\inside.lnk"));
    EXPECT_TRUE(fs::exists(prefix.disc / "inside.txt")) << "deleting a link removes the link only";
}

// A disc mapped as a folder of links (to hold a label it cannot) reads through its links; the
// disc behind them is part of the drive, nothing else is.
TEST_F(FilesTest, ADiscsFolderOfLinksLeadsIntoTheDiscOnly)
{
    fs::path linked = prefix.base / "linked";
    TempPrefix::Write(linked / "Torva" / "torvaxp.ini", "[Main]");
    fs::create_symlink(prefix.outside / "secret.txt", linked / "escape.lnk");
    TempPrefix::Write(prefix.outside / "secret.txt", "keep");
    char letter = platform::CurrentMachine().MapDisc(linked, "LABEL", std::nullopt, 'F');
    ASSERT_EQ(letter, 'F');
    fs::path volume = platform::CurrentMachine().Drive('F')->target;
    fs::create_symlink(prefix.outside / "secret.txt", volume / "planted.txt");
    // A marker for a drive that is not the prefix's own volume folder counts for nothing.
    fs::create_directories(prefix.driveC / "g");
    fs::create_directory_symlink(prefix.outside, prefix.root / "volumes" / "g.disc");
    fs::create_directory_symlink(prefix.outside, prefix.driveC / "g" / "out");
    fs::create_directory_symlink(prefix.driveC / "g", prefix.root / "dosdevices" / "g:");

    ExpectEach<bool>(FileExists, {
                                     { "F:\\TORVA\\TORVAXP.INI", true },
                                     { "F:\\escape.lnk", false },
                                     { "F:\\planted.txt", false },
                                     { "G:\\out\\secret.txt", false },
                                 });
    EXPECT_EQ(ReadWholeFile("F:\\Torva\\torvaxp.ini"), "[Main]");
}

TEST_F(FilesTest, DriveRootsAreNeverRemoved)
{
    fs::remove_all(prefix.disc);
    fs::create_directories(prefix.disc);
    EXPECT_TRUE(DirectoryExists("E:\\"));
    EXPECT_FALSE(RemoveDirectory("E:\\"));
    EXPECT_FALSE(RemoveDirectory("E:\\.."));
    EXPECT_TRUE(fs::exists(prefix.disc));
}

TEST_F(FilesTest, NulDeviceAnswersForExistingFolders)
{
    fs::create_directories(prefix.driveC / "Games");
    TempPrefix::Write(prefix.driveC / "file.txt", "x");
    EXPECT_TRUE(FileExists("C:\\GAMES\\nul"));
    EXPECT_TRUE(FileExists("C:\\Games\\NUL"));
    EXPECT_FALSE(FileExists("C:\\Missing\\nul"));
    EXPECT_FALSE(FileExists("C:\\file.txt\\nul"));
    EXPECT_FALSE(FileExists("Q:\\Games\\nul"));
    EXPECT_FALSE(DeleteFile("C:\\Games\\nul"));
    EXPECT_FALSE(WriteWholeFile("C:\\Games\\nul", "x"));
}

TEST_F(FilesTest, AttributesFollowTheHost)
{
    TempPrefix::Write(prefix.driveC / "plain.txt", "x");
    TempPrefix::Write(prefix.driveC / ".hidden", "x");
    fs::create_directories(prefix.driveC / "Folder");

    EXPECT_EQ(GetFileAttributes("C:\\plain.txt"), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(GetFileAttributes("C:\\.hidden"), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(GetFileAttributes("C:\\folder"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributes("C:\\"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributes("C:\\none"), INVALID_FILE_ATTRIBUTES);

    ASSERT_TRUE(SetFileAttributes("C:\\PLAIN.TXT", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(GetFileAttributes("C:\\plain.txt"), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(fs::status(prefix.driveC / "plain.txt").permissions() & fs::perms::owner_write, fs::perms::none);
    // Read-only files refuse deletion until the flag is cleared, as the removal helpers expect.
    EXPECT_FALSE(DeleteFile("C:\\plain.txt"));
    EXPECT_TRUE(FileExists("C:\\plain.txt"));
    ASSERT_TRUE(SetFileAttributes("C:\\plain.txt", FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_TRUE(DeleteFile("C:\\plain.txt"));
    EXPECT_FALSE(FileExists("C:\\plain.txt"));
    EXPECT_FALSE(DeleteFile("C:\\folder"));
}

// Clearing the read-only flag before a deletion must not reach through a link: the link goes,
// the file it points at keeps its flag.
TEST_F(FilesTest, AttributesNeverFollowALink)
{
    TempPrefix::Write(prefix.disc / "readonly.txt", "keep");
    fs::permissions(prefix.disc / "readonly.txt", fs::perms::owner_write, fs::perm_options::remove);
    fs::create_symlink(prefix.disc / "readonly.txt", prefix.driveC / "ro.lnk");

    EXPECT_FALSE(SetFileAttributes("C:\\ro.lnk", FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(fs::status(prefix.disc / "readonly.txt").permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_TRUE(DeleteFile("C:\\ro.lnk"));
    EXPECT_FALSE(fs::is_symlink(prefix.driveC / "ro.lnk"));
    EXPECT_EQ(fs::status(prefix.disc / "readonly.txt").permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(TempPrefix::Read(prefix.disc / "readonly.txt"), "keep");
}

TEST_F(FilesTest, HiddenAndSystemFlagsAreKeptInTheExtendedAttribute)
{
    TempPrefix::Write(prefix.driveC / "d" / "MsCreate.Dir", "");
    fs::create_directories(prefix.driveC / "d" / "Sys");
    fs::create_directories(prefix.driveC / "d" / "Plain");
    if (::setxattr((prefix.driveC / "d" / "Plain").c_str(), "user.probe", "1", 1, 0) != 0)
        GTEST_SKIP() << "no extended attributes here";

    ASSERT_TRUE(SetFileAttributes("C:\\d\\mscreate.dir", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributes("C:\\d\\MsCreate.Dir"),
        FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(SetFileAttributes("C:\\d\\Sys", FILE_ATTRIBUTE_SYSTEM));
    EXPECT_EQ(GetFileAttributes("C:\\d\\sys"), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM);
    // Walks that ask for folders only do not enter system folders.
    EXPECT_EQ(Find("C:\\d\\*.*", faDirectory), std::set<std::string> { "Plain" });
    EXPECT_EQ(Find("C:\\d\\*.*", faDirectory | faSysFile | faHidden | faReadOnly),
        (std::set<std::string> { "MsCreate.Dir", "Plain", "Sys" }));

    ASSERT_TRUE(SetFileAttributes("C:\\d\\MsCreate.Dir", FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(GetFileAttributes("C:\\d\\MsCreate.Dir"), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_TRUE(DeleteFile("C:\\d\\MsCreate.Dir"));

    // Values that are not "0x" and hexadecimal digits carry no flags.
    for (const char* junk : { "junk", "0xZZ", "", "0x12345678901234567890123456789012345", "-1" }) {
        ASSERT_EQ(::setxattr((prefix.driveC / "d" / "Plain").c_str(), "user.DOSATTRIB", junk, std::strlen(junk), 0), 0);
        EXPECT_EQ(GetFileAttributes("C:\\d\\Plain") & ~FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_DIRECTORY) << junk;
    }
}

TEST_F(FilesTest, SizesAreSixtyFourBit)
{
    fs::path big = prefix.driveC / "big.bin";
    int fd = ::open(big.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    const off_t size = (off_t(5) << 30) + 7; // sparse: no blocks behind it
    ASSERT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
    EXPECT_EQ(GetFileSize("C:\\BIG.BIN"), uint64_t(size));
    TSearchRec rec;
    ASSERT_EQ(FindFirst("C:\\*.bin", faAnyFile, rec), 0);
    EXPECT_EQ(rec.Name, "big.bin");
    EXPECT_EQ(rec.Size, uint64_t(size));
    FindClose(rec);
}

TEST_F(FilesTest, SearchHonoursAttributesAndMasks)
{
    TempPrefix::Write(prefix.driveC / "d" / "a.txt", "1");
    TempPrefix::Write(prefix.driveC / "d" / "B.EXE", "22");
    TempPrefix::Write(prefix.driveC / "d" / "noext", "3");
    TempPrefix::Write(prefix.driveC / "d" / ".hid", "4");
    fs::create_directories(prefix.driveC / "d" / "sub");
    fs::create_directories(prefix.driveC / "d" / ".hiddendir");
    fs::permissions(prefix.driveC / "d" / "a.txt", fs::perms::owner_write, fs::perm_options::remove);

    using Names = std::set<std::string>;
    EXPECT_EQ(Find("C:\\D\\*.*", faReadOnly | faHidden | faSysFile), (Names { "a.txt", "B.EXE", "noext", ".hid" }));
    EXPECT_EQ(Find("C:\\d\\*.*", faDirectory), (Names { "a.txt", "B.EXE", "noext", "sub" }));
    EXPECT_EQ(Find("C:\\d\\*.*", faAnyFile), (Names { "a.txt", "B.EXE", "noext", ".hid", "sub", ".hiddendir" }));
    EXPECT_EQ(Find("C:\\d\\*.exe", faAnyFile), (Names { "B.EXE" }));
    EXPECT_EQ(Find("C:\\d\\?.TXT", faAnyFile), (Names { "a.txt" }));
    EXPECT_EQ(Find("C:\\d\\noext.*", faAnyFile), (Names { "noext" }));
    EXPECT_EQ(Find("C:\\d\\none*", faAnyFile), Names {});
    EXPECT_EQ(Find("C:\\missing\\*.*", faAnyFile), Names {});

    TSearchRec rec;
    ASSERT_EQ(FindFirst("C:\\d\\a.txt", 0, rec), 0);
    EXPECT_EQ(rec.Attr, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(rec.Size, 1u);
    EXPECT_NE(FindNext(rec), 0);
    FindClose(rec);
    EXPECT_NE(FindNext(rec), 0) << "a closed search finds nothing";
}

TEST_F(FilesTest, SearchSkipsLinksThatLeaveTheDrives)
{
    TempPrefix::Write(prefix.outside / "x.txt", "x");
    fs::create_directories(prefix.driveC / "d");
    fs::create_symlink(prefix.outside / "x.txt", prefix.driveC / "d" / "out.txt");
    fs::create_directory_symlink(prefix.outside, prefix.driveC / "d" / "outdir");
    EXPECT_EQ(Find("C:\\d\\*.*", faAnyFile), std::set<std::string> {});
}

TEST_F(FilesTest, CreateWriteReadAndRemove)
{
    EXPECT_FALSE(CreateDirectory("C:\\a\\b"));
    EXPECT_TRUE(ForceDirectories("C:\\a\\b\\c"));
    EXPECT_TRUE(ForceDirectories("c:\\A\\B\\C\\"));
    EXPECT_TRUE(fs::is_directory(prefix.driveC / "a" / "b" / "c"));
    EXPECT_FALSE(CreateDirectory("C:\\A"));
    EXPECT_TRUE(WriteWholeFile("C:\\A\\B\\file.txt", std::string("one\0two", 7)));
    EXPECT_EQ(ReadWholeFile("c:\\a\\b\\FILE.TXT"), std::string("one\0two", 7));
    EXPECT_TRUE(WriteWholeFile("C:\\A\\B\\FILE.TXT", "new"));
    EXPECT_EQ(TempPrefix::Read(prefix.driveC / "a" / "b" / "file.txt"), "new") << "overwrites the existing spelling";
    EXPECT_FALSE(WriteWholeFile("C:\\A\\missing\\file.txt", "x"));
    EXPECT_FALSE(WriteWholeFile("C:\\A\\B", "x"));
    EXPECT_FALSE(RemoveDirectory("C:\\A\\B"));
    EXPECT_TRUE(DeleteFile("C:\\A\\B\\file.txt"));
    EXPECT_TRUE(RemoveDirectory("C:\\A\\B\\C"));
    EXPECT_TRUE(RemoveDirectory("C:\\a\\b\\"));
    EXPECT_FALSE(DirectoryExists("C:\\a\\b"));
    EXPECT_EQ(ResolveForCreate("c:\\A\\New Folder\\x.ini"), prefix.driveC / "a" / "New Folder" / "x.ini");
    EXPECT_EQ(ResolveForCreate("C:\\a\\missing\\deeper"), prefix.driveC / "a" / "missing" / "deeper");
    TempPrefix::Write(prefix.driveC / "a" / "plain", "x");
    EXPECT_EQ(ResolveForCreate("C:\\a\\plain\\x.ini"), std::nullopt) << "a file is no folder";
}

TEST_F(FilesTest, HostPathsMapBackToDrives)
{
    fs::create_directories(prefix.driveC / "windows" / "Sub");
    EXPECT_EQ(WindowsPathOf(prefix.driveC / "windows" / "Sub"), "C:\\windows\\Sub");
    EXPECT_EQ(WindowsPathOf(prefix.disc), "E:\\");
    EXPECT_EQ(WindowsPathOf(prefix.disc / "P\xC5\x99"
                                          "ehled.txt"),
        "E:\\P\xF8"
        "ehled.txt");
    EXPECT_EQ(WindowsPathOf(prefix.outside), std::nullopt);
    EXPECT_EQ(WindowsPathOf(prefix.driveC / ".." / ".." / "outside"), std::nullopt);
}

}
