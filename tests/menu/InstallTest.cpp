#include "ActionFixture.h"

#include "platform/components/ExtCtrls.h"
#include "platform/process/Process.h"
#include "platform/wine/WineDesktopEntries.h"

#include <cstdlib>

#include <functional>

namespace {

class Install : public ActionFixture {
protected:
    void SetUp() override
    {
        ActionFixture::SetUp();
        StartOn();
        WriteDiscFile("DEMOS/Hra/setup.exe", "x");
    }

    // Demo number 2 of the demos page, not installed, selected.
    TDemos& Demo(int32_t installType, int32_t dirDetect = 0)
    {
        menu->Catalogue.Demos.SetCount(2);
        menu->Select({ CategoryCode::Demos, 2 });
        TDemos& item = menu->Catalogue.Demos[2];
        item = Hra(installType, dirDetect);
        item.NeedsInstall = 1;
        return item;
    }

    // What a setup does: the game in C:\Hry\Hra and its Uninstall key.
    void SetupInstallsTheGame()
    {
        WriteDriveC("Hry/Hra/hra.exe", "x");
        RegisterUninstall("Hra", "C:\\Hry\\Hra\\uninst.exe -f\"C:\\Hry\\Hra\\install.log\"");
    }
};

TEST_F(Install, WaitedSetupIsFollowedByTheStatusCheckAndItsRecords)
{
    TDemos& item = Demo(5, 1);
    recorder->SetRunBehaviour(2, 0);
    recorder->SetExitHook([&](const platform::RecordedStart&) {
        SetupInstallsTheGame();
        // The user moves to another page while the setup runs.
        menu->Select({ CategoryCode::Shareware, 1 });
    });
    menu->Installer().InstallProc(item, menu->Selection());

    EXPECT_EQ(CommandLines(), std::vector<std::string> { Drive() + "\\DEMOS\\Hra\\setup.exe" });
    EXPECT_EQ(recorder->Starts()[0].start.currentDirectory, Drive() + "\\DEMOS\\Hra\\");
    EXPECT_EQ(menu->Category(), CategoryCode::Demos);
    EXPECT_EQ(menu->ItemIndex(), 2);
    EXPECT_EQ(item.CanRun, 1);
    EXPECT_EQ(item.Installed, 1);
    EXPECT_EQ(item.GameDir, "C:\\Hry\\Hra");
    EXPECT_EQ(Records("HRA"), (std::vector<std::string> { "C:\\Hry\\Hra", "hra.exe,Hra,DG,", "C:\\Hry\\Hra\\uninst.exe -f\"C:\\Hry\\Hra\\install.log\"" }));
    EXPECT_EQ(cursor.changes.back(), "default");
}

// With TORVA_WINE_MENUS=1 the launcher Wine made while the setup ran is the item's, and goes
// when it is uninstalled; without it the menu records nothing.
TEST_F(Install, DesktopEntriesOfTheSetupAreRecordedOnlyWhenWineMayMakeThem)
{
    ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    const std::filesystem::path launcher = root / "data" / "applications" / "wine" / "Programs" / "Hra.desktop";
    for (const char* menus : { "1", "0" }) {
        ::setenv("TORVA_WINE_MENUS", menus, 1);
        TDemos& item = Demo(5, 1);
        recorder->SetExitHook([&](const platform::RecordedStart&) {
            SetupInstallsTheGame();
            WriteHostFile(launcher, "[Desktop Entry]\n");
        });
        menu->Installer().InstallProc(item, menu->Selection());
        const size_t removed = platform::WineDesktopEntries::OfPrefix(machine->PrefixRoot()).RemoveRecorded(item.Name);
        EXPECT_EQ(removed, menus[0] == '1' ? 1u : 0u) << "TORVA_WINE_MENUS=" << menus;
        std::filesystem::remove_all(root / "data");
        std::filesystem::remove_all(root / "prefix" / "drive_c" / "Hry");
    }
    ::unsetenv("TORVA_WINE_MENUS");
    ::unsetenv("XDG_DATA_HOME");
}

TEST_F(Install, EachInstallTypeStartsItsSetupItsOwnWay)
{
    WriteDiscFile("DEMOS/Hra/SETUP.MSI", "x");
    struct Case {
        int32_t installType;
        const char* installName;
        size_t starts;
        size_t shellExecutes;
    };
    const Case cases[] = {
        { 0, "setup.exe", 0, 0 },
        { 1, "setup.exe", 0, 0 },
        { 3, "setup.exe", 0, 0 },
        { 6, "setup.exe", 1, 0 },
        { 7, "SETUP.MSI", 0, 1 },
        { 7, "setup.exe", 1, 0 },
        { 10, "setup.exe", 1, 0 },
        { 11, "setup.exe", 0, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.installType) + " " + c.installName);
        recorder->Clear();
        TDemos& item = Demo(c.installType);
        item.InstallName = c.installName;
        menu->Installer().InstallProc(item, menu->Selection());
        EXPECT_EQ(recorder->Starts().size(), c.starts);
        EXPECT_EQ(recorder->ShellExecutes().size(), c.shellExecutes);
        EXPECT_EQ(recorder->OpenHandleCount(), 0u);
        if (c.shellExecutes == 1) {
            EXPECT_EQ(recorder->ShellExecutes()[0].request.file, Drive() + "\\DEMOS\\Hra\\SETUP.MSI");
        }
        // A package the shell started is not waited for: its item is polled until it runs.
        EXPECT_EQ(menu->PollTimer().Enabled(), c.shellExecutes == 1);
    }
}

// Each setup leaves what its item's detection looks for; the records then name the folder found.
TEST_F(Install, EveryInstallTypeIsRecordedWhereItsDetectionFindsIt)
{
    struct Case {
        int32_t installType;
        int32_t dirDetect;
        std::function<void()> setup;
        std::string folder;
        std::string fields;
    };
    const Case cases[] = {
        { 5, 2,
            [&] {
                WriteDriveC("Hry/Hra/hra.exe", "x");
                WriteRegistry(platform::HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Vyrobce\\Hra", "Path", "C:\\Hry\\Hra\\hra.exe");
            },
            "C:\\Hry\\Hra", "hra.exe,Hra,DG," },
        { 6, 0,
            [&] {
                WriteDriveC("Sierra/Hra/hra.exe", "x");
                WriteDriveC("windows/sierra.ini", "[Sierra]\r\nSierraDir=C:\\Sierra\\Hra\r\n");
            },
            "C:\\Sierra\\Hra", "hra.exe,Hra,DG," },
        { 7, 0,
            [&] {
                WriteDriveC("Hry/Sedm/hra.exe", "x");
                WriteDriveC("Hry/Sedm/uninst.exe", "x");
                RegisterUninstall("Hra", "\"C:\\Hry\\Sedm\\uninst.exe\" /x");
            },
            "C:\\Hry\\Sedm", "hra.exe,Hra,DG," },
        { 10, 0, [&] { WriteDriveC("Hry/Hra/hra.exe", "x"); }, "<none>", "<none>" },
    };
    for (const Case& c : cases) {
        TDemos& item = Demo(c.installType, c.dirDetect);
        item.RegKey = "Vyrobce\\Hra";
        item.RegName = "Path";
        recorder->SetExitHook([&](const platform::RecordedStart&) { c.setup(); });
        menu->Installer().InstallProc(item, menu->Selection());
        EXPECT_EQ(State("CD0206", "HRA"), c.folder) << c.installType;
        EXPECT_EQ(State("CD0206", "HRA_"), c.fields) << c.installType;
        EXPECT_EQ(item.Installed, c.folder == "<none>" ? 0 : 1) << c.installType;
    }
}

TEST_F(Install, AnItemThatNeedsNoInstallRunsItsSetupProgramOnly)
{
    WriteDiscFile("DEMOS/Hra/config.exe", "x");
    TDemos& item = Demo(0);
    item.NeedsInstall = 0;
    item.GameDir = Drive() + "\\DEMOS\\Hra";
    item.SetupName = "config.exe";
    item.Param = "C:\\Hry\\save.dat";
    menu->Installer().InstallProc(item, menu->Selection());
    EXPECT_EQ(CommandLines(), std::vector<std::string> { Drive() + "\\DEMOS\\Hra\\config.exe" });
    EXPECT_EQ(State("CD0206", "HRA"), "<none>");
}

TEST_F(Install, TheTArgumentShowsTheCommandFirst)
{
    menu.reset();
    menu = std::make_unique<MenuState>(services, MenuEnvironment { Drive() + "\\TORVA.EXE", &cursor, true });
    menu->Start();
    menu->LoadCatalogue();
    TDemos& item = Demo(10);
    item.GameDir = "C:\\Old";
    AnswerOk();
    menu->Installer().InstallProc(item, menu->Selection());
    EXPECT_EQ(ShownTexts(), std::vector<std::string> { Drive() + "\\DEMOS\\Hra\\setup.exe C:\\Old" });
}

TEST_F(Install, ASetupThatIsNotWaitedForIsPolledUntilTheGameIsThere)
{
    TDemos& item = Demo(4);
    menu->Installer().InstallProc(item, menu->Selection());
    EXPECT_EQ(CommandLines(), std::vector<std::string> { Drive() + "\\DEMOS\\Hra\\setup.exe" });
    EXPECT_TRUE(menu->PollTimer().Enabled());
    EXPECT_EQ(menu->PollTimer().Interval(), 3000u);
    EXPECT_EQ(item.CanRun, 0);

    // The user picks another item meanwhile; the poll keeps watching the one installed.
    menu->Select({ CategoryCode::Demos, 1 });
    loop.Advance(3000);
    EXPECT_TRUE(menu->PollTimer().Enabled());
    EXPECT_EQ(item.NeedsInstall, 1);

    SetupInstallsTheGame();
    loop.Advance(2999);
    EXPECT_EQ(item.CanRun, 0);
    loop.Advance(1);
    EXPECT_EQ(item.CanRun, 1);
    EXPECT_FALSE(menu->PollTimer().Enabled());
    EXPECT_EQ(menu->ItemIndex(), 2);
    EXPECT_EQ(State("CD0206", "HRA"), "C:\\Hry\\Hra");

    // A new installation stops an earlier poll.
    TDemos& again = Demo(4);
    again.CanRun = 0;
    menu->Installer().InstallProc(again, menu->Selection());
    EXPECT_TRUE(menu->PollTimer().Enabled());
    menu->Installer().InstallProc(Demo(10), menu->Selection());
    EXPECT_FALSE(menu->PollTimer().Enabled());
}

TEST_F(Install, ThePollSelectsTheItemOnlyOnItsOwnPage)
{
    TDemos& item = Demo(4);
    menu->Installer().InstallProc(item, menu->Selection());
    menu->Select({ CategoryCode::Fulls, 1 });
    SetupInstallsTheGame();
    loop.Advance(3000);
    EXPECT_EQ(item.CanRun, 1);
    EXPECT_FALSE(menu->PollTimer().Enabled());
    EXPECT_EQ(menu->Category(), CategoryCode::Fulls);
    EXPECT_EQ(menu->ItemIndex(), 1);
}

class DiskSearch : public Install {
protected:
    TDemos& SearchedDemo(const std::string& searchFile)
    {
        TDemos& item = Demo(5, 8);
        item.Param = searchFile;
        return item;
    }
};

TEST_F(DiskSearch, FindsTheGameOnTheFirstFixedOrRemovableDrive)
{
    recorder->SetExitHook([&](const platform::RecordedStart&) { WriteDriveC("Hry/Hra/hra.exe", "x"); });
    TDemos& item = SearchedDemo("HRA.EXE,0,");
    menu->Installer().InstallProc(item, menu->Selection());
    EXPECT_EQ(item.GameDir, "C:\\Hry\\Hra");
    EXPECT_EQ(item.Installed, 1);
    EXPECT_EQ(Records("HRA"), (std::vector<std::string> { "C:\\Hry\\Hra", "hra.exe,Hra,DG,", "<none>" }));
}

TEST_F(DiskSearch, SkipsDiscsAndNetworkDrives)
{
    // The disc holds the file too, and a network drive: neither is searched.
    WriteDiscFile("Game/hra.exe", "x");
    WriteHostFile(root / "net" / "Hra" / "hra.exe", "x");
    ASSERT_NE(machine->MapDrive(root / "net", platform::DRIVE_REMOTE, 'F'), 0);
    TDemos& item = SearchedDemo("hra.exe,0,");
    EXPECT_EQ(menu->Installer().SearchDisks(item), "");
    menu->Installer().InstallProc(item, menu->Selection());
    EXPECT_EQ(State("CD0206", "HRA"), "<none>") << "recorded empty, then removed by the check";
    EXPECT_EQ(item.NeedsInstall, 1);

    WriteHostFile(root / "stick" / "Games" / "Hra" / "hra.exe", "x");
    ASSERT_NE(machine->MapDrive(root / "stick", platform::DRIVE_REMOVABLE, 'G'), 0);
    EXPECT_EQ(menu->Installer().SearchDisks(item), "G:\\Games\\Hra\\");
    // Drives after the first hit are not searched.
    WriteDriveC("Other/hra.exe", "x");
    EXPECT_EQ(menu->Installer().SearchDisks(item), "C:\\Other\\");
}

TEST_F(DiskSearch, TriesTheNamedFolderFirstAndNeedsNoNumber)
{
    WriteDriveC("Elsewhere/hra.exe", "x");
    WriteDriveC("Hry/Hra/hra.exe", "x");
    EXPECT_EQ(menu->Installer().SearchDisks(SearchedDemo("hra.exe,0,C:\\Hry\\Hra")), "C:\\Hry\\Hra");
    EXPECT_EQ(menu->Installer().SearchDisks(SearchedDemo("hra.exe,0,C:\\Hry\\Hra\\")), "C:\\Hry\\Hra\\");
    // The middle entry is not used: a catalogue that writes no number there is still searched.
    EXPECT_EQ(menu->Installer().SearchDisks(SearchedDemo("hra.exe,x,C:\\Missing")), "C:\\Elsewhere\\");
    EXPECT_EQ(menu->Installer().SearchDisks(SearchedDemo("hra.exe")), "C:\\Elsewhere\\");
    EXPECT_EQ(menu->Installer().SearchDisks(SearchedDemo("")), "");
}

}
