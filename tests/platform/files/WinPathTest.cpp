#include "platform/files/Files.h"
#include "platform/files/WinPath.h"
#include "tests/platform/files/TempPrefix.h"

#include "tests/support/RowNames.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;

struct FullPathCase {
    const char* current;
    const char* input;
    const char* expected;
};

class FullPathTest : public ::testing::TestWithParam<FullPathCase> {
protected:
    torvatest::TempPrefix prefix { "fullpath" };
};

TEST_P(FullPathTest, FoldsAsTheFileSystemWould)
{
    const FullPathCase& c = GetParam();
    std::filesystem::create_directories(prefix.driveC / "games" / "x");
    ASSERT_TRUE(SetCurrentDirectory(c.current));
    EXPECT_EQ(GetFullPathName(c.input), c.expected) << c.input;
    SetCurrentDirectory("C:\\");
}

INSTANTIATE_TEST_SUITE_P(Table, FullPathTest,
    ::testing::Values(
        FullPathCase { "C:\\", "C:\\Games\\X", "C:\\Games\\X" },
        FullPathCase { "C:\\", "c:\\games\\x\\", "c:\\games\\x\\" },
        FullPathCase { "C:\\", "C:\\a\\.\\b\\..\\c", "C:\\a\\c" },
        FullPathCase { "C:\\", "C:\\..\\..\\..\\etc\\passwd", "C:\\etc\\passwd" },
        FullPathCase { "C:\\", "C:\\a\\\\b", "C:\\a\\b" },
        FullPathCase { "C:\\", "C:/a/b", "C:\\a\\b" },
        FullPathCase { "C:\\", "C:\\", "C:\\" },
        FullPathCase { "C:\\", "C:\\x\\..", "C:\\" },
        FullPathCase { "C:\\games", "setup.exe", "C:\\games\\setup.exe" },
        FullPathCase { "C:\\games\\x", "..\\..\\..\\y", "C:\\y" },
        FullPathCase { "C:\\games", "\\root.txt", "C:\\root.txt" },
        FullPathCase { "C:\\games", "C:sub", "C:\\games\\sub" },
        FullPathCase { "C:\\games", "E:sub", "E:\\sub" },
        FullPathCase { "C:\\", "/etc/passwd", "C:\\etc\\passwd" },
        FullPathCase { "C:\\", "\\\\server\\share\\a\\..\\b", "\\\\server\\share\\b" },
        FullPathCase { "C:\\", "", "" }),
    RowNumber());

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
