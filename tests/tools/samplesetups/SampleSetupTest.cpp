#include "platform/events/EventLoop.h"
#include "platform/files/Files.h"
#include "platform/ini/IniFile.h"
#include "platform/machine/Machine.h"
#include "platform/process/Process.h"
#include "platform/registry/Registry.h"
#include "platform/text/Codepage.h"
#include "shell/LnkFormat.h"
#include "shell/PathText.h"
#include "tools/samplesetups/Installer.h"
#include "tools/samplesetups/SampleConfig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

using namespace platform;
namespace fs = std::filesystem;

constexpr const char* kUninstallKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::string U(const char* utf8)
{
    return Utf8ToCp1250(utf8);
}

// A fresh machine with the sample programs placed on a disc in drive E:, run as the menu runs
// them: through the host process service, which gives them WINEPREFIX.
class SampleSetupTest : public ::testing::Test {
protected:
    void SetUp() override { Open(false); }

    void Open(bool win64)
    {
        base = fs::path(TORVA_TEST_OUTPUT_DIR) / ("setups-" + std::to_string(::getpid()));
        fs::remove_all(base);
        disc = base / "disc";
        fs::create_directories(disc);
        MachineSetup setup;
        setup.version = "winxp";
        setup.win64 = win64;
        machine = Machine::OpenOrCreate(base / "prefix", setup);
        SetCurrentMachine(machine);
        ASSERT_EQ(machine->MapDrive(disc, DRIVE_CDROM, 'E'), 'E');
        service = MakeHostProcessService(machine);
    }

    void TearDown() override
    {
        SetCurrentMachine(nullptr);
        std::error_code error;
        fs::remove_all(base, error);
    }

    // Programs find their item by the folder they sit in, so each gets a link of its own name
    // (a copy where links cannot be made).
    void Place(const char* program, const std::string& discPath)
    {
        fs::path target = disc / discPath;
        fs::create_directories(target.parent_path());
        std::error_code error;
        fs::create_hard_link(program, target, error);
        if (error)
            fs::copy_file(program, target, fs::copy_options::overwrite_existing);
    }

    void PlaceItem(const std::string& folder, const std::string& program)
    {
        Place(SAMPLE_SETUP_PROGRAM, folder + "/SETUP.EXE");
        if (!program.empty())
            Place(SAMPLE_GAME_PROGRAM, folder + "/" + program);
    }

    // The exit code, or -1 when the program could not be started.
    int Run(const std::string& commandLine)
    {
        ProcessStart start;
        start.commandLine = commandLine;
        auto process = service->CreateProcess(start);
        if (!process)
            return -1;
        RealClock clock;
        EventLoop loop(clock);
        uint32_t code = STILL_ACTIVE;
        while (service->GetExitCodeProcess(*process, code) && code == STILL_ACTIVE)
            service->WaitForExitOrMessage(*process, loop, 1000);
        service->CloseHandle(*process);
        return static_cast<int>(code);
    }

    static std::string ReadValue(RootKey root, const std::string& key, const std::string& name)
    {
        Registry registry;
        registry.SetRootKey(root);
        return registry.OpenKeyReadOnly(key) ? registry.ReadString(name) : std::string();
    }

    static bool KeyExists(const std::string& key)
    {
        Registry registry;
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        return registry.KeyExists(key);
    }

    static shell::LnkFile ReadLink(const std::string& path)
    {
        auto bytes = ReadWholeFile(path);
        EXPECT_TRUE(bytes) << path;
        std::string content = bytes.value_or("");
        return shell::ParseLnk(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(content.data()), content.size()), "test.lnk").Value();
    }

    fs::path base, disc;
    std::shared_ptr<Machine> machine;
    std::shared_ptr<IProcessService> service;
};

TEST_F(SampleSetupTest, SetupInstallsWhatTheMenuLooksForAndTheUninstallerTakesItBack)
{
    PlaceItem("DEMOS/RALLYE", "RALLYE.EXE");
    ASSERT_EQ(Run("E:\\DEMOS\\RALLYE\\SETUP.EXE"), 0);

    const std::string folder = "C:\\Hry\\Rallye Bohemia";
    EXPECT_TRUE(FileExists(folder + "\\RALLYE.EXE"));
    EXPECT_TRUE(FileExists(folder + "\\DATA\\TRATE.DAT"));
    EXPECT_EQ(GetFileSize(folder + "\\SAVE\\POZICE1.SAV"), 400000u);
    auto hostProgram = ResolveExisting(folder + "\\RALLYE.EXE");
    ASSERT_TRUE(hostProgram);
    EXPECT_NE(fs::status(*hostProgram).permissions() & fs::perms::owner_exec, fs::perms::none);

    // Found by the uninstaller's folder (DirDetect 1) and by the Start-menu shortcut's
    // working folder (DirDetect 3), both as the menu reads them.
    std::string command = ReadValue(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "Rallye Bohemia", "UninstallString");
    EXPECT_EQ(command, folder + "\\UNINSTAL.EXE -f\"" + folder + "\\INSTALL.LOG\"");
    EXPECT_EQ(shell::UninstallDirOf(command), folder + "\\");
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "Rallye Bohemia", "DisplayName"), "Rallye Bohemia");
    std::string shortcut = samplesetups::ProgramsFolder() + "\\Rallye Bohemia\\Rallye Bohemia.lnk";
    EXPECT_EQ(samplesetups::ProgramsFolder(), "C:\\users\\Public\\Start Menu\\Programs");
    shell::LnkFile link = ReadLink(shortcut);
    EXPECT_EQ(link.workingDir.value_or(""), folder + "\\");
    EXPECT_EQ(shell::ResolveTarget(link), folder + "\\RALLYE.EXE");

    // The registered command line, unquoted with blanks, is what the menu starts.
    ASSERT_EQ(Run(command), 0);
    EXPECT_FALSE(FileExists(folder + "\\RALLYE.EXE"));
    EXPECT_FALSE(FileExists(folder + "\\UNINSTAL.EXE"));
    EXPECT_FALSE(FileExists(folder + "\\INSTALL.LOG"));
    EXPECT_FALSE(DirectoryExists(folder + "\\DATA"));
    EXPECT_FALSE(KeyExists(std::string(kUninstallKey) + "Rallye Bohemia"));
    EXPECT_TRUE(KeyExists(std::string(kUninstallKey)));
    EXPECT_FALSE(FileExists(shortcut));
    EXPECT_FALSE(DirectoryExists(samplesetups::ProgramsFolder() + "\\Rallye Bohemia"));
    // The saved game stays, so the menu's clean-up question has something to ask about.
    EXPECT_TRUE(FileExists(folder + "\\SAVE\\POZICE1.SAV"));
}

TEST_F(SampleSetupTest, EachDetectionMethodFindsItsItem)
{
    PlaceItem("DEMOS/LEGIE", "LEGIE.EXE");
    PlaceItem("DEMOS/PARENIST", "PARENIST.EXE");
    PlaceItem("DEMOS/HLIDKA", "HLIDKA.EXE");
    PlaceItem("DEMOS/BITVA", "BITVA.EXE");
    for (const char* setup : { "E:\\DEMOS\\LEGIE\\SETUP.EXE", "E:\\DEMOS\\PARENIST\\SETUP.EXE",
             "E:\\DEMOS\\HLIDKA\\SETUP.EXE", "E:\\DEMOS\\BITVA\\SETUP.EXE" })
        ASSERT_EQ(Run(setup), 0) << setup;

    // DirDetect 2: HKLM\Software\<RegKey> <RegName> holds the program.
    const std::string legie = U("C:\\Hry\\Ocelová legie");
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, "\\Software\\Torva Samples\\Ocelova legie", "Path"), legie + "\\LEGIE.EXE");
    // DirDetect 6: an INI file in the Windows folder names the folder.
    const std::string parenist = U("C:\\Hry\\Pařeniště");
    EXPECT_EQ(GetPrivateProfileString("Setup", "Dir", "", "PARENIST.INI"), parenist);
    // DirDetect 7: the desktop shortcut's target.
    const std::string hlidka = U("C:\\Hry\\Noční hlídka");
    shell::LnkFile desktop = ReadLink(samplesetups::DesktopFolder() + "\\" + U("Noční hlídka.lnk"));
    EXPECT_EQ(shell::ResolveTarget(desktop), hlidka + "\\HLIDKA.EXE");
    // InstallType 7: the uninstall command names a program in the game folder.
    const std::string bitva = U("C:\\Hry\\Vzdušná bitva");
    std::string bitvaCommand = ReadValue(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "Vzdusna bitva", "UninstallString");
    EXPECT_EQ(bitvaCommand.substr(0, bitvaCommand.find(" -f")), bitva + "\\UNINSTAL.EXE");

    for (const char* key : { "Ocelova legie", "Pareniste", "Nocni hlidka", "Vzdusna bitva" })
        ASSERT_EQ(Run(ReadValue(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + key, "UninstallString")), 0) << key;
    EXPECT_FALSE(KeyExists("\\Software\\Torva Samples\\Ocelova legie"));
    EXPECT_EQ(GetPrivateProfileString("Setup", "Dir", "", "PARENIST.INI"), "");
    EXPECT_FALSE(FileExists("C:\\WINDOWS\\PARENIST.INI"));
    EXPECT_FALSE(FileExists(samplesetups::DesktopFolder() + "\\" + U("Noční hlídka.lnk")));
    EXPECT_TRUE(FileExists(legie + "\\LEGIE.CFG"));
    EXPECT_FALSE(FileExists(bitva + "\\BITVA.EXE"));
}

TEST_F(SampleSetupTest, SierraSetupRecordsItsFolderAndUninstallsItself)
{
    PlaceItem("DEMOS/PIRATI", "PIRATI.EXE");
    ASSERT_EQ(Run("E:\\DEMOS\\PIRATI\\SETUP.EXE"), 0);
    const std::string folder = "C:\\Sierra\\Kral piratu";
    EXPECT_EQ(GetPrivateProfileString("Sierra", "SierraDir", "", "sierra.ini"), folder);
    EXPECT_TRUE(FileExists(folder + "\\SETUP.EXE"));
    EXPECT_TRUE(FileExists(samplesetups::ProgramsFolder() + "\\Sierra\\" + U("Král pirátů.lnk")));

    ASSERT_EQ(Run(folder + "\\SETUP.EXE /U"), 0);
    EXPECT_FALSE(FileExists(folder + "\\SETUP.EXE"));
    EXPECT_FALSE(FileExists(folder + "\\PIRATI.EXE"));
    EXPECT_EQ(GetPrivateProfileString("Sierra", "SierraDir", "", "sierra.ini"), "");
    EXPECT_TRUE(FileExists(folder + "\\SAVE\\KAPITAN.SAV"));
}

TEST_F(SampleSetupTest, UpdatesNeedTheirGameAndLeaveWithIt)
{
    PlaceItem("DEMOS/RALLYE", "RALLYE.EXE");
    Place(SAMPLE_SETUP_PROGRAM, "Updates/PATCH11/SETUP.EXE");
    EXPECT_EQ(Run("E:\\Updates\\PATCH11\\SETUP.EXE"), 1);
    EXPECT_FALSE(DirectoryExists("C:\\Hry\\Rallye Bohemia"));

    ASSERT_EQ(Run("E:\\DEMOS\\RALLYE\\SETUP.EXE"), 0);
    ASSERT_EQ(Run("E:\\Updates\\PATCH11\\SETUP.EXE"), 0);
    EXPECT_TRUE(FileExists("C:\\Hry\\Rallye Bohemia\\DATA\\PATCH11.DAT"));
    ASSERT_EQ(Run(ReadValue(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "Rallye Bohemia", "UninstallString")), 0);
    EXPECT_FALSE(FileExists("C:\\Hry\\Rallye Bohemia\\DATA\\PATCH11.DAT"));
    EXPECT_FALSE(FileExists("C:\\Hry\\Rallye Bohemia\\RALLYE.EXE"));
}

TEST_F(SampleSetupTest, DriverGoesToTheSystemFolder)
{
    PlaceItem("Drivers/GRAFIKA", "");
    ASSERT_EQ(Run("E:\\Drivers\\GRAFIKA\\SETUP.EXE"), 0);
    EXPECT_EQ(GetFileSize(GetSystemDirectoryA() + "\\TORVAGFX.DRV"), 20000u);
    ASSERT_EQ(Run(ReadValue(HKEY_LOCAL_MACHINE, std::string(kUninstallKey) + "Torva grafika", "UninstallString")), 0);
    EXPECT_FALSE(FileExists(GetSystemDirectoryA() + "\\TORVAGFX.DRV"));
    EXPECT_TRUE(DirectoryExists(GetSystemDirectoryA()));
    EXPECT_FALSE(DirectoryExists("C:\\Program Files\\Torva Drivers"));
    EXPECT_TRUE(DirectoryExists("C:\\Program Files"));
}

TEST_F(SampleSetupTest, DamagedOrMissingLogRemovesNothing)
{
    PlaceItem("DEMOS/RALLYE", "RALLYE.EXE");
    ASSERT_EQ(Run("E:\\DEMOS\\RALLYE\\SETUP.EXE"), 0);
    const std::string folder = "C:\\Hry\\Rallye Bohemia";
    ASSERT_TRUE(WriteWholeFile(folder + "\\INSTALL.LOG", "FILE\tC:\\Hry\\Rallye Bohemia\\RALLYE.EXE\nERASE\tC:\\\n"));
    EXPECT_EQ(Run(folder + "\\UNINSTAL.EXE -f\"" + folder + "\\INSTALL.LOG\""), 1);
    EXPECT_TRUE(FileExists(folder + "\\RALLYE.EXE"));
    EXPECT_EQ(Run(folder + "\\UNINSTAL.EXE -f\"" + folder + "\\NONE.LOG\""), 1);
    // A log naming keys above any program's own is not obeyed there.
    ASSERT_TRUE(WriteWholeFile(folder + "\\INSTALL.LOG", "KEY\tHKLM\tSoftware\\Microsoft\\Windows\\CurrentVersion\\Uninstall\r\nKEY\tHKLM\tSoftware\r\n"));
    EXPECT_EQ(Run(folder + "\\UNINSTAL.EXE -f\"" + folder + "\\INSTALL.LOG\""), 0);
    EXPECT_TRUE(KeyExists(std::string(kUninstallKey) + "Rallye Bohemia"));
}

TEST_F(SampleSetupTest, SetupsOutsideTheMenuSayWhatIsMissing)
{
    PlaceItem("DEMOS/NIC", "");
    EXPECT_EQ(Run("E:\\DEMOS\\NIC\\SETUP.EXE"), 1); // no item of that folder
    std::string old = std::getenv("WINEPREFIX") ? std::getenv("WINEPREFIX") : "";
    PlaceItem("DEMOS/RALLYE", "RALLYE.EXE");
    std::string program = (disc / "DEMOS" / "RALLYE" / "SETUP.EXE").string();
    ::unsetenv("WINEPREFIX");
    EXPECT_NE(std::system((program + " > /dev/null 2>&1").c_str()), 0);
    if (!old.empty())
        ::setenv("WINEPREFIX", old.c_str(), 1);
}

TEST_F(SampleSetupTest, GameFromTheDiscMakesItsTestFileAndEnds)
{
    Place(SAMPLE_GAME_PROGRAM, "DEMOS/SACHY/SACHY.EXE");
    std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    EXPECT_EQ(Run("E:\\DEMOS\\SACHY\\SACHY.EXE --close-after 100"), 0);
    if (!display.empty())
        ::setenv("DISPLAY", display.c_str(), 1);
    EXPECT_TRUE(FileExists("C:\\Torva\\Sachy\\SACHY.CFG"));
}

// Every item's description, installed and taken back: what stays is exactly what it leaves.
TEST_F(SampleSetupTest, EveryItemLeavesOnlyItsLeftovers)
{
    const std::pair<const char*, const char*> items[] = {
        { "DEMOS/BITVA", "DEMOS" },
        { "DEMOS/FARMA", "DEMOS" },
        { "DEMOS/FORMULE", "DEMOS" },
        { "DEMOS/LIGA", "DEMOS" },
        { "DEMOS/PODZEMI", "DEMOS" },
        { "DEMOS/PRISTAV", "DEMOS" },
        { "DEMOS/TANKY", "DEMOS" },
        { "PLNA/HRAD", "PLNA" },
        { "SHAREWARE/PEXESO", "Shareware" },
        { "SHAREWARE/HUDBA", "Shareware" },
        { "DRIVERS/ZVUK", "Drivers" },
        { "DRIVERS/KLAVES", "Drivers" },
        { "READERS/BLUDISTE", "Readers" },
        { "EXTRA/EDITOR", "Extra" },
        { "EXTRA/SPORIC", "Extra" },
        { "UPDATES/DIRECTX", "Updates" },
    };
    for (const auto& [key, top] : items) {
        SCOPED_TRACE(key);
        auto config = samplesetups::ParseSampleConfig(*samplesetups::BuiltInConfigText(key));
        ASSERT_TRUE(config);
        std::string inner = std::string(key).substr(std::string(key).find('/') + 1);
        std::string discFolder = std::string(top) + "/" + inner;
        PlaceItem(discFolder, config->program);
        ASSERT_EQ(Run("E:\\" + std::string(top) + "\\" + inner + "\\SETUP.EXE"), 0);
        if (!config->program.empty()) {
            EXPECT_TRUE(FileExists(config->folder + "\\" + config->program));
        }
        ASSERT_EQ(Run(samplesetups::UninstallCommand(*config)), 0);

        std::vector<std::string> left;
        if (auto host = ResolveExisting(config->folder)) {
            for (const auto& entry : fs::recursive_directory_iterator(*host)) {
                if (entry.is_regular_file())
                    left.push_back(Utf8ToCp1250(fs::relative(entry.path(), *host).string()));
            }
        }
        std::vector<std::string> expected;
        for (const auto& file : config->leftovers) {
            std::string name = file.name;
            std::replace(name.begin(), name.end(), '\\', '/');
            expected.push_back(name);
        }
        std::sort(left.begin(), left.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(left, expected);
        EXPECT_FALSE(KeyExists(std::string(kUninstallKey) + config->uninstallKey));
        for (const auto& file : config->systemFiles)
            EXPECT_FALSE(FileExists(GetSystemDirectoryA() + "\\" + file.name));
    }
}

class SampleSetup64Test : public SampleSetupTest {
protected:
    void SetUp() override { Open(true); }
};

TEST_F(SampleSetup64Test, RegistersInTheThirtyTwoBitView)
{
    PlaceItem("DEMOS/LEGIE", "LEGIE.EXE");
    ASSERT_EQ(Run("E:\\DEMOS\\LEGIE\\SETUP.EXE"), 0);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, "\\Software\\Torva Samples\\Ocelova legie", "Path"), U("C:\\Hry\\Ocelová legie\\LEGIE.EXE"));
    std::ifstream in(machine->SystemRegFile());
    std::string hive((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(hive.find("Software\\\\Wow6432Node\\\\Torva Samples\\\\Ocelova legie"), std::string::npos);
    EXPECT_NE(hive.find("Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Ocelova legie"), std::string::npos);
}

}
