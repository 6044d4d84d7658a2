#include "platform/events/EventLoop.h"
#include "tests/support/RecordingProcessService.h"
#include "tests/platform/process/ProcessTestFiles.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;
using torvatest::TempPrefix;
namespace fs = std::filesystem;

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
    ScopedProcessService scoped(recorder);

    const ProcessStart start { .applicationName = {}, .commandLine = "E:\\DEMOS\\X\\SETUP.EXE /q", .currentDirectory = "E:\\DEMOS\\X" };
    ProcessHandle process = 0;
    ASSERT_TRUE(CreateProcessA(start, process));
    uint32_t code = 0;
    ASSERT_TRUE(GetExitCodeProcess(process, code));
    EXPECT_EQ(code, STILL_ACTIVE);
    ASSERT_TRUE(GetExitCodeProcess(process, code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_TRUE(ended.empty());
    ASSERT_TRUE(GetExitCodeProcess(process, code));
    EXPECT_EQ(code, 5u);
    ASSERT_TRUE(GetExitCodeProcess(process, code));
    EXPECT_EQ(ended, std::vector<std::string> { start.commandLine }); // the hook runs once
    EXPECT_EQ(recorder->OpenHandleCount(), 1u);
    EXPECT_TRUE(CloseHandle(process));
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
    ScopedProcessService scoped(recorder);
    EXPECT_GT(ShellExecuteA("OPEN", "E:\\Kavorin\\signup_torva.isp", "", "", SW_SHOWNORMAL), 32);
    EXPECT_EQ(ShellExecuteA("OPEN", "E:\\missing.isp", "", "", SW_SHOWNORMAL), SE_ERR_FNF);
    recorder->SetShellExecuteResult(SE_ERR_NOASSOC);
    EXPECT_EQ(ShellExecuteA("OPEN", "http://www.example.cz", "", "", SW_SHOWNORMAL), SE_ERR_NOASSOC);
    ASSERT_EQ(recorder->ShellExecutes().size(), 3u);
    EXPECT_EQ(recorder->ShellExecutes()[0].request.file, "E:\\Kavorin\\signup_torva.isp");
    ASSERT_TRUE(recorder->ShellExecutes()[0].plan);
    EXPECT_EQ(recorder->ShellExecutes()[0].plan->hostProgram, "xdg-open");
    EXPECT_EQ(recorder->ShellExecutes()[2].request.file, "http://www.example.cz");
}

}
