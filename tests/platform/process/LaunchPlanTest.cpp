#include "platform/process/LaunchPlanner.h"
#include "tests/platform/process/ProcessTestFiles.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;
using torvatest::TempPrefix;
namespace fs = std::filesystem;

class LaunchPlanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        torvatest::WriteScript(prefix.driveC / "Program Files" / "Hra Dva" / "hra.sh", "exit 0\n");
        torvatest::WriteWindowsProgram(prefix.disc / "DEMOS" / "Kolo" / "SETUP.EXE");
        torvatest::WriteWindowsProgram(prefix.driveC / "windows" / "system32" / "regedit.exe");
        TempPrefix::Write(prefix.disc / "DEMOS" / "Kolo" / "readme.txt", "text");
        TempPrefix::Write(prefix.disc / "DEMOS" / "Kolo" / "BROKEN.EXE", "MZ but nothing else");
        TempPrefix::Write(prefix.disc / "Shareware" / "Hra" / "HRA.INF", "[Version]\n");
        wine.wineAvailable = true;
        wine.openerAvailable = true;
    }

    std::optional<LaunchPlan> Plan(const std::string& line, const std::string& folder = {}, const PlanOptions* options = nullptr)
    {
        return PlanProcessStart({ .applicationName = {}, .commandLine = line, .currentDirectory = folder }, prefix.root, options ? *options : wine);
    }

    ShellPlan Shell(const std::string& verb, const std::string& file, const std::string& parameters = {},
        const std::string& directory = {}, const PlanOptions* options = nullptr)
    {
        return PlanShellExecute({ verb, file, parameters, directory, SW_SHOWNORMAL }, prefix.root, options ? *options : wine);
    }

    TempPrefix prefix { "launchplan" };
    PlanOptions wine;
};

TEST_F(LaunchPlanTest, NativeProgramsRunDirectlyInTheirFolderWithThePrefix)
{
    // An unquoted path with blanks is tried blank by blank, as old uninstall strings need.
    auto plan = Plan("c:\\PROGRAM FILES\\hra dva\\HRA.SH -f \"a b\"");
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->kind, LaunchKind::Native);
    EXPECT_EQ(plan->program, "C:\\Program Files\\Hra Dva\\hra.sh");
    EXPECT_EQ(fs::path(plan->hostProgram), prefix.driveC / "Program Files" / "Hra Dva" / "hra.sh");
    EXPECT_EQ(plan->arguments, (std::vector<std::string> { "-f", "a b" }));
    EXPECT_EQ(fs::path(plan->hostDirectory), prefix.driveC / "Program Files" / "Hra Dva");
    EXPECT_EQ(fs::path(plan->environment.at("WINEPREFIX")), fs::absolute(prefix.root));

    auto quoted = Plan("\"C:\\Program Files\\Hra Dva\\hra.sh\"", "E:\\DEMOS");
    ASSERT_TRUE(quoted);
    EXPECT_TRUE(quoted->arguments.empty());
    EXPECT_EQ(fs::path(quoted->hostDirectory), prefix.disc / "DEMOS");
}

TEST_F(LaunchPlanTest, WindowsProgramsGoThroughWineByTheirWindowsPath)
{
    auto plan = Plan("E:\\demos\\kolo\\setup.exe /S", "E:\\DEMOS\\KOLO");
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->kind, LaunchKind::Wine);
    EXPECT_EQ(plan->hostProgram, "wine");
    EXPECT_EQ(plan->arguments, (std::vector<std::string> { "E:\\DEMOS\\Kolo\\SETUP.EXE", "/S" }));
    EXPECT_EQ(fs::path(plan->hostDirectory), prefix.disc / "DEMOS" / "Kolo");
    EXPECT_EQ(fs::path(plan->environment.at("WINEPREFIX")), fs::absolute(prefix.root));

    // Without an extension ".exe" is tried; a bare name is found in the system folder.
    auto noExtension = Plan("E:\\DEMOS\\KOLO\\SETUP");
    ASSERT_TRUE(noExtension);
    EXPECT_EQ(noExtension->program, "E:\\DEMOS\\Kolo\\SETUP.EXE");
    auto bare = Plan("regedit /s x.reg", "E:\\DEMOS");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->program, "C:\\windows\\system32\\regedit.exe");
    EXPECT_EQ(fs::path(bare->hostDirectory), prefix.disc / "DEMOS");
}

TEST_F(LaunchPlanTest, StartsThatCannotWorkHaveNoPlan)
{
    PlanOptions noWine;
    EXPECT_FALSE(Plan("E:\\DEMOS\\Kolo\\SETUP.EXE", {}, &noWine));
    EXPECT_FALSE(Plan("E:\\DEMOS\\Kolo\\BROKEN.EXE"));
    EXPECT_FALSE(Plan("E:\\DEMOS\\Kolo\\readme.txt"));
    EXPECT_FALSE(Plan("E:\\DEMOS\\Kolo\\MISSING.EXE"));
    EXPECT_FALSE(Plan("E:\\DEMOS\\Kolo"));                                // a folder
    EXPECT_FALSE(Plan("E:\\DEMOS\\Kolo\\SETUP.EXE", "C:\\NoSuchFolder")); // missing current folder
    EXPECT_FALSE(Plan("Z:\\SETUP.EXE"));                                  // unmapped drive
    EXPECT_FALSE(Plan(""));
    // A link out of the drives is not followed.
    torvatest::WriteScript(prefix.outside / "evil.sh", "exit 0\n");
    fs::create_symlink(prefix.outside / "evil.sh", prefix.driveC / "evil.sh");
    EXPECT_FALSE(Plan("C:\\evil.sh"));
    // Placeholder programs pass when content is not examined (the recorder's default).
    PlanOptions lenient = wine;
    lenient.examineContent = false;
    EXPECT_TRUE(Plan("E:\\DEMOS\\Kolo\\BROKEN.EXE", {}, &lenient));
}

struct ShellCase {
    const char* verb;
    const char* file;
    const char* directory;
    LaunchKind kind;
    const char* hostProgram;
    std::vector<std::string> firstArguments; // host-path arguments are checked separately
};

TEST_F(LaunchPlanTest, ShellVerbsMapToOpenerAndWine)
{
    const ShellCase cases[] = {
        { "OPEN", "http://www.example.cz", "", LaunchKind::Opener, "xdg-open", { "http://www.example.cz" } },
        { "open", "mailto:redakce@example.cz", "", LaunchKind::Opener, "xdg-open", { "mailto:redakce@example.cz" } },
        { "OPEN", "E:\\DEMOS\\KOLO\\README.TXT", "", LaunchKind::Opener, "xdg-open", {} },
        { "PLAY", "readme.txt", "E:\\DEMOS\\Kolo", LaunchKind::Opener, "xdg-open", {} },
        { "OPEN", "E:\\Shareware\\Hra\\HRA.INF", "", LaunchKind::Opener, "xdg-open", {} },
        { "INSTALL", "E:\\Shareware\\Hra\\HRA.INF", "E:\\Shareware\\Hra", LaunchKind::Wine, "wine",
            { "rundll32.exe", "setupapi.dll,InstallHinfSection", "DefaultInstall", "132", "E:\\Shareware\\Hra\\HRA.INF" } },
        { "OPEN", "E:\\DEMOS\\Kolo\\SETUP.EXE", "", LaunchKind::Wine, "wine", { "E:\\DEMOS\\Kolo\\SETUP.EXE", "-x" } },
    };
    for (const auto& c : cases) {
        ShellPlan planned = Shell(c.verb, c.file, "-x", c.directory);
        ASSERT_TRUE(planned.plan) << c.verb << " " << c.file;
        EXPECT_GT(planned.result, 32);
        EXPECT_EQ(planned.plan->kind, c.kind) << c.file;
        EXPECT_EQ(planned.plan->hostProgram, c.hostProgram) << c.file;
        EXPECT_FALSE(planned.plan->environment.at("WINEPREFIX").empty());
        if (!c.firstArguments.empty()) {
            EXPECT_EQ(planned.plan->arguments, c.firstArguments) << c.file;
        }
    }
    ShellPlan readme = Shell("OPEN", "E:\\DEMOS\\KOLO\\README.TXT");
    EXPECT_EQ(readme.plan->arguments, std::vector<std::string> { (prefix.disc / "DEMOS" / "Kolo" / "readme.txt").string() });

    // A document that starts like a script is still a document.
    torvatest::WriteScript(prefix.disc / "DEMOS" / "Kolo" / "SCRIPT.TXT", "exit 0\n");
    ShellPlan script = Shell("OPEN", "E:\\DEMOS\\Kolo\\SCRIPT.TXT");
    ASSERT_TRUE(script.plan);
    EXPECT_EQ(script.plan->kind, LaunchKind::Opener);

    ShellPlan native = Shell("OPEN", "C:\\Program Files\\Hra Dva\\hra.sh", "/x");
    ASSERT_TRUE(native.plan);
    EXPECT_EQ(native.plan->kind, LaunchKind::Native);
    EXPECT_EQ(native.plan->arguments, std::vector<std::string> { "/x" });
}

TEST_F(LaunchPlanTest, ShellFailuresAreWin32Codes)
{
    PlanOptions nothing;
    EXPECT_EQ(Shell("OPEN", "E:\\DEMOS\\Kolo\\missing.txt").result, SE_ERR_FNF);
    EXPECT_EQ(Shell("OPEN", "readme.txt", {}, "E:\\NoFolder").result, SE_ERR_PNF);
    EXPECT_EQ(Shell("EDIT", "E:\\DEMOS\\Kolo\\readme.txt").result, SE_ERR_NOASSOC);
    EXPECT_EQ(Shell("OPEN", "E:\\DEMOS\\Kolo\\BROKEN.EXE").result, 11);
    EXPECT_EQ(Shell("OPEN", "E:\\DEMOS\\Kolo\\SETUP.EXE", {}, {}, &nothing).result, SE_ERR_NOASSOC);
    EXPECT_EQ(Shell("INSTALL", "E:\\Shareware\\Hra\\HRA.INF", {}, {}, &nothing).result, SE_ERR_NOASSOC);
    EXPECT_EQ(Shell("OPEN", "http://www.example.cz", {}, {}, &nothing).result, SE_ERR_NOASSOC);
    EXPECT_EQ(Shell("OPEN", "").result, SE_ERR_FNF);
    // Addresses that name host files or unknown programs do not reach the opener.
    EXPECT_EQ(Shell("OPEN", "file:///etc/passwd").result, SE_ERR_NOASSOC);
    EXPECT_EQ(Shell("OPEN", "FILE://C:/x").result, SE_ERR_NOASSOC);
    EXPECT_EQ(Shell("OPEN", "javascript://x").result, SE_ERR_NOASSOC);
    EXPECT_GT(Shell("OPEN", "HTTPS://example.cz").result, 32);
    EXPECT_GT(Shell("OPEN", "www.example.cz").result, 32);
    EXPECT_FALSE(Shell("OPEN", "E:\\DEMOS\\Kolo\\missing.txt").plan);
}

}
