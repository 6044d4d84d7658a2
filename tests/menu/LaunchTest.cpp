#include "ActionFixture.h"

#include "platform/process/Process.h"

namespace {

using platform::DialogAnswer;

class Launch : public ActionFixture {
protected:
    void SetUp() override
    {
        ActionFixture::SetUp();
        StartOn();
        WriteDriveC("Hry/Hra/hra.exe", "x");
        WriteDriveC("Hry/Hra/full.exe", "x");
    }

    TDemos Game(const std::string& gameName)
    {
        TDemos item;
        item.Name = "HRA";
        item.InstallType = InstallMethod::OwnSetupPolled;
        item.GameDir = "C:\\Hry\\Hra";
        item.GameName = gameName;
        return item;
    }

    // Puts an item on a page as its only entry and selects it.
    TDemos& Select(CategoryCode category, const TDemos& item)
    {
        DiscCatalogue& catalogue = menu->Catalogue;
        catalogue.Demos.SetCount(1);
        catalogue.Extra.SetCount(1);
        catalogue.Shareware.SetCount(1);
        catalogue.Drivers.SetCount(1);
        catalogue.Fulls.SetCount(1);
        TDemos* slot = catalogue.ItemOf(category, 1);
        EXPECT_NE(slot, nullptr) << "no such page";
        *slot = item;
        menu->Select({ category, 1 });
        return *slot;
    }

    // A demo that runs from the disc and is installed once its test file exists, selected and
    // checked; its program makes the test file when it ends.
    TDemos& SelectedGameWithTestFile(uint32_t polls)
    {
        TDemos item = Game("hra.exe");
        item.InstallType = InstallMethod::RunsFromDisc;
        item.InstallDir = "C:\\Hry\\Hra";
        item.Param = "C:\\Hry\\Hra\\save.dat";
        TDemos& selected = Select(CategoryCode::Demos, item);
        menu->Status.CheckDemo(selected);
        recorder->SetRunBehaviour(polls, 0);
        recorder->SetExitHook([this](const platform::RecordedStart&) { WriteDriveC("Hry/Hra/save.dat", "x"); });
        return selected;
    }

    const platform::ShellExecuteRequest& OnlyShellExecute()
    {
        EXPECT_EQ(recorder->ShellExecutes().size(), 1u);
        static platform::ShellExecuteRequest none;
        return recorder->ShellExecutes().empty() ? none : recorder->ShellExecutes().back().request;
    }
};

TEST_F(Launch, RunsTheProgramFromItsOwnFolderAndKeepsNoHandle)
{
    menu->Launcher().RunProc(Game("hra.exe -window"));
    ASSERT_EQ(recorder->Starts().size(), 1u);
    EXPECT_EQ(recorder->Starts()[0].start.commandLine, "C:\\Hry\\Hra\\hra.exe -window");
    EXPECT_EQ(recorder->Starts()[0].start.currentDirectory, "C:\\Hry\\Hra\\");
    EXPECT_EQ(recorder->Starts()[0].start.showWindow, platform::SW_SHOWNORMAL);
    EXPECT_EQ(recorder->OpenHandleCount(), 0u);
}

TEST_F(Launch, VersionListsAskOnlyBetweenVersionsThatExist)
{
    // Two of three versions are there: the question offers those two, in list order.
    Answer(DialogAnswer::Kind::Button, 1);
    menu->Launcher().RunProc(Game("hra.exe:Demo;missing.exe:Plna verze;full.exe:Plna hra s velmi dlouhym nazvem ktery se nevejde na tlacitko"));
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_TRUE(dialogs.Shown()[0].choice);
    EXPECT_EQ(dialogs.Shown()[0].text, "Jakou verzi hry chcete spustit?");
    EXPECT_EQ(dialogs.Shown()[0].labels, (std::vector<std::string> { "Demo", "Plna hra s velmi dlouhym nazvem ktery se nevejde n" }));
    EXPECT_EQ(CommandLines(), std::vector<std::string> { "C:\\Hry\\Hra\\full.exe" });

    // One version left: no question. A "," list never asks and takes the first one there.
    recorder->Clear();
    menu->Launcher().RunProc(Game("missing.exe:Plna;full.exe:Demo"));
    menu->Launcher().RunProc(Game("missing.exe:A,hra.exe:B,full.exe:C"));
    menu->Launcher().RunProc(Game("missing.exe:A;gone.exe:B"));
    EXPECT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_EQ(CommandLines(), (std::vector<std::string> { "C:\\Hry\\Hra\\full.exe", "C:\\Hry\\Hra\\hra.exe" }));
}

TEST_F(Launch, FilmsMusicAndFromTheDiscItems)
{
    TDemos film = Game("intro.mpg");
    film.InstallType = InstallMethod::AlwaysFromDisc;
    menu->Launcher().RunProc(film);
    EXPECT_TRUE(recorder->ShellExecutes().empty());

    film.GameName = "intro.avi";
    menu->Launcher().RunProc(film);
    const auto& play = OnlyShellExecute();
    EXPECT_EQ(play.verb, "PLAY");
    EXPECT_EQ(play.file, "C:\\Hry\\Hra\\intro.avi");
    EXPECT_EQ(play.directory, "C:\\Hry\\Hra");

    recorder->Clear();
    TDemos music = Game("song.mp3");
    menu->Launcher().RunProc(music);
    music.GameName = "tracker.XM";
    menu->Launcher().RunProc(music);
    TDemos later = Game("hra.exe");
    later.InstallType = InstallMethod::FirstNotRunnable;
    menu->Launcher().RunProc(later);
    EXPECT_TRUE(recorder->Starts().empty());
    EXPECT_TRUE(recorder->ShellExecutes().empty());

    // A video the game folder plays is opened by the shell, and its start as a program fails.
    WriteDriveC("Hry/Hra/trailer.wmv", "x");
    menu->Launcher().RunProc(Game("trailer.wmv"));
    EXPECT_EQ(OnlyShellExecute().file, "C:\\Hry\\Hra\\trailer.wmv");
    EXPECT_EQ(recorder->Starts().size(), 1u);
}

TEST_F(Launch, AProgramWithATestFileIsWaitedForAndCheckedAgain)
{
    TDemos& selected = SelectedGameWithTestFile(3);
    ASSERT_EQ(selected.Installed, 0);
    menu->Choose(MenuAction::Play);
    EXPECT_GE(recorder->WaitCount(), 3u);
    EXPECT_EQ(recorder->OpenHandleCount(), 0u);
    EXPECT_EQ(selected.Installed, 1);
    EXPECT_EQ(State("CD0206", "HRA"), "C:\\Hry\\Hra");
    // The wait shows the hourglass and always puts the cursor back.
    ASSERT_GE(cursor.changes.size(), 2u);
    EXPECT_EQ(cursor.changes.back(), "default");
}

// The menu asked to end while it waits stops waiting; the program runs on, and the item is not
// checked again before it has ended.
TEST_F(Launch, TheWaitStopsWhenTheMenuIsAskedToEnd)
{
    TDemos& selected = SelectedGameWithTestFile(100000);
    loop.Terminate();
    menu->Choose(MenuAction::Play);
    loop.ClearTerminated();
    EXPECT_EQ(recorder->Starts().size(), 1u);
    EXPECT_LE(recorder->WaitCount(), 1u);
    EXPECT_EQ(recorder->OpenHandleCount(), 0u);
    EXPECT_EQ(selected.Installed, 0);
    EXPECT_EQ(State("CD0206", "HRA"), "<none>");
}

TEST_F(Launch, WaitingForAProgramThatCannotStartGivesFalse)
{
    EXPECT_FALSE(menu->Launcher().WaitExec("C:\\Hry\\Hra\\missing.exe", platform::SW_SHOWNORMAL));
    EXPECT_FALSE(menu->Launcher().WaitExec("", platform::SW_SHOWNORMAL));
    EXPECT_FALSE(menu->Launcher().NormalExec("", platform::SW_SHOWNORMAL));
    EXPECT_TRUE(menu->Launcher().WaitExec("C:\\Hry\\Hra\\hra.exe", platform::SW_SHOWNORMAL));
    EXPECT_EQ(cursor.changes, (std::vector<std::string> { "hourglass", "default", "hourglass", "default" }));
}

TEST_F(Launch, PagesAndArchivesAreAlsoOpenedByTheShell)
{
    EXPECT_TRUE(menu->Launcher().NormalExec("C:\\Hry\\Hra\\hra.exe manual.htm", platform::SW_SHOWNORMAL));
    EXPECT_EQ(OnlyShellExecute().file, "C:\\Hry\\Hra\\hra.exe manual.htm");
    recorder->Clear();
    EXPECT_FALSE(menu->Launcher().NormalExec("C:\\Hry\\Hra\\data.zip", platform::SW_SHOWNORMAL));
    EXPECT_EQ(OnlyShellExecute().file, "C:\\Hry\\Hra\\data.zip");
    EXPECT_EQ(recorder->Starts().size(), 1u);
}

TEST_F(Launch, ShellExecSplitsShortParametersOff)
{
    struct Case {
        const char* text;
        const char* file;
        const char* parameters;
    };
    const Case cases[] = {
        { "C:\\Docs\\readme.txt", "C:\\Docs\\readme.txt", "" },
        { "C:\\Docs\\readme.txt /page 2", "C:\\Docs\\readme.txt", " /page 2" },
        { "C:\\Docs\\readme.txt 123456789012345678901234", "C:\\Docs\\readme.txt", " 1234567890123456789" },
        { "C:\\Docs\\manual.html", "C:\\Docs\\manual.html", "" },
        { "C:\\My Docs\\readme.doc", "C:\\My Docs\\readme.doc", "" },
    };
    for (const Case& c : cases) {
        recorder->Clear();
        menu->Launcher().ShellExec(c.text, platform::SW_SHOWNORMAL);
        const auto& request = OnlyShellExecute();
        EXPECT_EQ(request.verb, "OPEN") << c.text;
        EXPECT_EQ(request.file, c.file) << c.text;
        EXPECT_EQ(request.parameters, c.parameters) << c.text;
        EXPECT_EQ(request.directory, "") << c.text;
    }
}

TEST_F(Launch, APdfWithoutViewerInstallsTheReaderFirst)
{
    WriteDiscFile("adobe/ar500enu.exe", "x");
    menu->Launcher().ShellExec("C:\\Docs\\manual.pdf", platform::SW_SHOWNORMAL);
    EXPECT_EQ(CommandLines(), std::vector<std::string> { Drive() + "\\adobe\\ar500enu.exe" });
    EXPECT_EQ(OnlyShellExecute().file, "C:\\Docs\\manual.pdf");

    WriteRegistry(platform::HKEY_CLASSES_ROOT, "\\.pdf", "", "AcroExch.Document");
    recorder->Clear();
    menu->Launcher().ShellExec("C:\\Docs\\manual.pdf", platform::SW_SHOWNORMAL);
    EXPECT_TRUE(recorder->Starts().empty());
}

class Buttons : public Launch {};

TEST_F(Buttons, MainButtonRunsOrInstallsByPage)
{
    TDemos item = Game("hra.exe");
    item.CanRun = 1;
    Select(CategoryCode::Fulls, item);
    menu->Choose(MenuAction::Play);
    EXPECT_EQ(CommandLines(), std::vector<std::string> { "C:\\Hry\\Hra\\hra.exe" });

    // A driver is installed even when it could run; its setup is waited for.
    recorder->Clear();
    WriteDiscFile("Drivers/Gfx/setup.exe", "x");
    TDemos driver;
    driver.Name = "GFX";
    driver.CanRun = 1;
    driver.NeedsInstall = 1;
    driver.InstallType = InstallMethod::DriverSetup;
    driver.InstallDir = Drive() + "\\Drivers\\Gfx";
    driver.InstallName = "setup.exe";
    TDemos& selected = Select(CategoryCode::Drivers, driver);
    menu->Choose(MenuAction::Play);
    EXPECT_EQ(CommandLines(), std::vector<std::string> { Drive() + "\\Drivers\\Gfx\\setup.exe" });
    EXPECT_EQ(recorder->OpenHandleCount(), 0u);
    EXPECT_EQ(selected.NeedsInstall, 1);
}

TEST_F(Buttons, SharewareSetupInformationGoesToTheShell)
{
    WriteDiscFile("Shareware/Tool/TOOL.INF", "x");
    WriteDiscFile("Shareware/Tool/tool.inf", "x");
    TDemos share;
    share.InstallDir = "Tool";
    share.InstallName = "TOOL.INF";
    Select(CategoryCode::Shareware, share);
    menu->Choose(MenuAction::Play);
    const auto& install = OnlyShellExecute();
    EXPECT_EQ(install.verb, "INSTALL");
    EXPECT_EQ(install.file, Drive() + "\\Shareware\\Tool\\TOOL.INF");
    EXPECT_EQ(install.directory, Drive() + "\\Shareware\\Tool");
    EXPECT_TRUE(recorder->Starts().empty());

    menu->Catalogue.Shareware[1].InstallName = "tool.inf";
    menu->Choose(MenuAction::Play);
    EXPECT_EQ(CommandLines(), std::vector<std::string> { Drive() + "\\Shareware\\Tool\\tool.inf" });
}

TEST_F(Buttons, UpdatesFilmsConnectAndShowIni)
{
    menu->Catalogue.Updates.SetCount(2);
    menu->Catalogue.Updates[1].SetupName = "Patch\\patch12.exe";
    menu->Catalogue.Updates[2].SetupName = "Patch\\other.exe";
    menu->Catalogue.Updates[2].NoRun = 1;
    menu->Select({ CategoryCode::Updates, 1 });
    menu->Choose(MenuAction::Play);
    menu->Select({ CategoryCode::Updates, 2 });
    menu->Choose(MenuAction::Play);
    ASSERT_EQ(recorder->Starts().size(), 1u);
    EXPECT_EQ(recorder->Starts()[0].start.commandLine, Drive() + "\\Updates\\Patch\\patch12.exe");

    menu->Catalogue.Movies.SetCount(1);
    menu->Catalogue.Movies[1].InstallDir = Drive() + "\\Movies\\E3";
    menu->Catalogue.Movies[1].GameName = "trailer.avi";
    menu->Select({ CategoryCode::Movies, 1 });
    menu->Choose(MenuAction::Play);
    menu->OpenSignUp();
    menu->OpenCatalogueFile();
    ASSERT_EQ(recorder->ShellExecutes().size(), 3u);
    const auto& film = recorder->ShellExecutes()[0].request;
    EXPECT_EQ(film.verb, "OPEN");
    EXPECT_EQ(film.file, Drive() + "\\Movies\\E3\\trailer.avi");
    EXPECT_EQ(film.directory, "");
    EXPECT_EQ(recorder->ShellExecutes()[1].request.file, Drive() + "\\Kavorin\\signup_torva.isp");
    EXPECT_EQ(recorder->ShellExecutes()[2].request.file, Drive() + "\\TORVA\\TORVAXP.INI");
}

TEST_F(Buttons, ReadmeOfEachPage)
{
    TDemos item = Game("hra.exe");
    item.ReadmeName = "readme.txt";
    struct Case {
        CategoryCode category;
        std::string installDir;
        std::string path;
    };
    const Case cases[] = {
        { CategoryCode::Fulls, "", "C:\\Hry\\Hra\\readme.txt" },
        { CategoryCode::Extra, Drive() + "\\Extra\\Tool", Drive() + "\\Extra\\Tool\\readme.txt" },
        { CategoryCode::Drivers, Drive() + "\\Drivers\\Gfx", Drive() + "\\Drivers\\Gfx\\readme.txt" },
        { CategoryCode::Shareware, "Tool", Drive() + "\\Shareware\\Tool\\readme.txt" },
    };
    for (const Case& c : cases) {
        recorder->Clear();
        item.InstallDir = c.installDir;
        Select(c.category, item);
        menu->Choose(MenuAction::Readme);
        EXPECT_EQ(OnlyShellExecute().file, c.path) << static_cast<int>(c.category);
    }

    recorder->Clear();
    menu->Catalogue.Updates.SetCount(1);
    menu->Catalogue.Updates[1].SetupName = "Patch\\patch12.exe";
    menu->Catalogue.Updates[1].ReadmeName = "read.txt";
    menu->Select({ CategoryCode::Updates, 1 });
    menu->Choose(MenuAction::Readme);
    EXPECT_EQ(OnlyShellExecute().file, Drive() + "\\Updates\\Patch\\read.txt");
}

TEST_F(Buttons, ReloadReadsTheCatalogueAgain)
{
    EXPECT_EQ(menu->Catalogue.Demos.Count(), 0);
    WriteCatalogue("[Main]\nCD=0206\nDebug=1\nDemos=1\n[Demo1]\nName=Nova hra\n");
    menu->LoadCatalogue();
    EXPECT_EQ(menu->Catalogue.Demos.Count(), 1);
    EXPECT_EQ(menu->Catalogue.Demos[1].Name, "NOVA HRA");
    EXPECT_TRUE(menu->Catalogue.DebugMode);
}

TEST_F(Buttons, WebAddressGetsItsSchemeOnce)
{
    TDemos item = Game("hra.exe");
    const struct {
        const char* web;
        const char* opened;
    } cases[] = {
        { "www.hra.cz", "http://www.hra.cz" },
        { "http://www.hra.cz", "http://www.hra.cz" },
        { "HTTPS://www.hra.cz", "HTTPS://www.hra.cz" },
    };
    for (const auto& c : cases) {
        recorder->Clear();
        item.Web = c.web;
        Select(CategoryCode::Demos, item);
        menu->Choose(MenuAction::Web);
        EXPECT_EQ(OnlyShellExecute().file, c.opened);
        EXPECT_EQ(recorder->ShellExecutes().back().request.verb, "OPEN");
    }
    recorder->Clear();
    Select(CategoryCode::Shareware, item);
    menu->Choose(MenuAction::Web);
    EXPECT_TRUE(recorder->ShellExecutes().empty());
}

}

TEST_F(Launch, WineSetsANewPrefixUpOnlyForADiscWithWindowsSetups)
{
    std::string windows(0x44, '\0');
    windows.replace(0, 2, "MZ");
    windows[0x3C] = 0x40;
    windows.replace(0x40, 4, std::string("PE\0\0", 4));
    WriteDiscFile("DEMOS/NATIVE/SETUP.EXE", "\x7f"
                                            "ELF native setup");
    WriteDiscFile("DEMOS/WIN/SETUP.EXE", windows);
    WriteDiscFile("DEMOS/WIN/PACK.MSI", "package");
    struct Case {
        const char* folder;
        const char* installName;
        bool prepareWine;
        size_t preparations;
    };
    const Case cases[] = {
        { "NATIVE", "SETUP.EXE", true, 0 },
        { "WIN", "SETUP.EXE", false, 0 },
        { "WIN", "SETUP.EXE /S", true, 1 },
        { "WIN", "PACK.MSI /qn", true, 1 },
    };
    for (const Case& c : cases) {
        size_t before = recorder->WinePreparations();
        FormlessServices parts { services };
        parts.catalogue.Demos.SetCount(1);
        parts.catalogue.Demos[1].InstallDir = Drive() + "\\DEMOS\\" + c.folder;
        parts.catalogue.Demos[1].InstallName = c.installName;
        Launcher(parts.Services(), c.prepareWine).PrepareWineInBackground();
        EXPECT_EQ(recorder->WinePreparations() - before, c.preparations) << c.folder << " " << c.installName;
    }
}
