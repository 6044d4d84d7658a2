#include "MenuFixture.h"

#include "menu/DiscCatalogue.h"
#include "menu/StatusCheck.h"

#include "platform/files/Files.h"
#include "platform/ini/IniFile.h"
#include "platform/registry/Registry.h"
#include "shell/testing/LnkWriter.h"

#include <algorithm>
#include <functional>

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
        status = std::make_unique<StatusCheck>(context, fileTree, &channel);
    }

    void TearDown() override
    {
        status.reset();
        context.StateIni.reset();
        MenuFixture::TearDown();
    }

    // Writes a shortcut at a path on drive C:.
    void WriteShortcut(std::string path, const std::string& target, const std::string& workingDir)
    {
        shell::LnkContents contents;
        contents.localBasePath = target;
        contents.workingDir = workingDir;
        auto bytes = shell::WriteLnk(contents);
        path.erase(0, 3);
        std::replace(path.begin(), path.end(), '\\', '/');
        WriteDriveC(path, std::string(bytes.begin(), bytes.end()));
    }

    std::string State(const std::string& key) { return MenuFixture::State("CD0206", key); }

    MenuContext context;
    shell::FileTree fileTree { NtFolders() };
    std::unique_ptr<StatusCheck> status;
};

}

TEST_F(StatusCheckTest, RunsFromDiscWithTestFile)
{
    WriteDriveC("Hry/Hra/save.dat", "x");
    TDemos item = Hra(0);
    item.Param = "C:\\Hry\\Hra\\save.dat";
    item.CD = 3;
    status->CheckDemo(item);
    EXPECT_EQ(item.CanRun, 1);
    EXPECT_EQ(item.Installed, 1);
    EXPECT_EQ(item.NeedsInstall, 0);
    EXPECT_EQ(item.GameDir, item.InstallDir);
    EXPECT_EQ(Records("HRA"), (std::vector<std::string> { "C:\\Hry\\Hra", "save.dat,,DG,3", "<none>" }));
}

TEST_F(StatusCheckTest, RunsFromDiscWithoutGameCannotRun)
{
    TDemos item = Hra(0);
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
    TDemos item = Hra(20);
    item.Installed = 1;
    status->CheckDemo(item);
    EXPECT_EQ(item.CanRun, 1);
    EXPECT_EQ(item.Installed, 0);
    EXPECT_EQ(item.GameDir, item.InstallDir);
    EXPECT_EQ(State("HRA"), "C:\\stale");
}

// A starred clean-up keeps the uninstaller unrecorded, and a disc number below ten is recorded
// empty.
TEST_F(StatusCheckTest, RegisteredSetupFoundThroughItsUninstaller)
{
    const std::string uninstaller = "C:\\WINDOWS\\uninst.exe -f\"C:\\Hry\\Hra\\DeIsL1.isu\"";
    WriteDriveC("Hry/Hra/hra.exe", "x");
    RegisterUninstall("Hra", uninstaller);
    struct Row {
        const char* uninstall;
        int32_t cd;
        std::vector<std::string> records;
    };
    const Row rows[] = {
        { "*DG", 9, { "C:\\Hry\\Hra", "hra.exe,Hra,*DG,", "<none>" } },
        { "DG", 12, { "C:\\Hry\\Hra", "hra.exe,Hra,DG,12", uninstaller } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.uninstall);
        TDemos item = Hra(4);
        item.Uninstall = row.uninstall;
        item.CD = row.cd;
        status->CheckDemo(item);
        EXPECT_EQ(item.GameDir, "C:\\Hry\\Hra");
        EXPECT_EQ(item.CanRun, 1);
        EXPECT_EQ(item.Installed, 1);
        EXPECT_EQ(Records("HRA"), row.records);
    }
}

TEST_F(StatusCheckTest, FailedTestRemovesTheThreeKeys)
{
    WriteRecords("CD0206", "HRA", "C:\\Hry\\Hra", "hra.exe,Hra,D,", "uninst");
    TDemos item = Hra(4);
    item.CanRun = 1;
    item.Installed = 1;
    status->CheckDemo(item);
    EXPECT_EQ(item.CanRun, 0);
    EXPECT_EQ(item.Installed, 0);
    EXPECT_EQ(item.NeedsInstall, 1);
    EXPECT_EQ(Records("HRA"), NoRecords);
}

// Each detection method finds the folder where its own mark says, and the folder found is
// recorded, in the current state file even when an older one named it.
TEST_F(StatusCheckTest, EachDetectionFindsItsFolder)
{
    struct Row {
        int32_t installType;
        int32_t dirDetect;
        const char* param;
        std::function<void()> mark;
        std::string folder; // "" where nothing may be found
    };
    const Row rows[] = {
        { 5, 4, "", [&] { WriteRegistry(platform::HKEY_CURRENT_USER, "\\SOFTWARE\\Firma\\Y", "Path", "C:\\Hry\\Y\\hra.exe"); },
            "C:\\Hry\\Y" },
        // The working folder is cut after its last backslash, so it is stored with one.
        { 5, 3, "Hra Z.lnk", [&] { WriteShortcut(context.ProgramsDir + "Hra Z.lnk", "C:\\Hry\\Z\\hra.exe", "C:\\Hry\\Z\\"); },
            "C:\\Hry\\Z" },
        { 5, 7, "Z.lnk", [&] { WriteShortcut(context.CommonDesktopDir + "Z.lnk", "C:\\Hry\\D\\hra.exe", ""); }, "C:\\Hry\\D" },
        { 5, 6, "hra,Main,Dir", [&] { WriteDriveC("windows/HRA.INI", "[Main]\r\nDir=C:\\Hry\\I\r\n"); }, "C:\\Hry\\I" },
        { 6, 0, "", [&] { WriteDriveC("windows/sierra.ini", "[Sierra]\r\nSierraDir=" + Drive() + "\\HRY\r\n"); }, "" },
        { 6, 0, "", [&] { WriteDriveC("windows/sierra.ini", "[Sierra]\r\nSierraDir=C:\\Hry\\S\r\n"); }, "C:\\Hry\\S" },
        { 2, 0, "", [&] { WriteDriveC("torva.ini", "[CD0206]\r\nHRA=C:\\Hry\\O\r\n"); }, "C:\\Hry\\O" },
    };
    for (const char* folder : { "Y", "Z", "D", "I", "S", "O" })
        WriteDriveC("Hry/" + std::string(folder) + "/hra.exe", "x");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.folder + " " + std::to_string(row.installType) + "/" + std::to_string(row.dirDetect));
        TIniFile("torva.ini").EraseSection("CD0206");
        row.mark();
        TDemos item = Hra(row.installType, row.dirDetect);
        item.Param = row.param;
        item.RegKey = "Firma\\Y";
        item.RegName = "Path";
        status->CheckDemo(item);
        EXPECT_EQ(item.GameDir, row.folder);
        EXPECT_EQ(item.Installed, row.folder.empty() ? 0 : 1);
        EXPECT_EQ(State("HRA"), row.folder.empty() ? "<none>" : row.folder);
    }
}

TEST_F(StatusCheckTest, AShortcutWhoseFolderCannotBeRecordedIsNamed)
{
    TDemos item = Hra(5, 3);
    item.Param = "Z.lnk";
    WriteShortcut(context.ProgramsDir + "Z.lnk", "C:\\Hry\\Z\\z.exe", "C:\\Hry\\Z\r\n[Main]\\");
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
    WriteRegistry(platform::HKEY_CURRENT_USER, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
        "Programs", "C:\\users\\u\\AppData\\Start Menu\\Programs");
    const std::string user = "C:\\users\\u\\AppData\\Start Menu\\Programs\\Hra\\Hra Z.lnk";
    WriteDriveC("Hry/U/hra.exe", "x");
    WriteDriveC("Hry/C/hra.exe", "x");
    TDemos item = Hra(5, 3);
    item.Param = "Hra\\Hra Z.lnk";
    WriteShortcut(user, "C:\\Hry\\U\\hra.exe", "C:\\Hry\\U\\");
    status->CheckDemo(item);
    EXPECT_EQ(item.GameDir, "C:\\Hry\\U");

    WriteShortcut(context.ProgramsDir + "Hra\\Hra Z.lnk", "C:\\Hry\\C\\hra.exe", "C:\\Hry\\C\\");
    status->CheckDemo(item);
    EXPECT_EQ(item.GameDir, "C:\\Hry\\U") << "the user's shortcut wins";
    ASSERT_TRUE(platform::DeleteFile(user));
    status->CheckDemo(item);
    EXPECT_EQ(item.GameDir, "C:\\Hry\\C");
}

TEST_F(StatusCheckTest, GameListsPickTheEntryThatExists)
{
    WriteDriveC("Hry/L/B.EXE", "x");
    TIniFile("torva.ini").WriteString("CD0206", "HRA", "C:\\Hry\\L");
    TDemos item = Hra(1);
    item.GameName = "A.EXE:Full;B.EXE:Demo";
    status->CheckDemo(item);
    EXPECT_EQ(item.Installed, 1);
    EXPECT_EQ(State("HRA_"), "A.EXE:Full;B.EXE:Demo,Hra,DG,");

    item.GameName = "A.EXE:Full,B.EXE:Demo";
    status->CheckDemo(item);
    EXPECT_EQ(State("HRA_"), "B.EXE:Demo,Hra,DG,");
}

// Older menus upper-cased names in a to z only: their record "OCELOVá LEGIE" belongs to the
// name now shown as "OCELOVÁ LEGIE", and the record keeps its key when it is written again.
TEST_F(StatusCheckTest, RecordOfAnOlderMenuFindsTheFullyUpperCasedName)
{
    WriteDriveC("Hry/O/hra.exe", "x");
    TIniFile("torva.ini").WriteString("CD0206", "OCELOV\xE1 LEGIE", "C:\\Hry\\O");
    TDemos item = Hra(2);
    item.Name = "OCELOV\xC1 LEGIE";
    status->CheckDemo(item);
    EXPECT_EQ(item.GameDir, "C:\\Hry\\O");
    EXPECT_EQ(item.Installed, 1);
    EXPECT_EQ(TIniFile("torva.ini").ReadSection("CD0206").front(), "OCELOV\xE1 LEGIE");
}

TEST_F(StatusCheckTest, UninstallPrefixesExpandOnce)
{
    TDemos item = Hra(5);
    item.UnInstallName = "?I..\\setup\\uninst.exe";
    status->CheckDemo(item);
    EXPECT_EQ(item.UnInstallName, Drive() + "\\DEMOS\\setup\\uninst.exe");
    status->CheckDemo(item);
    EXPECT_EQ(item.UnInstallName, Drive() + "\\DEMOS\\setup\\uninst.exe");

    TDemos windows = Hra(5);
    windows.UnInstallName = "?Wuninst.exe -x";
    status->CheckDemo(windows);
    EXPECT_EQ(windows.UnInstallName, "C:\\WINDOWS\\uninst.exe -x");
}

// Two setups register their uninstaller under the title with a trailing blank, which their
// catalogue entries leave out, and one title's shortcut starts in a subfolder of the game's; every
// start checks each item twice, and both checks find the game.
TEST_F(StatusCheckTest, TitlesTheCatalogueMisdescribesStayInstalledOnEveryCheck)
{
    const std::string polled = "C:\\WINDOWS\\uninst.exe -f\"C:\\Hry\\S\\DeIsL1.isu\"";
    RegisterUninstall("Starships Unlim. ", polled);
    RegisterUninstall("SOF 2 ", "C:\\Hry\\F\\uninst.exe");
    WriteShortcut(context.ProgramsDir + "Bz.lnk", "C:\\Hry\\B\\bin\\bz.exe", "C:\\Hry\\B\\bin\\");
    for (const char* file : { "Hry/S/ss.exe", "Hry/F/sof2.exe", "Hry/F/uninst.exe", "Hry/B/bz.exe" })
        WriteDriveC(file, "x");
    WriteDiscFile("Torva/torvaxp.ini",
        "[Main]\r\nCD=0206\r\nDemos=3\r\n"
        "[Demo1]\r\nName=Starships Unlim.\r\nInstallType=4\r\nRegUninstall=Starships Unlim.\r\nGamename=ss.exe\r\n"
        "[Demo2]\r\nName=SOF 2\r\nInstallType=7\r\nRegUninstall=SOF 2\r\nGamename=sof2.exe\r\n"
        "[Demo3]\r\nName=Battlezone\r\nInstallType=5\r\nDirDetect=3\r\nShortCut=Bz.lnk\r\nGamename=bz.exe\r\n");
    context.DataDir = Drive() + "\\TORVA\\";
    DiscCatalogue catalogue(context);
    ASSERT_TRUE(catalogue.Load().Ok());
    const std::vector<std::string> expected[] = {
        { "C:\\Hry\\S", "ss.exe,Starships Unlim. ,,", polled },
        { "C:\\Hry\\F", "sof2.exe,SOF 2 ,,", "C:\\Hry\\F\\uninst.exe" },
        { "C:\\Hry\\B", "bz.exe,,,", "<none>" },
    };
    for (int n : { 1, 2, 3 }) {
        for (int check : { 1, 2 }) {
            SCOPED_TRACE(catalogue.Demos[n].Name + " check " + std::to_string(check));
            status->CheckDemo(catalogue.Demos[n]);
            EXPECT_EQ(catalogue.Demos[n].Installed, 1);
            EXPECT_EQ(Records(catalogue.Demos[n].Name), expected[n - 1]);
        }
    }
}

// A status check is idempotent: for every install method and folder detection, on machines
// where the game is found, where only stale records remain, and where the marks lead to a
// folder without the game, a second check finds what the first found and writes nothing new.
TEST_F(StatusCheckTest, CheckingTwiceEqualsCheckingOnce)
{
    auto markEverything = [&] {
        RegisterUninstall("Hra", "C:\\WINDOWS\\uninst.exe -f\"C:\\Hry\\Hra\\DeIsL1.isu\"");
        WriteDriveC("WINDOWS/uninst.exe", "x");
        WriteRegistry(platform::HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Firma\\Y", "Path", "C:\\Hry\\Hra\\hra.exe");
        WriteRegistry(platform::HKEY_CURRENT_USER, "\\SOFTWARE\\Firma\\Y", "Path", "C:\\Hry\\Hra\\hra.exe");
        WriteShortcut(context.ProgramsDir + "Hra.lnk", "C:\\Hry\\Hra\\hra.exe", "C:\\Hry\\Hra\\");
        WriteShortcut(context.CommonDesktopDir + "Hra.lnk", "C:\\Hry\\Hra\\hra.exe", "");
        WriteDriveC("windows/HRA.INI", "[Main]\r\nDir=C:\\Hry\\Hra\r\n");
        WriteDriveC("windows/sierra.ini", "[Sierra]\r\nSierraDir=C:\\Hry\\Hra\r\n");
        WriteDriveC("Hry/Hra/save.dat", "x");
    };
    struct Machine {
        const char* name;
        bool marks;
        bool game;
        bool records;
    };
    const Machine machines[] = {
        { "found", true, true, false },
        { "stale records", false, false, true },
        { "game gone", true, false, true },
    };
    // Every method with no detection of its own, and every detection after the two methods
    // that run one.
    std::vector<std::pair<int32_t, int32_t>> pairs;
    for (int32_t method : { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 20 })
        pairs.emplace_back(method, 0);
    for (int32_t detection = 1; detection <= 10; ++detection) {
        pairs.emplace_back(4, detection);
        pairs.emplace_back(5, detection);
    }
    const std::string stateFile = TIniFile("torva.ini").FileName();
    for (const Machine& machine : machines) {
        if (machine.marks)
            markEverything();
        if (machine.game)
            WriteDriveC("Hry/Hra/hra.exe", "x");
        for (auto [method, detection] : pairs) {
            SCOPED_TRACE(std::string(machine.name) + " " + std::to_string(method) + "/" + std::to_string(detection));
            TIniFile("torva.ini").EraseSection("CD0206");
            if (machine.records)
                WriteRecords("CD0206", "HRA", "C:\\Hry\\Hra", "hra.exe,Hra,DG,", "uninst");
            TDemos item = Hra(method, detection);
            item.RegKey = "Firma\\Y";
            item.RegName = "Path";
            item.Param = detection == 3 || detection == 7 ? "Hra.lnk" : detection == 6 ? "hra,Main,Dir"
                                                                                       : "";
            if (method == 0)
                item.Param = "C:\\Hry\\Hra\\save.dat";
            ItemStatus once = status->Check(item);
            once.ApplyTo(item);
            auto stateOnce = platform::ReadWholeFile(stateFile);
            EXPECT_EQ(status->Check(item), once);
            EXPECT_EQ(platform::ReadWholeFile(stateFile), stateOnce);
        }
    }
}
