#include "ActionFixture.h"

#include "platform/text/Codepage.h"
#include "tests/support/ExistingPaths.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class Uninstall : public ActionFixture {
protected:
    void SetUp() override
    {
        ActionFixture::SetUp();
        StartOn();
        menu->Select({ CategoryCode::Demos, 1 });
        menu->Catalogue.Demos.SetCount(1);
        WriteDriveC("Hry/Hra/hra.exe", "x");
        WriteDriveC("Hry/Hra/save/slot1.sav", std::string(1000, 's'));
    }

    fs::path DriveC() const { return root / "prefix" / "drive_c"; }
    // Which of `paths`, below drive C:, exist.
    std::vector<std::string> Present(const std::vector<std::string>& paths) const { return torva::test::ExistingPaths(DriveC(), paths); }

    // An installed demo whose uninstaller removes the program and leaves the saved games.
    TDemos& Installed(int32_t installType, const std::string& uninstall)
    {
        TDemos& item = menu->Catalogue.Demos[1];
        item = Hra(installType);
        item.GameDir = "C:\\Hry\\Hra";
        item.Uninstall = uninstall;
        item.Installed = 1;
        item.CanRun = 1;
        return item;
    }

    void UninstallerRemovesTheProgram()
    {
        recorder->SetExitHook([&](const platform::RecordedStart&) { fs::remove(DriveC() / "Hry" / "Hra" / "hra.exe"); });
    }

    std::string LeftoversQuestion() const
    {
        return platform::Utf8ToCp1250("Po odinstalaci zbylo v adresáři C:\\HRY\\HRA několik souborů. Většinou se jedná uložené pozice, obrázky či dočasné soubory, které nebyly odstraněny. Chcete je všechny smazat? (doporučujeme)");
    }
    std::string DeleteQuestionFor(const std::string& upperFolder) const
    {
        return platform::Utf8ToCp1250("Přejete si odstranit všechny soubory z " + upperFolder + " ?");
    }
};

TEST_F(Uninstall, RunsTheRegisteredUninstallerThenOffersTheLeftovers)
{
    TDemos& item = Installed(4, "DG");
    item.UnInstallName = "C:\\Hry\\Hra\\uninst.exe /quiet";
    WriteDriveC("Hry/Hra/uninst.exe", "x");
    WriteRecords("CD0206", "HRA", "C:\\Hry\\Hra", "hra.exe,,DG,");
    UninstallerRemovesTheProgram();
    AnswerNo();  // DG: the game folder
    AnswerYes(); // leftovers: under a megabyte, one question
    menu->Uninstaller().UninstallProc(item, menu->Category());

    EXPECT_EQ(CommandLines(), std::vector<std::string> { "C:\\Hry\\Hra\\uninst.exe /quiet" });
    EXPECT_EQ(ShownTexts(), (std::vector<std::string> { DeleteQuestionFor("C:\\HRY\\HRA"), LeftoversQuestion() }));
    EXPECT_FALSE(fs::exists(DriveC() / "Hry"));
    EXPECT_EQ(item.Installed, 0);
    EXPECT_EQ(item.NeedsInstall, 1);
    EXPECT_EQ(item.CanRun, 0);
    EXPECT_EQ(item.Uninstall, "DG");
    EXPECT_EQ(Records("HRA"), NoRecords);
    EXPECT_TRUE(dialogs.Failure().empty()) << dialogs.Failure();
}

TEST_F(Uninstall, AnsweringNoKeepsTheLeftovers)
{
    TDemos& item = Installed(4, "*");
    item.UnInstallName = "C:\\Hry\\Hra\\uninst.exe";
    WriteDriveC("Hry/Hra/uninst.exe", "x");
    UninstallerRemovesTheProgram();
    AnswerNo();
    menu->Uninstaller().UninstallProc(item, menu->Category());
    EXPECT_EQ(ShownTexts(), std::vector<std::string> { LeftoversQuestion() });
    EXPECT_TRUE(fs::exists(DriveC() / "Hry" / "Hra" / "save" / "slot1.sav"));
}

TEST_F(Uninstall, WithoutUninstallerTheGameFolderIsAskedAboutOnce)
{
    WriteDriveC("windows/Start Menu/Programs/Hra/Hra.lnk", "x");
    menu->Context.ProgramsDir = "C:\\WINDOWS\\Start Menu\\Programs\\";
    TDemos& item = Installed(4, "*DG,SNHra");
    AnswerYes();
    menu->Uninstaller().UninstallProc(item, menu->Category());
    EXPECT_TRUE(recorder->Starts().empty());
    EXPECT_EQ(ShownTexts(), std::vector<std::string> { DeleteQuestionFor("C:\\HRY\\HRA") });
    EXPECT_FALSE(fs::exists(DriveC() / "Hry"));
    EXPECT_FALSE(fs::exists(DriveC() / "windows" / "Start Menu" / "Programs" / "Hra"));
    EXPECT_TRUE(fs::exists(DriveC() / "windows" / "Start Menu" / "Programs"));
    EXPECT_EQ(item.Uninstall, "*DG,SNHra");
}

TEST_F(Uninstall, ACancelledUninstallerLeavesEverything)
{
    TDemos& item = Installed(4, "FGsave\\slot1.sav,RMD\\SOFTWARE\\Hra");
    item.UnInstallName = "C:\\Hry\\Hra\\uninst.exe";
    WriteDriveC("Hry/Hra/uninst.exe", "x");
    menu->Uninstaller().UninstallProc(item, menu->Category());
    EXPECT_EQ(recorder->Starts().size(), 1u);
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_TRUE(fs::exists(DriveC() / "Hry" / "Hra" / "save" / "slot1.sav"));
    EXPECT_EQ(item.Installed, 1);
}

// Asked to end (the session's SIGTERM) while the uninstaller still runs, the menu stops waiting
// and leaves the rest to it: no clean-up runs beside a program that may be removing those files.
TEST_F(Uninstall, AnUninstallerStillRunningWhenTheMenuEndsIsLeftAlone)
{
    TDemos& item = Installed(4, "FGsave\\slot1.sav,RMD\\SOFTWARE\\Hra");
    item.UnInstallName = "C:\\Hry\\Hra\\uninst.exe";
    WriteDriveC("Hry/Hra/uninst.exe", "x");
    WriteRecords("CD0206", "HRA", "C:\\Hry\\Hra", "hra.exe,,FGsave\\slot1.sav,");
    fs::remove(DriveC() / "Hry" / "Hra" / "hra.exe"); // the uninstaller's first step, done
    recorder->SetRunBehaviour(100000, 0);
    loop.Terminate();
    menu->Uninstaller().UninstallProc(item, menu->Category());
    loop.ClearTerminated();
    EXPECT_LE(recorder->WaitCount(), 1u);
    EXPECT_EQ(recorder->OpenHandleCount(), 0u);
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_TRUE(fs::exists(DriveC() / "Hry" / "Hra" / "save" / "slot1.sav"));
    EXPECT_EQ(item.Installed, 1);
    EXPECT_EQ(item.Uninstall, "FGsave\\slot1.sav,RMD\\SOFTWARE\\Hra");
    EXPECT_NE(Records("HRA"), NoRecords);
}

TEST_F(Uninstall, LeadingMarksChooseTheUninstaller)
{
    struct Case {
        const char* uninstall;
        std::vector<std::string> commands;
    };
    const std::string system = menu->Context.SystemDir;
    const Case cases[] = {
        { "", { "C:\\Hry\\Hra\\uninst.exe" } },
        { "!", {} },
        { "?SUNWISE.EXE /A INSTALL.LOG", { system + "UNWISE.EXE /A INSTALL.LOG" } },
        { "?!SUNWISE.EXE", {} },
        { "SETUP", { Drive() + "\\DEMOS\\Hra\\setup.exe" } },
    };
    WriteDriveC("Hry/Hra/uninst.exe", "x");
    WriteDriveC("windows/system32/UNWISE.EXE", "x");
    WriteDiscFile("DEMOS/Hra/setup.exe", "x");
    for (const Case& c : cases) {
        recorder->Clear();
        TDemos& item = Installed(5, c.uninstall);
        item.UnInstallName = "C:\\Hry\\Hra\\uninst.exe";
        menu->Uninstaller().UninstallProc(item, menu->Category());
        EXPECT_EQ(CommandLines(), c.commands) << c.uninstall;
        EXPECT_EQ(item.Uninstall, c.uninstall);
    }
}

TEST_F(Uninstall, LeftoversAreAskedAboutBySize)
{
    TDemos& item = Installed(2, "");
    fs::remove(DriveC() / "Hry" / "Hra" / "hra.exe");
    // 20 MB: two questions, the second with the size.
    WriteDriveC("Hry/Hra/big.dat", "");
    fs::resize_file(DriveC() / "Hry" / "Hra" / "big.dat", 20u << 20);
    AnswerNo(); // the game folder
    AnswerYes();
    AnswerYes();
    menu->Uninstaller().UninstallProc(item, menu->Category());
    ASSERT_EQ(dialogs.Shown().size(), 3u);
    EXPECT_EQ(dialogs.Shown()[2].text, platform::Utf8ToCp1250("Opravdu chcete smazat 20 MB dat?"));
    EXPECT_FALSE(fs::exists(DriveC() / "Hry"));

    // 300 MB: left alone without a question. Exactly 512 KB: asked like any other size.
    dialogs = platform::HeadlessDialogs();
    CleanupInterpreter cleanup = menu->Uninstaller().Interpreter(nullptr);
    WriteDriveC("Hry/Hra/save.dat", "");
    fs::resize_file(DriveC() / "Hry" / "Hra" / "save.dat", 300u << 20);
    cleanup.CleanLeftovers("C:\\Hry\\Hra");
    EXPECT_TRUE(dialogs.Shown().empty());
    fs::resize_file(DriveC() / "Hry" / "Hra" / "save.dat", 512u << 10);
    AnswerNo();
    cleanup.CleanLeftovers("C:\\Hry\\Hra");
    EXPECT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_TRUE(fs::exists(DriveC() / "Hry" / "Hra" / "save.dat"));

    // A folder that is gone is not asked about, though Windows NT claims every folder exists.
    ASSERT_EQ(menu->Context.WinVersion, "Windows NT");
    cleanup.CleanLeftovers("C:\\Gone");
    cleanup.DeleteQuestion("C:\\Gone");
    EXPECT_EQ(dialogs.Shown().size(), 1u);
}

TEST_F(Uninstall, FileAndFolderInstructions)
{
    for (const char* file : { "windows/hra.ini", "windows/Desktop/Hra.lnk", "windows/Start Menu/Programs/Hry/Hra/Hra.lnk", "Data/Hra/a.dat", "Data/Other/b.dat", "Hry/Hra/cfg/hra.cfg" })
        WriteDriveC(file, "x");
    fs::create_directories(DriveC() / "Program Files" / "Vyrobce" / "Hra");
    menu->Context.DesktopDir = "C:\\WINDOWS\\Desktop\\";
    menu->Context.ProgramsDir = "C:\\WINDOWS\\Start Menu\\Programs\\";
    menu->Context.ProgramFilesDir = "C:\\Program Files\\";

    TDemos& item = Installed(2, "FWhra.ini;FGcfg\\hra.cfg;FPHry\\Hra\\Hra.lnk;SDHra.lnk;F?:\\Data\\Hra\\a.dat;FC:\\Data\\Other\\b.dat;FWmissing.ini;DEFVyrobce\\Hra;DE");
    fs::remove(DriveC() / "Hry" / "Hra" / "hra.exe");
    fs::remove_all(DriveC() / "Hry" / "Hra" / "save");
    AnswerNo();
    menu->Uninstaller().UninstallProc(item, menu->Category());

    EXPECT_EQ(Present({ "windows/hra.ini", "Hry", "windows/Start Menu/Programs/Hry", "windows/Desktop/Hra.lnk", "Data", "Program Files/Vyrobce" }), std::vector<std::string> {});
    // The folders that belong to the system stay even when they become empty.
    const std::vector<std::string> system { "Program Files", "windows/Desktop", "windows/Start Menu/Programs" };
    EXPECT_EQ(Present(system), system);
    EXPECT_EQ(ShownTexts(), (std::vector<std::string> { DeleteQuestionFor("C:\\HRY\\HRA"), "Can't delete C:\\WINDOWS\\missing.ini" }));
}

// A folder's removal climbs over its emptied parents, but never removes a shell folder.
TEST_F(Uninstall, RemovingAFolderKeepsTheEmptiedShellFolderAboveIt)
{
    menu->Context.DesktopDir = "C:\\WINDOWS\\Desktop\\";
    menu->Context.CommonDesktopDir = "C:\\users\\Public\\Desktop\\";
    WriteRegistry(platform::HKEY_CURRENT_USER, "\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "AppData", "C:\\WINDOWS\\Application Data");
    const std::vector<std::string> shellFolders { "windows/Desktop", "windows/Application Data", "users/Public/Desktop" };
    for (const std::string& folder : shellFolders)
        WriteDriveC(folder + "/Hra/hra.cfg", "x");
    TDemos& item = Installed(2, "DC:\\WINDOWS\\Desktop\\Hra,DC:\\WINDOWS\\Application Data\\Hra,DC:\\users\\Public\\Desktop\\Hra");
    fs::remove(DriveC() / "Hry" / "Hra" / "hra.exe");
    AnswerNo(); // the game folder
    for (int i = 0; i < 3; ++i)
        AnswerYes();
    menu->Uninstaller().UninstallProc(item, menu->Category());
    EXPECT_EQ(Present({ "windows/Desktop/Hra", "windows/Application Data/Hra", "users/Public/Desktop/Hra" }), std::vector<std::string> {});
    EXPECT_EQ(Present(shellFolders), shellFolders);
}

TEST_F(Uninstall, RegistryAndProgramGroupInstructions)
{
    auto write = [](platform::RootKey root, const std::string& key, const std::string& name) { WriteRegistry(root, key, name, "x"); };
    auto exists = [](platform::RootKey root, const std::string& key, const std::string& name = "") {
        platform::Registry reg;
        reg.SetRootKey(root);
        return reg.OpenKeyReadOnly(key) && (name.empty() || reg.ValueExists(name));
    };
    using platform::HKEY_CURRENT_USER;
    using platform::HKEY_LOCAL_MACHINE;
    write(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Vyrobce\\Hra\\Settings", "a");
    write(HKEY_CURRENT_USER, "\\Software\\Vyrobce\\Hra", "b");
    write(HKEY_CURRENT_USER, "\\Software\\Vyrobce\\Jina", "c");
    write(HKEY_CURRENT_USER, "\\Software\\Vyrobce\\Jina\\Sub", "c");
    write(HKEY_CURRENT_USER, "\\Software\\Vyrobce2", "keep");
    write(HKEY_CURRENT_USER, "\\Software\\Vyrobce2", "drop");
    write(HKEY_CURRENT_USER, "\\Software\\Microsoft\\Windows\\CurrentVersion\\GrpConv\\MapGroups", "Hra");
    write(HKEY_CURRENT_USER, "\\Software\\Microsoft\\Windows\\CurrentVersion\\GrpConv\\Groups", "C:\\WINDOWS\\HRA.GRP");
    WriteDriveC("windows/HRA.GRP", "x");

    TDemos& item = Installed(2, "RMDSOFTWARE\\Vyrobce\\Hra,RUE\\Software\\Vyrobce\\Hra,RUE\\Software\\Vyrobce\\Jina,RUF\\Software\\Vyrobce2|drop,SFHra|HRA.GRP,RMD\\SOFTWARE,RMDSoftware\\Microsoft");
    fs::remove_all(DriveC() / "Hry");
    menu->Uninstaller().UninstallProc(item, menu->Category());

    EXPECT_FALSE(exists(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Vyrobce\\Hra"));
    EXPECT_TRUE(exists(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Vyrobce"));
    EXPECT_FALSE(exists(HKEY_CURRENT_USER, "\\Software\\Vyrobce\\Hra"));
    EXPECT_TRUE(exists(HKEY_CURRENT_USER, "\\Software\\Vyrobce\\Jina\\Sub")) << "E keeps a key with subkeys";
    EXPECT_FALSE(exists(HKEY_CURRENT_USER, "\\Software\\Vyrobce2", "drop"));
    EXPECT_TRUE(exists(HKEY_CURRENT_USER, "\\Software\\Vyrobce2", "keep"));
    EXPECT_FALSE(exists(HKEY_CURRENT_USER, "\\Software\\Microsoft\\Windows\\CurrentVersion\\GrpConv\\MapGroups", "Hra"));
    EXPECT_FALSE(exists(HKEY_CURRENT_USER, "\\Software\\Microsoft\\Windows\\CurrentVersion\\GrpConv\\Groups", "C:\\WINDOWS\\HRA.GRP"));
    EXPECT_FALSE(fs::exists(DriveC() / "windows" / "HRA.GRP"));
    // A key at the top of a hive, or one that many programs share, is never deleted.
    EXPECT_TRUE(exists(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Microsoft"));
    EXPECT_TRUE(exists(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Vyrobce"));
    EXPECT_TRUE(dialogs.Shown().empty()) << "registry failures speak only in debug mode";

    menu->Catalogue.DebugMode = true;
    menu->Uninstaller().UninstallProc(Installed(2, "RMD\\SOFTWARE\\Missing,RUFSoftware\\Vyrobce2|gone"), menu->Category());
    EXPECT_EQ(ShownTexts(), (std::vector<std::string> { "Reg Key not deleted...", "Reg Entry not deleted..." }));
}

TEST_F(Uninstall, UninstallerInstructionsRunWhatTheyName)
{
    WriteDriveC("Hry/Hra/unreg.exe", "x");
    RegisterUninstall("Hra Addon", "C:\\Hry\\Hra\\unreg.exe /addon");
    const std::string system = menu->Context.SystemDir;
    WriteDriveC("windows/system32/regsvr.exe", "x");
    fs::remove(DriveC() / "Hry" / "Hra" / "hra.exe");
    AnswerNo();
    AnswerOk();
    AnswerNo();
    menu->Uninstaller().UninstallProc(Installed(2, "USregsvr.exe /u hra.dll,UUHra Addon"), menu->Category());
    EXPECT_EQ(CommandLines(), (std::vector<std::string> { system + "regsvr.exe /u hra.dll", "C:\\Hry\\Hra\\unreg.exe /addon" }));
    ASSERT_EQ(dialogs.Shown().size(), 3u);
    EXPECT_EQ(dialogs.Shown()[1].text, system + "regsvr.exe /u hra.dll");
    EXPECT_TRUE(dialogs.Failure().empty()) << dialogs.Failure();
}

// The clean-up language comes from catalogues: none of it may reach outside the machine's own
// folders or empty the system's.
TEST_F(Uninstall, CleanUpStaysInsideThePrefix)
{
    WriteHostFile(root / "outside" / "secret.txt", "x");
    fs::create_directory_symlink(root / "outside", DriveC() / "Hry" / "Out");
    fs::create_directory_symlink(DriveC() / "windows", DriveC() / "Hry" / "Win");
    ASSERT_NE(machine->MapDrive(root / "outside", platform::DRIVE_FIXED, 'Z'), 0);
    const std::vector<std::string> kept { "windows/win.ini", "Program Files/Common Files/shared.dll", "windows/Start Menu/Programs/Other/Other.lnk" };
    for (const std::string& file : kept)
        WriteDriveC(file, "x");
    menu->Context.ProgramsDir = "C:\\WINDOWS\\Start Menu\\Programs\\";

    const char* attempts[] = {
        "DC:\\",
        "DC:\\WINDOWS",
        "DC:\\Program Files",
        "DC:\\PROGRAM FILES\\",
        "DG..\\..",
        "DG..\\..\\WINDOWS",
        "DC:\\Hry\\Out",
        "DC:\\Hry\\Win",
        "DC:\\WINDOWS\\..\\Program Files\\Common Files\\..",
        "DZ:\\",
        "FZ:\\secret.txt",
        "FC:\\Hry\\Out\\secret.txt",
        "FC:\\..\\..\\..\\outside\\secret.txt",
        "SN..",
        "SN.",
        "SN\\",
        "DC:\\WINDOWS\\Start Menu",
        "D?:\\",
    };
    for (const char* attempt : attempts) {
        SCOPED_TRACE(attempt);
        for (int i = 0; i < 4; ++i)
            AnswerYes();
        TDemos& item = Installed(2, attempt);
        fs::remove(DriveC() / "Hry" / "Hra" / "hra.exe");
        menu->Uninstaller().UninstallProc(item, menu->Category());
        EXPECT_TRUE(fs::exists(root / "outside" / "secret.txt"));
        EXPECT_EQ(Present(kept), kept);
        EXPECT_TRUE(fs::is_symlink(DriveC() / "Hry" / "Win"));
        WriteDriveC("Hry/Hra/hra.exe", "x");
        dialogs = platform::HeadlessDialogs();
    }
}

// A refused instruction is skipped and noted; the item's own instructions around it still run.
TEST_F(Uninstall, ARefusedInstructionIsSkippedAndTheListGoesOn)
{
    WriteDriveC("windows/hra.ini", "x");
    WriteDriveC("Hry/Hra/hra.cfg", "x");
    TIniFile("torva.ini").WriteString("CD0206", "JINA", "C:\\Hry\\Jina");
    WriteDriveC("Hry/Jina/jina.exe", "x");
    TDemos& item = Installed(2, "FWhra.ini,FWtorva.ini,DG..,FC:\\Hry\\Jina\\jina.exe,RMD\\System,FGhra.cfg");
    fs::remove(DriveC() / "Hry" / "Hra" / "hra.exe");
    AnswerNo();
    AnswerNo();
    menu->Uninstaller().UninstallProc(item, menu->Category());
    EXPECT_EQ(Present({ "windows/hra.ini", "Hry/Hra/hra.cfg", "windows/torva.ini", "Hry/Jina/jina.exe" }), (std::vector<std::string> { "windows/torva.ini", "Hry/Jina/jina.exe" }));
    const std::string noted = debugOutput.str();
    for (const char* refused : { "C:\\WINDOWS\\torva.ini", "remove folder C:\\Hry", "jina.exe", "delete key \\System" })
        EXPECT_NE(noted.find(refused), std::string::npos) << refused << " in " << noted;
}

TEST_F(Uninstall, InstalledPageRebuildsAfterwards)
{
    WriteRecords("CD0206", "HRA", "C:\\Hry\\Hra", "hra.exe,,,");
    menu->OpenInstalledPage();
    ASSERT_EQ(menu->Catalogue.InstalledList.Count(), 1);
    ASSERT_EQ(menu->Category(), CategoryCode::Installed);
    TDemos& entry = menu->Catalogue.InstalledList[1];
    EXPECT_EQ(entry.InstallType, InstallMethod::MenuUnpacked);
    AnswerYes();
    menu->Uninstaller().UninstallProc(entry, menu->Category());
    EXPECT_EQ(menu->Catalogue.InstalledList.Count(), 0);
    EXPECT_EQ(State("CD0206", "HRA"), "<none>");
    EXPECT_FALSE(fs::exists(DriveC() / "Hry"));
}

}
