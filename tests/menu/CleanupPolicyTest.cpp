#include "menu/CleanupPolicy.h"

#include "platform/machine/Machine.h"
#include "platform/text/Codepage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Case {
    std::string instruction;
    bool allowed;
};

// A Wine-style machine whose Z: is the whole host, with a game, another game, the user's
// documents and links out of the game folder.
class CleanupPolicyTest : public testing::Test {
protected:
    void SetUp() override
    {
        root = fs::path(TORVA_TEST_OUTPUT_DIR) / ("cleanup-policy-" + std::to_string(::getpid()));
        fs::remove_all(root);
        auto machine = platform::Machine::OpenOrCreate(root / "prefix");
        platform::SetCurrentMachine(machine);
        fs::path c = machine->DriveCDir();
        for (const char* file : { "Hry/Hra/hra.cfg", "Hry/Jina/jina.exe", "windows/torva.ini", "windows/win.ini",
                 "users/me/Documents/save.txt", "users/me/AppData/Roaming/Hra/hra.ini", "users/me/Desktop/Hra.lnk",
                 "users/Public/Start Menu/Programs/Hra/Hra.lnk", "users/me/Start Menu/Programs/Hra/Hra.lnk" })
            Write(c / file);
        Write(root / "outside" / "secret.txt");
        fs::create_directory_symlink(c / "windows", c / "Hry" / "Hra" / "Win");
        fs::create_directory_symlink(root / "outside", c / "Hry" / "Hra" / "Out");
        ASSERT_EQ(machine->MapDrive("/", platform::DRIVE_FIXED, 'Z'), 'Z');
        ASSERT_EQ(machine->MapDrive(root / "outside", platform::DRIVE_FIXED, 'Y'), 'Y');
        prefixOnZ = "Z:" + platform::Utf8ToCp1250(machine->PrefixRoot().string());
        for (char& ch : prefixOnZ)
            ch = ch == '/' ? '\\' : ch;

        CleanupFacts facts;
        facts.PrefixRoot = machine->PrefixRoot();
        facts.ProtectedFolders = { "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM32", "C:\\Program Files", "C:\\users",
            "C:\\users\\me\\Documents", "C:\\users\\me\\Desktop", "C:\\users\\Public\\Start Menu\\Programs",
            "C:\\users\\me\\AppData\\Roaming", "C:\\users\\me\\Start Menu\\Programs" };
        facts.UserFolders = { "C:\\users", "C:\\users\\me\\Documents" };
        facts.OpenFolders = { "C:\\users\\me\\Desktop", "C:\\users\\Public\\Start Menu\\Programs", "C:\\users\\me\\AppData\\Roaming",
            "C:\\users\\me\\Start Menu\\Programs" };
        facts.KeptFiles = { "C:\\WINDOWS\\torva.ini" };
        facts.GameDir = folders.GameDir;
        facts.OtherGames = { "C:\\Hry\\Jina", "C:\\Hry\\Hra" };
        facts.OtherUninstallEntries = { "Jina" };
        policy = std::make_unique<CleanupPolicy>(facts);
    }
    void TearDown() override
    {
        platform::SetCurrentMachine(nullptr);
        fs::remove_all(root);
    }

    static void Write(const fs::path& file)
    {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "x";
    }

    // Every step of the instruction may run (true), or at least one is refused (false).
    bool Allowed(const std::string& instruction) const
    {
        auto steps = ReadCleanupInstruction(instruction, folders);
        EXPECT_FALSE(steps.empty()) << instruction;
        for (const CleanupStep& step : steps) {
            if (!policy->Judge(step))
                return false;
        }
        return true;
    }

    void ExpectVerdicts(const std::vector<Case>& cases) const
    {
        for (const Case& c : cases)
            EXPECT_EQ(Allowed(c.instruction), c.allowed) << c.instruction;
    }

    fs::path root;
    std::string prefixOnZ;
    CleanupFolders folders { "C:\\WINDOWS\\", "C:\\WINDOWS\\SYSTEM32\\", "C:\\users\\me\\Desktop\\",
        "C:\\users\\Public\\Start Menu\\Programs\\", "C:\\Program Files\\", "C:\\Hry\\Hra", "" };
    std::unique_ptr<CleanupPolicy> policy;
};

TEST_F(CleanupPolicyTest, FileInstructions)
{
    ExpectVerdicts({
        { "FGhra.cfg", true },
        { "FWhra.ini", true },
        { "FShra.dll", true },
        { "FDHra.lnk", true },
        { "FPHra\\Hra.lnk", true },
        { "FC:\\Torva\\Sachy\\SACHY.CFG", true },
        { "fc:\\users\\me\\appdata\\roaming\\hra\\hra.ini", true },
        { "FWtorva.ini", false },
        { "FWTORVA.INI", false },
        { "FW..\\users\\me\\Documents\\save.txt", false },
        { "FC:\\users\\me\\Documents\\save.txt", false },
        { "FC:\\Hry\\Jina\\jina.exe", false },
        { "FG..\\Jina\\jina.exe", false },
        { "FGWin\\win.ini", false },
        { "FGOut\\secret.txt", false },
        { "FY:\\secret.txt", false },
        { "F" + prefixOnZ + "\\system.reg", false },
        { "F" + prefixOnZ + "\\user.reg", false },
        { "F" + prefixOnZ + "\\dosdevices\\c:", false },
        { "F" + prefixOnZ + "\\drive_c\\windows\\torva.ini", false },
        { "F" + prefixOnZ + "\\.torva\\drives.lock", false },
        { "F" + prefixOnZ + "\\volumes\\e\\setup.exe", false },
        { "F" + prefixOnZ + "\\stray\\file.txt", false },
    });
}

TEST_F(CleanupPolicyTest, FolderInstructions)
{
    ExpectVerdicts({
        { "DG", true },
        { "DGsave", true },
        { "DC:\\Hry\\Hra", true },
        { "DE", true },
        { "DEFVyrobce\\Hra", true },
        { "DG..", false },
        { "DG..\\..\\WINDOWS", false },
        { "DC:\\Hry", false },
        { "DC:\\", false },
        { "DC:\\WINDOWS", false },
        { "DC:\\Program Files", false },
        { "DC:\\users", false },
        { "DC:\\users\\me", false },
        { "DC:\\users\\me\\Documents", false },
        { "DC:\\users\\me\\AppData\\Roaming", false },
        { "DC:\\users\\Public\\Start Menu", false },
        { "DC:\\Hry\\Jina", false },
        { "DGWin", false },
        { "DGOut", false },
        { "DEF..\\users\\me\\Documents", false },
    });
}

TEST_F(CleanupPolicyTest, ShellInstructions)
{
    ExpectVerdicts({
        { "SDHra.lnk", true },
        { "SNHra", true },
        { "SFHra|HRA.GRP", true },
        { "SN..", false },
        { "SN.", false },
        { "SN..\\..\\..\\me\\Documents", false },
        { "SD..\\Documents\\save.txt", false },
        { "SFHra|torva.ini", false },
        { "SFHra|..\\users\\me\\Desktop\\a.doc", false },
    });
}

TEST_F(CleanupPolicyTest, UninstallerInstructions)
{
    ExpectVerdicts({
        { "USregsvr.exe /u hra.dll", true },
        { "UUHra Addon", true },
        { "US..\\..\\users\\me\\Documents\\evil.exe", false },
        { "USWin\\..\\..\\Hry\\Hra\\x.exe", false },
        { "UU..\\..\\Run", false },
        { "UUJina", false },
        { "UScmd.exe /c rd /s /q C:\\users", false },
        { "USregedit /s evil.reg", false },
    });
}

TEST_F(CleanupPolicyTest, RegistryInstructions)
{
    ExpectVerdicts({
        { "RMD\\SOFTWARE\\Vyrobce\\Hra", true },
        { "RUESoftware\\Vyrobce", true },
        { "RUF\\Software\\Vyrobce|x", true },
        { "RMD\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Hra", true },
        { "RMD\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\App Paths\\hra.exe", true },
        { "RMF\\Software\\Microsoft\\Windows\\CurrentVersion\\Run|Hra", true },
        { "RMD\\SOFTWARE\\Classes\\Hra.Save", true },
        { "RMD\\SOFTWARE\\Classes\\CLSID\\{12345678-1234-1234-1234-123456789012}", true },
        { "RMD\\System\\CurrentControlSet", false },
        { "RMDSoftware\\Microsoft\\Windows NT\\CurrentVersion", false },
        { "RMD\\Software\\Wow6432Node\\Microsoft", false },
        { "RMD\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", false },
        { "RUD\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", false },
        { "RUF\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders|Personal", false },
        { "RUDControl Panel\\Desktop", false },
        { "RMD\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", false },
        { "RMD\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\JINA", false },
        { "RMD\\Software\\Wine\\Drives", false },
        { "RMD\\SOFTWARE", false },
        { "RMD\\SOFTWARE\\Classes\\.txt", false },
        { "RMD\\SOFTWARE\\Classes\\CLSID", false },
        { "RMD\\Software\\Classes\\.hra", true },
        { "RMD\\Software\\Classes\\Wow6432Node\\CLSID\\{12345678-1234-1234-1234-123456789012}", true },
        { "RMD\\Software\\Classes\\Wow6432Node", false },
        { "RMD\\Software\\Classes\\Installer", false },
        { "RUD\\Software\\Classes\\Installer\\Products\\0123456789ABCDEF0123456789ABCDEF", false },
        { "RMD\\Software\\Classes\\Component Categories", false },
        { "RMD\\Software\\Wow6432Node\\Classes\\Installer", false },
        { "RMD\\Software\\Classes\\Wow6432Node\\CLSID", false },
        { "RMD\\Software\\Classes\\CLSID\\Hra", false },
    });
}

// HKEY_CLASSES_ROOT is Software\Classes of both hives, under the same rule.
TEST_F(CleanupPolicyTest, ClassesRootKeys)
{
    const std::pair<const char*, bool> rows[] = { { "\\CLSID\\{12345678-1234-1234-1234-123456789012}", true }, { "\\Installer", false } };
    for (const auto& [key, allowed] : rows) {
        CleanupStep step;
        step.action = CleanupAction::DeleteKey;
        step.target = key;
        step.root = platform::HKEY_CLASSES_ROOT;
        EXPECT_EQ(policy->Judge(step).allowed, allowed) << key;
    }
}

// FP and SN name one Start menu: the user's where it holds what they name, and a group goes
// from each menu that has it.
TEST_F(CleanupPolicyTest, StartMenuFormsLookInTheUsersProgramsFirst)
{
    folders.UserProgramsDir = "C:\\users\\me\\Start Menu\\Programs\\";
    const std::string user = folders.UserProgramsDir;
    const std::string common = folders.ProgramsDir;
    struct Row {
        std::string instruction;
        std::vector<std::string> targets;
    };
    const Row rows[] = {
        { "FPHra\\Hra.lnk", { user + "Hra\\Hra.lnk" } },
        { "FPJina\\Jina.lnk", { common + "Jina\\Jina.lnk" } },
        { "SNHra", { user + "Hra", common + "Hra" } },
        { "SNJina", { common + "Jina" } },
    };
    for (const Row& row : rows) {
        std::vector<std::string> targets;
        for (const CleanupStep& step : ReadCleanupInstruction(row.instruction, folders)) {
            targets.push_back(step.target);
            EXPECT_TRUE(policy->Judge(step)) << row.instruction << ": " << step.target;
        }
        EXPECT_EQ(targets, row.targets) << row.instruction;
    }
    EXPECT_FALSE(Allowed("SN..\\..\\..\\me\\Documents"));
    EXPECT_FALSE(Allowed("FP..\\..\\..\\me\\Documents\\save.txt"));
}

// The "?" forms: F? and D? take the game's drive, and the "?" mark's S entry names the
// uninstaller in the system folder.
TEST_F(CleanupPolicyTest, QuestionMarkForms)
{
    ExpectVerdicts({
        { "F?:\\Hry\\Hra\\hra.cfg", true },
        { "D?:\\Hry\\Hra", true },
        { "F?:\\WINDOWS\\torva.ini", false },
        { "D?:\\", false },
        { "D?:\\users\\me\\Documents", false },
    });
    EXPECT_TRUE(policy->Judge(ReadUninstallerMark("SUNWISE.EXE /A INSTALL.LOG", folders)));
    EXPECT_FALSE(policy->Judge(ReadUninstallerMark("S..\\..\\users\\me\\Documents\\evil.exe", folders)));
}

}
