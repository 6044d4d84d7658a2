// Folder operations on real trees in a temporary prefix whose drive C: is a dosdevices link.

#include "shell/FileTree.h"

#include "platform/files/Files.h"
#include "platform/machine/Machine.h"
#include "tests/support/ExistingPaths.h"
#include "tests/support/RecordingUserInterface.h"
#include "tests/support/ExpectEach.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using torva::test::ExpectEach;
using List = std::vector<std::string>;

namespace {

class FileTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = torva::test::FreshTestFolder("filetree");
        driveC = root / "prefix" / "drive_c";
        outside = root / "outside";
        fs::create_directories(driveC / "windows");
        fs::create_directories(driveC / "Program Files" / "Common");
        fs::create_directories(root / "prefix" / "dosdevices");
        fs::create_directories(outside);
        fs::create_directory_symlink("../drive_c", root / "prefix" / "dosdevices" / "c:");
        Write(driveC / "windows" / "win.ini", "x");
        Write(driveC / "Program Files" / "Common" / "keep.dll", "x");
        Write(outside / "precious.txt", "outside the drives");
        platform::SetCurrentMachine(std::make_shared<platform::Machine>(root / "prefix"));

        context.WinVersion = "Windows 95";
        context.WindowsDir = "C:\\WINDOWS\\";
        context.ProgramsDir = "C:\\WINDOWS\\Start Menu\\Programs\\";
        context.dialogs = &dialogs;
        context.cursor = &cursor;
        context.LoadSpecial = [](uint32_t id, const std::string& argument) {
            return id == 127 ? std::string("Nemohu vymazat soubor ") + argument + " !" : std::string();
        };
    }

    void TearDown() override
    {
        for (auto& entry : fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied)) {
            if (!entry.is_symlink())
                fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
        }
        fs::remove_all(root);
    }

    static void Write(const fs::path& path, const std::string& content)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
    }

    static void MakeReadOnly(const fs::path& path)
    {
        fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
            fs::perm_options::remove);
    }

    shell::FileTree Tree() { return shell::FileTree(context); }

    // Files of one byte at `paths` below drive C:.
    void WriteOnC(const List& paths)
    {
        for (const std::string& path : paths)
            Write(driveC / path, "x");
    }
    // Which of `paths`, below drive C:, exist.
    List OnC(const List& paths) const { return torva::test::ExistingPaths(driveC, paths); }

    fs::path root;
    fs::path driveC;
    fs::path outside;
    torva::test::RecordingDialogs boxes;
    platform::Dialogs dialogs { boxes };
    torva::test::RecordingCursor cursor;
    shell::FileTreeContext context;
};

TEST_F(FileTreeTest, DirExistsOnNineXAndNt)
{
    fs::create_directories(driveC / "Games" / "X");
    Write(driveC / "Games" / "file.txt", "x");
    // On Windows NT the check answers yes whatever the path; the table is what 9x answers.
    auto onNineX = [this](const char* path) {
        context.WinVersion = "Windows NT";
        EXPECT_TRUE(Tree().DirExists(path)) << path;
        context.WinVersion = "Windows 98";
        return Tree().DirExists(path);
    };
    ExpectEach<bool>(onNineX, {
                                  { "C:\\", false },
                                  { "C:", false },
                                  { "C:\\Games", true },
                                  { "C:\\Games\\", true },
                                  { "c:\\games\\x", true },
                                  { "C:\\Games\\file.txt", false },
                                  { "C:\\Missing", false },
                                  { "", false },
                              });
}

TEST_F(FileTreeTest, RemoveFileClearsReadOnly)
{
    Write(driveC / "plain.txt", "x");
    Write(driveC / "locked.txt", "x");
    MakeReadOnly(driveC / "locked.txt");
    EXPECT_TRUE(Tree().RemoveFile("C:\\plain.txt"));
    EXPECT_TRUE(Tree().RemoveFile("C:\\LOCKED.TXT"));
    EXPECT_FALSE(fs::exists(driveC / "locked.txt"));
    EXPECT_FALSE(Tree().RemoveFile("C:\\plain.txt"));
}

TEST_F(FileTreeTest, RemoveTreeDeletesEverythingAndItsEmptyParents)
{
    WriteOnC({ "Games/Doom/doom.exe", "Games/Doom/save/slot1.sav", "Games/Doom/readonly.txt" });
    MakeReadOnly(driveC / "Games" / "Doom" / "readonly.txt");
    Tree().RemoveTree("c:\\games\\doom");
    EXPECT_EQ(OnC({ "Games", "windows/win.ini" }), List { "windows/win.ini" });
    EXPECT_TRUE(boxes.errors.empty());
    EXPECT_EQ(cursor.changes, (std::vector<std::string> { "hourglass", "default" }));
}

TEST_F(FileTreeTest, RemoveTreeLeavesHiddenFoldersAndTheirParents)
{
    WriteOnC({ "Games/Doom/doom.exe", "Games/Doom/.hidden/inside.txt", "Games/Other/keep.txt" });
    Tree().RemoveTree("C:\\Games\\Doom\\");
    EXPECT_EQ(OnC({ "Games/Doom/doom.exe", "Games/Doom/.hidden/inside.txt", "Games/Other/keep.txt" }), (List { "Games/Doom/.hidden/inside.txt", "Games/Other/keep.txt" }));
}

TEST_F(FileTreeTest, RemoveTreeRefusesRootsWindowsAndProgramFiles)
{
    const char* refused[] = {
        "C:\\",
        "C:",
        "c:\\",
        "C:\\Program Files",
        "c:\\PROGRAM FILES\\",
        "C:\\WINDOWS",
        "c:\\windows\\",
        "C:\\Program Files\\..\\Windows",
        "C:\\\\WINDOWS",
        "C:\\WINDOWS\\.",
    };
    const List system { "windows/win.ini", "Program Files/Common/keep.dll" };
    for (const char* folder : refused) {
        Tree().RemoveTree(folder);
        EXPECT_EQ(OnC(system), system) << folder;
        EXPECT_TRUE(Tree().IsProtectedFolder(folder)) << folder;
    }
    // The Windows folder as the form names it, whichever way it is spelled.
    context.WindowsDir = "C:\\WINDOWS";
    Tree().RemoveTree("C:\\Windows\\");
    EXPECT_TRUE(fs::exists(driveC / "windows" / "win.ini"));
    EXPECT_TRUE(boxes.errors.empty());
    EXPECT_FALSE(Tree().IsProtectedFolder("C:\\Program Files\\Common"));

    // A 64-bit machine's folder for 32-bit programs, and the system folder, when the form knows them.
    const List guarded { "Program Files (x86)/App/app.exe", "windows/system32/kernel32.dll" };
    WriteOnC(guarded);
    context.ProgramFilesDir = "C:\\Program Files (x86)\\";
    context.SystemDir = "C:\\WINDOWS\\SYSTEM32\\";
    Tree().RemoveTree("c:\\program files (x86)");
    Tree().RemoveTree("C:\\Windows\\System32");
    EXPECT_EQ(OnC(guarded), guarded);
    Tree().RemoveTree("C:\\Program Files (x86)\\App");
    EXPECT_FALSE(fs::exists(driveC / "Program Files (x86)" / "App"));
}

TEST_F(FileTreeTest, LinksOutOfTheDriveDeleteNothingOutside)
{
    fs::create_directories(outside / "tree");
    Write(outside / "tree" / "deep.txt", "x");
    Write(driveC / "Games" / "Trap" / "own.txt", "x");
    fs::create_directory_symlink(outside / "tree", driveC / "Games" / "Trap" / "linkdir");
    fs::create_symlink(outside / "precious.txt", driveC / "Games" / "Trap" / "link.txt");
    Tree().RemoveTree("C:\\Games\\Trap");
    EXPECT_TRUE(fs::exists(outside / "precious.txt"));
    EXPECT_TRUE(fs::exists(outside / "tree" / "deep.txt"));
    EXPECT_FALSE(fs::exists(driveC / "Games" / "Trap" / "own.txt"));
    EXPECT_EQ(Tree().SizeofTree("C:\\Games\\Trap"), 0);
}

// A host name the code page cannot spell reaches the menu as "?" and cannot be deleted by it.
// Links inside the drives are not entered either: one into the Windows folder must not empty it,
// and one back up the tree must not send the walks round in circles.
TEST_F(FileTreeTest, LinksInsideTheDrivesAreNotEntered)
{
    Write(driveC / "Games" / "Linked" / "own.txt", "x");
    fs::create_directory_symlink(driveC / "windows", driveC / "Games" / "Linked" / "win");
    fs::create_directory_symlink("..", driveC / "Games" / "Linked" / "loop");
    Write(driveC / "Games" / "Other" / "target.dat", "12345");

    EXPECT_EQ(Tree().SizeofTree("C:\\Games"), 1 + 5);
    EXPECT_EQ(Tree().SearchTree("C:\\Games\\Linked", "win.ini"), "");
    EXPECT_EQ(Tree().SearchTree("C:\\Games\\Linked", "target.dat"), "");
    EXPECT_EQ(Tree().SearchTree("C:\\Games\\Linked", "win.ini/"), "");
    Tree().RemoveTree("C:\\Games\\Linked");
    EXPECT_EQ(OnC({ "windows/win.ini", "Games/Other/target.dat", "Games/Linked/own.txt" }), (List { "windows/win.ini", "Games/Other/target.dat" }));

    // A folder reached through a link is searched as itself.
    fs::create_directory_symlink(driveC / "Games" / "Other", driveC / "Shortcut");
    EXPECT_EQ(Tree().SearchTree("C:\\Shortcut", "target.dat"), "C:\\Shortcut\\");
    Write(driveC / "Games" / "Other" / "sub" / "deep.dat", "x");
    EXPECT_EQ(Tree().SearchTree("C:\\Shortcut", "deep.dat"), "C:\\Shortcut\\sub\\");
    // Removing it would empty the folder it leads to.
    Tree().RemoveTree("C:\\Shortcut");
    const List behindTheLink { "Games/Other/target.dat", "Games/Other/sub/deep.dat" };
    EXPECT_EQ(OnC(behindTheLink), behindTheLink);
}

TEST_F(FileTreeTest, UndeletableFilesAreReportedAndTheRestGoes)
{
    WriteOnC({ "Games/Stuck/a.txt", "Games/Stuck/\xD0\xB6.txt", "Games/Stuck/c.txt" });
    Tree().RemoveTree("C:\\Games\\Stuck");
    EXPECT_EQ(OnC({ "Games/Stuck/a.txt", "Games/Stuck/c.txt" }), List {});
    ASSERT_EQ(boxes.errors.size(), 1u);
    EXPECT_EQ(boxes.errors[0], "Nemohu vymazat soubor C:\\Games\\Stuck\\?.txt !");
    EXPECT_TRUE(fs::exists(driveC / "Games" / "Stuck"));

    // Without a string table the box still names the file.
    context.LoadSpecial = nullptr;
    Tree().RemoveTree("C:\\Games\\Stuck");
    ASSERT_EQ(boxes.errors.size(), 2u);
    EXPECT_EQ(boxes.errors[1], "Can't delete C:\\Games\\Stuck\\?.txt");
}

TEST_F(FileTreeTest, RemoveTreeClimbsOnlyWhereTheGuardAllows)
{
    WriteOnC({ "Games/A/B/Doom/doom.exe" });
    List asked;
    Tree().RemoveTree("C:\\Games\\A\\B\\Doom", [&](const std::string& folder) {
        asked.push_back(folder);
        return folder != "C:\\Games\\A";
    });
    EXPECT_EQ(OnC({ "Games/A/B", "Games/A" }), List { "Games/A" });
    EXPECT_EQ(asked, (List { "C:\\Games\\A\\B", "C:\\Games\\A" }));
}

TEST_F(FileTreeTest, DeleteEmptyBranchClimbsToTheRoot)
{
    fs::create_directories(driveC / "Games" / "A" / "B");
    Write(driveC / "Games" / "A" / "MsCreate.Dir", "");
    MakeReadOnly(driveC / "Games" / "A" / "MsCreate.Dir");
    Tree().DeleteEmptyBranch("C:\\Games\\A\\B");
    EXPECT_FALSE(fs::exists(driveC / "Games"));
    EXPECT_TRUE(fs::exists(driveC));

    fs::create_directories(driveC / "Games" / "A" / "B");
    Write(driveC / "Games" / "keep.txt", "x");
    Tree().DeleteEmptyBranch("C:\\Games\\A\\B\\");
    EXPECT_EQ(OnC({ "Games/A", "Games/keep.txt" }), List { "Games/keep.txt" });
}

TEST_F(FileTreeTest, RemoveStartFolder)
{
    WriteOnC({ "WINDOWS/Start Menu/Programs/Games/Doom/Doom.lnk", "WINDOWS/Start Menu/Programs/Other.lnk" });
    Tree().RemoveStartFolder("");
    Tree().RemoveStartFolder(" ");
    EXPECT_TRUE(fs::exists(driveC / "WINDOWS" / "Start Menu" / "Programs" / "Games" / "Doom" / "Doom.lnk"));
    Tree().RemoveStartFolder("Games\\Doom");
    EXPECT_EQ(OnC({ "WINDOWS/Start Menu/Programs/Games", "WINDOWS/Start Menu/Programs/Other.lnk" }), List { "WINDOWS/Start Menu/Programs/Other.lnk" });
}

TEST_F(FileTreeTest, SizeofTreeIsSixtyFourBit)
{
    Write(driveC / "Big" / "a.bin", std::string(1000, 'a'));
    Write(driveC / "Big" / "sub" / "b.bin", std::string(24, 'b'));
    Write(driveC / "Big" / ".hidden" / "c.bin", std::string(5000, 'c'));
    Write(driveC / "Big" / ".dotfile", std::string(7, 'd'));
    EXPECT_EQ(Tree().SizeofTree("C:\\Big"), 1000 + 24 + 7);

    std::ofstream(driveC / "Big" / "sub" / "sparse.bin").close();
    fs::resize_file(driveC / "Big" / "sub" / "sparse.bin", 3ull << 30);
    EXPECT_EQ(Tree().SizeofTree("C:\\Big\\"), (3ll << 30) + 1031);
    EXPECT_EQ(Tree().SizeofTree("C:\\Missing"), 0);
}

TEST_F(FileTreeTest, SearchTreeStopsAtTheFirstHit)
{
    Write(driveC / "Games" / "Alpha" / "deep" / "GAME.INI", "x");
    Write(driveC / "Games" / "Beta" / "game.ini", "x");
    Write(driveC / "Games" / ".hidden" / "game.ini", "x");
    fs::create_directories(driveC / "Games" / "Empty");

    std::string first;
    platform::TSearchRec rec;
    for (int found = platform::FindFirst("C:\\Games\\*.*", platform::faDirectory, rec); found == 0 && first.empty();
         found = platform::FindNext(rec)) {
        if (rec.Name == "Alpha" || rec.Name == "Beta")
            first = rec.Name;
    }
    platform::FindClose(rec);
    std::string expected = first == "Alpha" ? "C:\\Games\\Alpha\\deep\\" : "C:\\Games\\Beta\\";
    EXPECT_EQ(Tree().SearchTree("C:\\Games", "game.ini"), expected);
    EXPECT_EQ(Tree().SearchTree("C:\\Games\\Beta\\", "GAME.INI"), "C:\\Games\\Beta\\");
    EXPECT_EQ(Tree().SearchTree("C:\\Games\\Empty", "game.ini"), "");
    EXPECT_EQ(Tree().SearchTree("C:\\Games", "absent.ini"), "");
    EXPECT_EQ(Tree().SearchTree("C:\\Missing", "game.ini"), "");

    // A folder of that name is no hit; a hidden file is; a name with a folder part works too.
    fs::create_directories(driveC / "Games" / "Empty" / "setup.log");
    Write(driveC / "Games" / "Beta" / "sub" / "setup.log", "x");
    Write(driveC / "Games" / "Beta" / ".state", "x");
    EXPECT_EQ(Tree().SearchTree("C:\\Games\\Empty", "setup.log"), "");
    EXPECT_EQ(Tree().SearchTree("C:\\Games\\Beta", "SETUP.LOG"), "C:\\Games\\Beta\\sub\\");
    EXPECT_EQ(Tree().SearchTree("C:\\Games", ".STATE"), "C:\\Games\\Beta\\");
    EXPECT_EQ(Tree().SearchTree("C:\\Games", "deep\\game.ini"), "C:\\Games\\Alpha\\");
}

TEST_F(FileTreeTest, ProgramDirOfCommandLines)
{
    Write(driveC / "X" / "SETUP.EXE", "x");
    Write(driveC / "Y" / "install.bat", "x");
    Write(driveC / "Z" / "RUN.COM", "x");
    ExpectEach([this](const char* commandLine) { return Tree().ProgramDirOf(commandLine); }, {
                                                                                                 { "\"C:\\X\\SETUP.EXE\" -y", "C:\\X\\" },
                                                                                                 { "C:\\X\\SETUP.EXE -y", "C:\\X\\" },
                                                                                                 { "C:\\X\\setup.exe", "C:\\X\\" },
                                                                                                 { "\"C:\\Missing\\SETUP.EXE\" -y", "C:\\" },
                                                                                                 { "C:\\Y\\INSTALL.BAT /q", "C:\\Y\\" },
                                                                                                 { "C:\\Z\\RUN.COM", "C:\\Z\\" },
                                                                                                 { "C:\\X\\SETUP.EXE C:\\Z\\RUN.COM", "C:\\X\\" },
                                                                                                 { "C:\\GAMES\\RUN", "C:\\GAMES\\RUN" },
                                                                                                 { "", "C:\\" },
                                                                                                 { "\"\"", "C:\\" },
                                                                                             });
}

}
