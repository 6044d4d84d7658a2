#include "shelf/LastShelf.h"

#include "platform/ini/ProfileFile.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;
using Folders = std::vector<fs::path>;

namespace {

fs::path StateFileWithSettings()
{
    fs::path file = torva::test::FreshTestFolder("last-shelf") / "torva.ini";
    std::ofstream(file, std::ios::binary) << "[Main]\r\nEnhanced=0\r\n[Shelf]\r\nFolder1=/a\r\nFolder2=/b\r\nFolder3=/c\r\n[CD0206]\r\nHRA=C:\\HRA\r\n";
    platform::FlushProfileCache();
    return file;
}

TEST(LastShelfTest, AShorterListReplacesTheOldOneAndTheMenusSettingsStay)
{
    fs::path file = StateFileWithSettings();
    shelf::LastShelf last(file);
    EXPECT_EQ(last.Folders(), (Folders { "/a", "/b", "/c" }));
    ASSERT_TRUE(last.Remember({ "/shelf one", "/ř" }));
    EXPECT_EQ(last.Folders(), (Folders { "/shelf one", "/ř" }));
    EXPECT_EQ(platform::ReadProfileInt(file, "Main", "Enhanced", 1), 0);
    EXPECT_EQ(platform::ReadProfileString(file, "CD0206", "HRA", ""), "C:\\HRA");
}

TEST(LastShelfTest, AFolderThatCannotBeKeptLeavesTheOldList)
{
    fs::path file = StateFileWithSettings();
    shelf::LastShelf last(file);
    EXPECT_FALSE(last.Remember({ "/fine", "/two\nlines" }));
    EXPECT_EQ(last.Folders(), (Folders { "/a", "/b", "/c" }));
    EXPECT_TRUE(shelf::LastShelf(file.parent_path() / "none.ini").Folders().empty());
}

}
