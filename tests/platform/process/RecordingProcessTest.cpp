#include "platform/events/EventLoop.h"
#include "platform/process/LaunchPlanner.h"
#include "tests/support/RecordingProcessService.h"
#include "tests/platform/process/ProcessTestFiles.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;
using torvatest::TempPrefix;
namespace fs = std::filesystem;

// Sets (or, with no value, removes) an environment variable for one scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        Set(value);
    }
    ~ScopedVariable() { Set(m_old ? m_old->c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void Set(const char* value) { value ? ::setenv(m_name, value, 1) : ::unsetenv(m_name); }
    const char* m_name;
    std::optional<std::string> m_old;
};

class RecordingProcessTest : public ::testing::Test {
protected:
    TempPrefix prefix { "recorder" };
    std::shared_ptr<RecordingProcessService> recorder = std::make_shared<RecordingProcessService>(std::make_shared<Machine>(prefix.root));
};

TEST_F(RecordingProcessTest, RecordsPlansAndPlaysRunningProcesses)
{
    TempPrefix::Write(prefix.disc / "DEMOS" / "X" / "SETUP.EXE", "placeholder");
    recorder->SetRunBehaviour(2, 5);
    std::vector<std::string> ended;
    recorder->SetExitHook([&](const RecordedStart& start) { ended.push_back(start.start.commandLine); });

    const ProcessStart start { .applicationName = {}, .commandLine = "E:\\DEMOS\\X\\SETUP.EXE /q", .currentDirectory = "E:\\DEMOS\\X" };
    std::optional<ProcessHandle> created = recorder->CreateProcess(start);
    ASSERT_TRUE(created);
    ProcessHandle process = *created;
    uint32_t code = 0;
    ASSERT_TRUE(recorder->GetExitCodeProcess(process, code));
    EXPECT_EQ(code, STILL_ACTIVE);
    ASSERT_TRUE(recorder->GetExitCodeProcess(process, code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_TRUE(ended.empty());
    ASSERT_TRUE(recorder->GetExitCodeProcess(process, code));
    EXPECT_EQ(code, 5u);
    ASSERT_TRUE(recorder->GetExitCodeProcess(process, code));
    EXPECT_EQ(ended, std::vector<std::string> { start.commandLine }); // the hook runs once
    EXPECT_EQ(recorder->OpenHandleCount(), 1u);
    EXPECT_TRUE(recorder->CloseHandle(process));
    EXPECT_EQ(recorder->OpenHandleCount(), 0u);

    const RecordedStart& recorded = recorder->Starts().at(0);
    ASSERT_TRUE(recorded.plan);
    EXPECT_EQ(recorded.plan->kind, LaunchKind::Wine);
    EXPECT_EQ(recorded.plan->arguments, (std::vector<std::string> { "E:\\DEMOS\\X\\SETUP.EXE", "/q" }));
    EXPECT_EQ(fs::path(recorded.plan->environment.at("WINEPREFIX")), fs::absolute(prefix.root));
}

TEST_F(RecordingProcessTest, FailedStartsAreRecordedToo)
{
    EXPECT_FALSE(recorder->CreateProcess({ .applicationName = {}, .commandLine = "E:\\NOTHING.EXE", .currentDirectory = {} }));
    TempPrefix::Write(prefix.disc / "SETUP.EXE", "placeholder");
    recorder->SetExamineContent(true);
    const ProcessStart placeholder { .applicationName = {}, .commandLine = "E:\\SETUP.EXE", .currentDirectory = {} };
    EXPECT_FALSE(recorder->CreateProcess(placeholder));
    recorder->SetExamineContent(false);
    recorder->SetFailStarts(true);
    EXPECT_FALSE(recorder->CreateProcess(placeholder));
    ASSERT_EQ(recorder->Starts().size(), 3u);
    EXPECT_EQ(recorder->Starts()[0].handle, 0u);
}

TEST_F(RecordingProcessTest, ShellExecutesAreRecordedWithTheirPlan)
{
    TempPrefix::Write(prefix.disc / "Kavorin" / "signup_torva.isp", "[isp]");
    EXPECT_GT(recorder->ShellExecute({ "OPEN", "E:\\Kavorin\\signup_torva.isp", "", "", SW_SHOWNORMAL }), 32);
    EXPECT_EQ(recorder->ShellExecute({ "OPEN", "E:\\missing.isp", "", "", SW_SHOWNORMAL }), SE_ERR_FNF);
    recorder->SetShellExecuteResult(SE_ERR_NOASSOC);
    EXPECT_EQ(recorder->ShellExecute({ "OPEN", "http://www.example.cz", "", "", SW_SHOWNORMAL }), SE_ERR_NOASSOC);
    ASSERT_EQ(recorder->ShellExecutes().size(), 3u);
    EXPECT_EQ(recorder->ShellExecutes()[0].request.file, "E:\\Kavorin\\signup_torva.isp");
    ASSERT_TRUE(recorder->ShellExecutes()[0].plan);
    EXPECT_EQ(recorder->ShellExecutes()[0].plan->hostProgram, "xdg-open");
    EXPECT_EQ(recorder->ShellExecutes()[2].request.file, "http://www.example.cz");
}

// What a start of Wine gets on top of the user's environment: Wine's debug output off unless the
// user chose some, the menu builder off unless TORVA_WINE_MENUS=1, the user's DLL overrides kept
// where they do not name ours.
TEST_F(RecordingProcessTest, WineStartsGetTheirEnvironment)
{
    struct Row {
        const char* debug;
        const char* overrides;
        const char* menus;
        std::optional<std::string> wantDebug; // none: the user's value is inherited
        std::optional<std::string> wantOverrides;
        std::string wantPreparationOverrides;
    };
    const Row rows[] = {
        { nullptr, nullptr, nullptr, "-all", "winemenubuilder.exe=d", "mscoree,mshtml=;winemenubuilder.exe=d" },
        { "warn+all", "", nullptr, std::nullopt, "winemenubuilder.exe=d", "mscoree,mshtml=;winemenubuilder.exe=d" },
        { nullptr, "d3d9=n;WineMenuBuilder.exe,mshtml=b", nullptr, "-all", "d3d9=n;mshtml=b;winemenubuilder.exe=d",
            "d3d9=n;mscoree,mshtml=;winemenubuilder.exe=d" },
        { nullptr, "d3d9=n", "1", "-all", "d3d9=n", "d3d9=n;mscoree,mshtml=" },
        { nullptr, nullptr, "1", "-all", std::nullopt, "mscoree,mshtml=" },
    };
    TempPrefix::Write(prefix.disc / "SETUP.EXE", "placeholder");
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string("WINEDLLOVERRIDES=") + (row.overrides ? row.overrides : "(unset)") + " TORVA_WINE_MENUS=" + (row.menus ? row.menus : ""));
        ScopedVariable debug("WINEDEBUG", row.debug);
        ScopedVariable overrides("WINEDLLOVERRIDES", row.overrides);
        ScopedVariable menus("TORVA_WINE_MENUS", row.menus);
        recorder->Clear();
        ASSERT_TRUE(recorder->CreateProcess({ .applicationName = {}, .commandLine = "E:\\SETUP.EXE", .currentDirectory = {} }));
        const auto& environment = recorder->Starts().at(0).plan->environment;
        auto valueOf = [&](const char* name) -> std::optional<std::string> {
            auto found = environment.find(name);
            return found == environment.end() ? std::nullopt : std::optional(found->second);
        };
        EXPECT_EQ(valueOf("WINEDEBUG"), row.wantDebug);
        EXPECT_EQ(valueOf("WINEDLLOVERRIDES"), row.wantOverrides);
        LaunchPlan preparation = PlanWinePreparation(prefix.root, PlanOptions {});
        EXPECT_EQ(preparation.environment.at("WINEDLLOVERRIDES"), row.wantPreparationOverrides);
        EXPECT_EQ(preparation.removedEnvironment, (std::vector<std::string> { "DISPLAY", "WAYLAND_DISPLAY" }));
    }
}

// --wine wins over $WINE, which wins over "wine" on PATH; wineserver and wineboot are the ones
// beside it where that folder has them.
TEST_F(RecordingProcessTest, WineStartsUseTheChosenWine)
{
    fs::path full = prefix.base / "opt" / "bin";
    fs::path bare = prefix.base / "bare";
    for (const char* tool : { "wine", "wineserver", "wineboot" })
        torvatest::WriteScript(full / tool, "exit 0\n");
    torvatest::WriteScript(bare / "wine", "exit 0\n");
    const std::string bareWine = (bare / "wine").string();
    struct Row {
        std::optional<std::string> option;
        const char* variable;
        WineTools want;
    };
    const Row rows[] = {
        { std::nullopt, nullptr, { "wine", "wineserver", "wineboot" } },
        { std::nullopt, bareWine.c_str(), { bareWine, "wineserver", "wineboot" } },
        { (full / "wine").string(), bareWine.c_str(),
            { (full / "wine").string(), (full / "wineserver").string(), (full / "wineboot").string() } },
        // Programs start in their own folders: a relative path is made absolute first.
        { fs::relative(full / "wine").string(), nullptr,
            { (full / "wine").string(), (full / "wineserver").string(), (full / "wineboot").string() } },
    };
    TempPrefix::Write(prefix.disc / "SETUP.EXE", "placeholder");
    const WineTools before = CurrentWineTools();
    for (const Row& row : rows) {
        ScopedVariable variable("WINE", row.variable);
        WineTools tools = FindWineTools(row.option);
        EXPECT_EQ(tools.wine, row.want.wine);
        EXPECT_EQ(tools.wineserver, row.want.wineserver);
        EXPECT_EQ(tools.wineboot, row.want.wineboot);
        SetWineTools(tools);
        recorder->Clear();
        ASSERT_TRUE(recorder->CreateProcess({ .applicationName = {}, .commandLine = "E:\\SETUP.EXE", .currentDirectory = {} }));
        EXPECT_EQ(recorder->Starts().at(0).plan->hostProgram, row.want.wine);
    }
    SetWineTools(before);
}

}
