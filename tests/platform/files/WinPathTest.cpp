#include "platform/files/Files.h"
#include "platform/files/WinPath.h"
#include "tests/platform/files/TempPrefix.h"
#include "tests/support/ExpectEach.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;
using torva::test::ExpectEach;

TEST(WinPathTest, FullPathsFoldAsTheFileSystemWould)
{
    torvatest::TempPrefix prefix("fullpath");
    std::filesystem::create_directories(prefix.driveC / "games" / "x");
    ASSERT_TRUE(SetCurrentDirectory("C:\\"));
    ExpectEach(GetFullPathName, {
                                    { "C:\\Games\\X", "C:\\Games\\X" },
                                    { "c:\\games\\x\\", "c:\\games\\x\\" },
                                    { "C:\\a\\.\\b\\..\\c", "C:\\a\\c" },
                                    { "C:\\..\\..\\..\\etc\\passwd", "C:\\etc\\passwd" },
                                    { "C:\\a\\\\b", "C:\\a\\b" },
                                    { "C:/a/b", "C:\\a\\b" },
                                    { "C:\\", "C:\\" },
                                    { "C:\\x\\..", "C:\\" },
                                    { "/etc/passwd", "C:\\etc\\passwd" },
                                    { "\\\\server\\share\\a\\..\\b", "\\\\server\\share\\b" },
                                    { "", "" },
                                });
    // Relative to the current folder, or to the current folder of the drive named.
    ASSERT_TRUE(SetCurrentDirectory("C:\\games\\x"));
    EXPECT_EQ(GetFullPathName("..\\..\\..\\y"), "C:\\y");
    ASSERT_TRUE(SetCurrentDirectory("C:\\games"));
    ExpectEach(GetFullPathName, {
                                    { "setup.exe", "C:\\games\\setup.exe" },
                                    { "\\root.txt", "C:\\root.txt" },
                                    { "C:sub", "C:\\games\\sub" },
                                    { "E:sub", "E:\\sub" },
                                });
    SetCurrentDirectory("C:\\");
}

TEST(WinPathTest, StoredNamesDropTrailingBlanksAndDots)
{
    EXPECT_EQ(StoredComponentName("SETUP.EXE "), "SETUP.EXE");
    EXPECT_EQ(StoredComponentName("name. . "), "name");
    EXPECT_FALSE(IsValidComponentName("a*b"));
    EXPECT_FALSE(IsValidComponentName(std::string("a\0b", 3)));
    EXPECT_TRUE(IsValidComponentName("P\xF8"
                                     "ehled"));
    EXPECT_TRUE(IsNulDevice("nul"));
    EXPECT_FALSE(IsNulDevice("null"));
}

TEST(WinPathTest, CurrentDirectoryMustExist)
{
    torvatest::TempPrefix prefix("curdir");
    std::filesystem::create_directories(prefix.driveC / "Games");
    EXPECT_FALSE(SetCurrentDirectory("C:\\Missing"));
    EXPECT_EQ(GetCurrentDirectory(), "C:\\");
    EXPECT_TRUE(SetCurrentDirectory("c:\\games\\"));
    EXPECT_EQ(GetCurrentDirectory(), "C:\\games");
    EXPECT_FALSE(SetCurrentDirectory("Q:\\"));
    EXPECT_TRUE(SetCurrentDirectory("C:\\"));
}

}
