#include "MenuFixture.h"

#include "menu/StatusCheck.h"

#include "platform/files/Files.h"
#include "platform/ini/IniFile.h"
#include "platform/registry/Registry.h"
#include "shell/testing/LnkWriter.h"

#include <algorithm>

namespace {

shell::FileTreeContext NtFolders()
{
    shell::FileTreeContext folders;
    folders.WinVersion = "Windows NT";
    return folders;
}

// The status check on its own, over the fixture's machine with its folders as a fresh prefix
// names them.
class StatusCheckTest : public MenuFixture {
protected:
    void SetUp() override
    {
        MenuFixture::SetUp();
        context.WindowsDir = "C:\\WINDOWS\\";
        context.ProgramsDir = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\";
        context.DesktopDir = "C:\\users\\me\\Desktop\\";
        context.CommonDesktopDir = "C:\\users\\Public\\Desktop\\";
        context.DiscDrive = Drive();
        context.DiscId = "0206";
        context.StateIni = std::make_unique<TIniFile>("torva.ini");
        status = std::make_unique<StatusCheck>(context, fileTree, &boxes);
    }

    void TearDown() override
    {
        status.reset();
        context.StateIni.reset();
        MenuFixture::TearDown();
    }

    void WriteShortcut(const std::string& relative, const std::string& target, const std::string& workingDir)
    {
        shell::LnkContents contents;
        contents.localBasePath = target;
        contents.workingDir = workingDir;
        auto bytes = shell::WriteLnk(contents);
        WriteDriveC(relative, std::string(bytes.begin(), bytes.end()));
    }

    std::string State(const std::string& key) { return MenuFixture::State("CD0206", key); }

    MenuContext context;
    shell::FileTree fileTree { NtFolders() };
    std::unique_ptr<StatusCheck> status;

    TDemos Item(int32_t installType, int32_t dirDetect = 0)
    {
        TDemos item;
        item.Name = "HRA";
        item.InstallType = static_cast<InstallMethod>(installType);
        item.DirDetect = static_cast<FolderDetection>(dirDetect);
        item.CD = 1;
        item.RegUninstall = "Hra";
        item.Uninstall = "D";
        item.GameName = "hra.exe";
        item.InstallDir = Drive() + "\\DEMOS\\HRA";
        return item;
    }
};

}

TEST_F(StatusCheckTest, RunsFromDiscWithTestFile)
{
    WriteDriveC("Hry/Hra/save.dat", "x");
    TDemos item = Item(0);
    item.Param = "C:\\Hry\\Hra\\save.dat";
    item.CD = 3;
    status->CheckDemo(item);
    EXPECT_EQ(item.CanRun, 1);
    EXPECT_EQ(item.Installed, 1);
    EXPECT_EQ(item.NeedsInstall, 0);
    EXPECT_EQ(item.GameDir, item.InstallDir);
    EXPECT_EQ(State("HRA"), "C:\\Hry\\Hra");
    EXPECT_EQ(State("HRA_"), "save.dat,,D,3");
}

TEST_F(StatusCheckTest, RunsFromDiscWithoutGameCannotRun)
{
    TDemos item = Item(0);
    item.GameName.clear();
    item.Installed = 0;
    status->CheckDemo(item);
    EXPECT_EQ(item.CanRun, 0);
    EXPECT_EQ(item.Installed, 0);
    EXPECT_EQ(State("HRA"), "<none>");
}

TEST_F(StatusCheckTest, AlwaysFromDiscNeverTouchesState)
{
    TIniFile("torva.ini").WriteString("CD0206", "HRA", "C:\\stale");
    TDemos item = Item(20);
    item.Installed = 1;
    status->CheckDemo(item);
    EXPECT_EQ(item.CanRun, 1);
    EXPECT_EQ(item.Installed, 0);
    EXPECT_EQ(item.GameDir, item.InstallDir);
    EXPECT_EQ(State("HRA"), "C:\\stale");
}

TEST_F(StatusCheckTest, RegisteredSetupFoundThroughItsUninstaller)
{
    WriteDriveC("Hry/Hra/hra.exe", "x");
    RegisterUninstall("Hra", "C:\\WINDOWS\\uninst.exe -f\"C:\\Hry\\Hra\\DeIsL1.isu\"");
    TDemos item = Item(4);
    item.CD = 12;
    status->CheckDemo(item);
    EXPECT_EQ(item.GameDir, "C:\\Hry\\Hra");
    EXPECT_EQ(item.CanRun, 1);
    EXPECT_EQ(item.Installed, 1);
    EXPECT_EQ(State("HRA"), "C:\\Hry\\Hra");
    EXPECT_EQ(State("HRA_"), "hra.exe,Hra,D,12");
    EXPECT_EQ(State("HRA__"), "C:\\WINDOWS\\uninst.exe -f\"C:\\Hry\\Hra\\DeIsL1.isu\"");
}

TEST_F(StatusCheckTest, StarredUninstallIsNotRecordedAndDiscNumberBelowTenStaysEmpty)
{
    WriteDriveC("Hry/Hra/hra.exe", "x");
    RegisterUninstall("Hra", "C:\\WINDOWS\\uninst.exe -f\"C:\\Hry\\Hra\\DeIsL1.isu\"");
    TDemos item = Item(4);
    item.Uninstall = "*D";
    item.CD = 9;
    status->CheckDemo(item);
    EXPECT_EQ(item.Installed, 1);
    EXPECT_EQ(item.UnInstallName, "");
    EXPECT_EQ(State("HRA_"), "hra.exe,Hra,*D,");
    EXPECT_EQ(State("HRA__"), "<none>");
}

TEST_F(StatusCheckTest, FailedTestRemovesTheThreeKeys)
{
    TIniFile state("torva.ini");
    state.WriteString("CD0206", "HRA", "C:\\Hry\\Hra");
    state.WriteString("CD0206", "HRA_", "hra.exe,Hra,D,");
    state.WriteString("CD0206", "HRA__", "uninst");
    TDemos item = Item(4);
    item.CanRun = 1;
    item.Installed = 1;
    status->CheckDemo(item);
    EXPECT_EQ(item.CanRun, 0);
    EXPECT_EQ(item.Installed, 0);
    EXPECT_EQ(item.NeedsInstall, 1);
    EXPECT_EQ(State("HRA"), "<none>");
    EXPECT_EQ(State("HRA_"), "<none>");
    EXPECT_EQ(State("HRA__"), "<none>");
}

TEST_F(StatusCheckTest, RegistryPathDetection)
{
    WriteDriveC("Hry/Y/y.exe", "x");
    platform::Registry reg;
    reg.SetRootKey(platform::HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\Firma\\Y", true));
    reg.WriteString("Path", "C:\\Hry\\Y\\y.exe");
    TDemos item = Item(5, 4);
    item.RegKey = "Firma\\Y";
    item.RegName = "Path";
    item.GameName = "y.exe";
    status->CheckDemo(item);
    EXPECT_EQ(item.GameDir, "C:\\Hry\\Y");
    EXPECT_EQ(item.Installed, 1);
}

TEST_F(StatusCheckTest, ShortcutDetection)
{
    WriteDriveC("Hry/Z/z.exe", "x");
    TDemos item = Item(5, 3);
    item.GameName = "z.exe";
    item.Param = "Hra Z.lnk";
    // The working folder is cut after its last backslash, so it is stored with one.
    std::string programs = context.ProgramsDir.substr(3); // below C:\ .
    for (auto& ch : programs)
        if (ch == '\\')
            ch = '/';
    WriteShortcut(programs + "Hra Z.lnk", "C:\\Hry\\Z\\z.exe", "C:\\Hry\\Z\\");
    status->CheckDemo(item);
    EXPECT_EQ(item.GameDir, "C:\\Hry\\Z");
    EXPECT_EQ(item.Installed, 1);

    TDemos desktop = Item(5, 7);
    desktop.GameName = "z.exe";
    desktop.Param = "Z.lnk";
    std::string desk = context.CommonDesktopDir.substr(3);
    for (auto& ch : desk)
        if (ch == '\\')
            ch = '/';
    WriteShortcut(desk + "Z.lnk", "C:\\Hry\\Z\\z.exe", "");
    status->CheckDemo(desktop);
    EXPECT_EQ(desktop.GameDir, "C:\\Hry\\Z");
    EXPECT_EQ(desktop.Installed, 1);
}

TEST_F(StatusCheckTest, AShortcutWhoseFolderCannotBeRecordedIsNamed)
{
    TDemos item = Item(5, 3);
    item.Param = "Z.lnk";
    std::string programs = context.ProgramsDir.substr(3);
    std::replace(programs.begin(), programs.end(), '\\', '/');
    WriteShortcut(programs + "Z.lnk", "C:\\Hry\\Z\\z.exe", "C:\\Hry\\Z\r\n[Main]\\");
    status->CheckDemo(item);
    EXPECT_EQ(item.Installed, 0);
    ASSERT_EQ(boxes.errors.size(), 1u);
    EXPECT_NE(boxes.errors[0].find(context.ProgramsDir + "Z.lnk"), std::string::npos) << boxes.errors[0];
    EXPECT_NE(boxes.errors[0].find("\"HRA\""), std::string::npos) << boxes.errors[0];
}

TEST_F(StatusCheckTest, StartMenuShortcutOfTheUserComesBeforeTheCommonOne)
{
    // A prefix keeps the user's Start menu apart from the common one, and Wine names the
    // user's anew when it first sets the prefix up.
    platform::Registry reg;
    reg.SetRootKey(platform::HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", true));
    ASSERT_TRUE(reg.WriteString("Programs", "C:\\users\\u\\AppData\\Start Menu\\Programs"));
    WriteDriveC("Hry/U/z.exe", "x");
    WriteDriveC("Hry/C/z.exe", "x");
    TDemos item = Item(5, 3);
    item.GameName = "z.exe";
    item.Param = "Hra\\Hra Z.lnk";
    WriteShortcut("users/u/AppData/Start Menu/Programs/Hra/Hra Z.lnk", "C:\\Hry\\U\\z.exe", "C:\\Hry\\U\\");
    status->CheckDemo(item);
    EXPECT_EQ(item.GameDir, "C:\\Hry\\U");

    std::string common = context.ProgramsDir.substr(3);
    std::replace(common.begin(), common.end(), '\\', '/');
    WriteShortcut(common + "Hra/Hra Z.lnk", "C:\\Hry\\C\\z.exe", "C:\\Hry\\C\\");
    status->CheckDemo(item);
    EXPECT_EQ(item.GameDir, "C:\\Hry\\U") << "the user's shortcut wins";
    ASSERT_TRUE(platform::DeleteFile("C:\\users\\u\\AppData\\Start Menu\\Programs\\Hra\\Hra Z.lnk"));
    status->CheckDemo(item);
    EXPECT_EQ(item.GameDir, "C:\\Hry\\C");
}

TEST_F(StatusCheckTest, IniFileDetectionAndSierra)
{
    WriteDriveC("Hry/I/i.exe", "x");
    WriteDriveC("windows/HRA.INI", "[Main]\r\nDir=C:\\Hry\\I\r\n");
    TDemos item = Item(5, 6);
    item.GameName = "i.exe";
    item.Param = "hra,Main,Dir";
    status->CheckDemo(item);
    EXPECT_EQ(item.GameDir, "C:\\Hry\\I");
    EXPECT_EQ(item.Installed, 1);

    WriteDriveC("windows/sierra.ini", "[Sierra]\r\nSierraDir=" + Drive() + "\\HRY\r\n");
    TDemos sierra = Item(6);
    sierra.GameName = "i.exe";
    status->CheckDemo(sierra);
    EXPECT_EQ(sierra.GameDir, "");
    EXPECT_EQ(sierra.Installed, 0);

    WriteDriveC("windows/sierra.ini", "[Sierra]\r\nSierraDir=C:\\Hry\\I\r\n");
    status->CheckDemo(sierra);
    EXPECT_EQ(sierra.GameDir, "C:\\Hry\\I");
    EXPECT_EQ(sierra.Installed, 1);
}

TEST_F(StatusCheckTest, GameListsPickTheEntryThatExists)
{
    WriteDriveC("Hry/L/B.EXE", "x");
    TIniFile("torva.ini").WriteString("CD0206", "HRA", "C:\\Hry\\L");
    TDemos item = Item(1);
    item.GameName = "A.EXE:Full;B.EXE:Demo";
    status->CheckDemo(item);
    EXPECT_EQ(item.Installed, 1);
    EXPECT_EQ(State("HRA_"), "A.EXE:Full;B.EXE:Demo,Hra,D,");

    item.GameName = "A.EXE:Full,B.EXE:Demo";
    status->CheckDemo(item);
    EXPECT_EQ(State("HRA_"), "B.EXE:Demo,Hra,D,");
}

TEST_F(StatusCheckTest, RecordedFolderFallsBackToOlderStateFiles)
{
    WriteDriveC("Hry/O/hra.exe", "x");
    WriteDriveC("torva.ini", "[CD0206]\r\nHRA=C:\\Hry\\O\r\n");
    TDemos item = Item(2);
    status->CheckDemo(item);
    EXPECT_EQ(item.GameDir, "C:\\Hry\\O");
    EXPECT_EQ(item.Installed, 1);
    // What was found is now recorded in the current state file.
    EXPECT_EQ(State("HRA"), "C:\\Hry\\O");
}

// Older menus upper-cased names in a to z only: their record "OCELOVá LEGIE" belongs to the
// name now shown as "OCELOVÁ LEGIE", and the record keeps its key when it is written again.
TEST_F(StatusCheckTest, RecordOfAnOlderMenuFindsTheFullyUpperCasedName)
{
    WriteDriveC("Hry/O/hra.exe", "x");
    TIniFile("torva.ini").WriteString("CD0206", "OCELOV\xE1 LEGIE", "C:\\Hry\\O");
    TDemos item = Item(2);
    item.Name = "OCELOV\xC1 LEGIE";
    status->CheckDemo(item);
    EXPECT_EQ(item.GameDir, "C:\\Hry\\O");
    EXPECT_EQ(item.Installed, 1);
    EXPECT_EQ(TIniFile("torva.ini").ReadSection("CD0206").front(), "OCELOV\xE1 LEGIE");
}

TEST_F(StatusCheckTest, UninstallPrefixesExpandOnce)
{
    TDemos item = Item(5);
    item.UnInstallName = "?I..\\setup\\uninst.exe";
    status->CheckDemo(item);
    EXPECT_EQ(item.UnInstallName, Drive() + "\\DEMOS\\setup\\uninst.exe");
    status->CheckDemo(item);
    EXPECT_EQ(item.UnInstallName, Drive() + "\\DEMOS\\setup\\uninst.exe");

    TDemos windows = Item(5);
    windows.UnInstallName = "?Wuninst.exe -x";
    status->CheckDemo(windows);
    EXPECT_EQ(windows.UnInstallName, "C:\\WINDOWS\\uninst.exe -x");
}
