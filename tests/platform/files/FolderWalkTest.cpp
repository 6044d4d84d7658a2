#include "platform/files/Files.h"
#include "tests/platform/files/TempPrefix.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace platform;
namespace fs = std::filesystem;
using torvatest::TempPrefix;

std::vector<std::string> Names(const FolderWalk& walk, bool folders)
{
    std::vector<std::string> names;
    for (const WalkEntry& entry : walk.Entries()) {
        if (entry.IsFolder == folders)
            names.push_back(entry.Name);
    }
    return names;
}

// The walk must see a folder as the folder searches of the tree walks do: the files of an
// "everything" search and the folders of a folders-only search, in the same order, except
// that linked folders are not offered for entering.
TEST(FolderWalkTest, ListsWhatTheFolderSearchesReturn)
{
    TempPrefix prefix("folderwalk");
    fs::path games = prefix.driveC / "Games";
    TempPrefix::Write(games / "b.txt", "x");
    TempPrefix::Write(games / "A.TXT", "x");
    TempPrefix::Write(games / ".state", "x");
    TempPrefix::Write(games / "P\xC5\x99"
                              "ehled"
            / "x.dat",
        "x");
    TempPrefix::Write(games / "Plain" / "x.dat", "x");
    TempPrefix::Write(games / ".hidden" / "x.dat", "x");
    TempPrefix::Write(games / "System" / "x.dat", "x");
    ASSERT_TRUE(SetFileAttributes("C:\\Games\\System", FILE_ATTRIBUTE_SYSTEM));
    TempPrefix::Write(prefix.outside / "secret.txt", "x");
    fs::create_symlink(prefix.outside / "secret.txt", games / "outside.txt");
    fs::create_symlink(games / "b.txt", games / "inside.txt");
    fs::create_directory_symlink(prefix.driveC / "windows", games / "win");

    auto walk = FolderWalk::Open("c:\\games\\");
    ASSERT_TRUE(walk);
    EXPECT_EQ(Names(*walk, false), (std::vector<std::string> { ".state", "A.TXT", "b.txt", "inside.txt" }));
    EXPECT_EQ(Names(*walk, true), (std::vector<std::string> { "Plain", "P\xF8"
                                                                       "ehled" }));

    std::vector<std::string> searched;
    TSearchRec rec;
    for (int rc = FindFirst("C:\\Games\\*.*", faDirectory, rec); rc == 0; rc = FindNext(rec)) {
        if ((rec.Attr & FILE_ATTRIBUTE_DIRECTORY) && rec.Name != "win")
            searched.push_back(rec.Name);
    }
    FindClose(rec);
    EXPECT_EQ(searched, Names(*walk, true));

    auto entry = [&](const std::string& name) {
        for (const WalkEntry& e : walk->Entries()) {
            if (e.Name == name)
                return e;
        }
        return WalkEntry {};
    };
    auto inner = walk->Enter(entry("Plain"));
    ASSERT_TRUE(inner);
    EXPECT_EQ(Names(*inner, false), std::vector<std::string> { "x.dat" });
    EXPECT_FALSE(walk->Enter(entry("b.txt")));

    fs::remove_all(games / "Plain");
    EXPECT_FALSE(walk->Enter(entry("Plain")));
    EXPECT_FALSE(FolderWalk::Open("C:\\Games\\b.txt"));
    EXPECT_FALSE(FolderWalk::Open("C:\\Missing"));
    EXPECT_FALSE(FolderWalk::Open("Q:\\"));
}

}
