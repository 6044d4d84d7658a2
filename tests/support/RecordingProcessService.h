#pragma once

// A process service for tests: it starts nothing and keeps what would have been started.
//
//     auto recorder = std::make_shared<platform::RecordingProcessService>(machine);
//     ... code under test, given *recorder as its process service ...
//     EXPECT_EQ(recorder->Starts().at(0).start.commandLine, "E:\\DEMOS\\X\\SETUP.EXE");
//     EXPECT_EQ(recorder->Starts().at(0).plan->environment.at("WINEPREFIX"), prefix);
//
// With a machine, each start is planned exactly as the host service would plan it (program
// resolved through the drives, current folder, Wine or native, environment), except that the
// file's content is not examined unless SetExamineContent(true): a test disc's SETUP.EXE may be
// any bytes. A start whose program does not exist fails as it would on the host; without a
// machine every start succeeds and has no plan.
//
// Each started process reports STILL_ACTIVE for a number of polls and then its exit code; an
// exit hook runs when it ends, so a test can play the part of a setup (write files, registry).

#include "platform/process/Process.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct RecordedStart {
    ProcessStart start;
    std::optional<LaunchPlan> plan;
    ProcessHandle handle = 0;
};

struct RecordedShellExecute {
    ShellExecuteRequest request;
    std::optional<LaunchPlan> plan;
    intptr_t result = 0;
};

class RecordingProcessService : public IProcessService {
public:
    explicit RecordingProcessService(std::shared_ptr<Machine> machine = nullptr);
    void SetMachine(std::shared_ptr<Machine> machine) { m_machine = std::move(machine); }

    std::optional<ProcessHandle> CreateProcess(const ProcessStart& start) override;
    bool GetExitCodeProcess(ProcessHandle process, uint32_t& exitCode) override;
    bool CloseHandle(ProcessHandle process) override;
    void WaitForExitOrMessage(ProcessHandle process, EventLoop& loop, uint32_t maxWaitMs) override;
    intptr_t ShellExecute(const ShellExecuteRequest& request) override;
    // Nothing runs: recorded programs have always ended.
    bool WaitForStartedPrograms(uint32_t) override { return true; }
    bool PrepareWinePrefix() override
    {
        ++m_winePreparations;
        return true;
    }
    size_t WinePreparations() const { return m_winePreparations; }

    // Every start fails (the program "cannot be run") while set; still recorded, without handle.
    void SetFailStarts(bool fail) { m_failStarts = fail; }
    // Look at the program's first bytes as the host would (ELF, #!, MZ), and fail a Windows
    // program when `wineAvailable` is false.
    void SetExamineContent(bool examine, bool wineAvailable = false);
    // Processes started from now on run for `polls` GetExitCodeProcess calls, then end with
    // `exitCode`.
    void SetRunBehaviour(uint32_t polls, uint32_t exitCode);
    // Runs when a process is seen to end (the poll that first gives its exit code).
    void SetExitHook(std::function<void(const RecordedStart&)> hook) { m_exitHook = std::move(hook); }
    // ShellExecute answers this (default SE_SUCCESS).
    void SetShellExecuteResult(intptr_t result) { m_shellResult = result; }

    const std::vector<RecordedStart>& Starts() const { return m_starts; }
    const std::vector<RecordedShellExecute>& ShellExecutes() const { return m_shellExecutes; }
    size_t WaitCount() const { return m_waits; }
    size_t OpenHandleCount() const;
    // Forgets the records and every handle.
    void Clear();

private:
    struct Running {
        size_t startIndex = 0;
        uint32_t pollsLeft = 0;
        uint32_t exitCode = 0;
        bool ended = false;
        bool open = true;
    };

    std::shared_ptr<Machine> m_machine;
    bool m_failStarts = false;
    bool m_examineContent = false;
    bool m_wineAvailable = false;
    uint32_t m_polls = 0;
    uint32_t m_exitCode = 0;
    intptr_t m_shellResult = SE_SUCCESS;
    std::function<void(const RecordedStart&)> m_exitHook;
    std::vector<RecordedStart> m_starts;
    std::vector<RecordedShellExecute> m_shellExecutes;
    std::vector<Running> m_running; // by handle - 1
    size_t m_waits = 0;
    size_t m_winePreparations = 0;
};

}
