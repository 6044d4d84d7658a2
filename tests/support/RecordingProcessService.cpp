#include "tests/support/RecordingProcessService.h"

#include "platform/machine/Machine.h"
#include "platform/process/LaunchPlanner.h"

namespace platform {

RecordingProcessService::RecordingProcessService(std::shared_ptr<Machine> machine)
    : m_machine(std::move(machine)) {}

void RecordingProcessService::SetExamineContent(bool examine, bool wineAvailable)
{
    m_examineContent = examine;
    m_wineAvailable = wineAvailable;
}

void RecordingProcessService::SetRunBehaviour(uint32_t polls, uint32_t exitCode)
{
    m_polls = polls;
    m_exitCode = exitCode;
}

namespace {

PlanOptions RecorderOptions(bool examine, bool wineAvailable)
{
    PlanOptions options;
    options.examineContent = examine;
    options.wineAvailable = examine ? wineAvailable : true;
    options.openerAvailable = true;
    options.wine = CurrentWineTools();
    return options;
}

}

std::optional<ProcessHandle> RecordingProcessService::CreateProcess(const ProcessStart& start)
{
    RecordedStart record;
    record.start = start;
    bool startable = !m_failStarts;
    if (m_machine) {
        record.plan = PlanProcessStart(start, m_machine->PrefixRoot(), RecorderOptions(m_examineContent, m_wineAvailable));
        startable = startable && record.plan.has_value();
    }
    if (startable) {
        m_running.push_back(Running { m_starts.size(), m_polls, m_exitCode, false, true });
        record.handle = static_cast<ProcessHandle>(m_running.size());
    }
    m_starts.push_back(record);
    if (!startable)
        return std::nullopt;
    return record.handle;
}

bool RecordingProcessService::GetExitCodeProcess(ProcessHandle process, uint32_t& exitCode)
{
    if (process == 0 || process > m_running.size() || !m_running[process - 1].open)
        return false;
    Running& running = m_running[process - 1];
    if (!running.ended && running.pollsLeft > 0) {
        --running.pollsLeft;
        exitCode = STILL_ACTIVE;
        return true;
    }
    if (!running.ended) {
        running.ended = true;
        if (m_exitHook)
            m_exitHook(m_starts[running.startIndex]);
    }
    exitCode = running.exitCode;
    return true;
}

bool RecordingProcessService::CloseHandle(ProcessHandle process)
{
    if (process == 0 || process > m_running.size() || !m_running[process - 1].open)
        return false;
    m_running[process - 1].open = false;
    return true;
}

void RecordingProcessService::WaitForExitOrMessage(ProcessHandle, EventLoop&, uint32_t)
{
    // A recorded process "runs" only for a number of polls, so there is nothing to sleep for.
    ++m_waits;
}

intptr_t RecordingProcessService::ShellExecute(const ShellExecuteRequest& request)
{
    RecordedShellExecute record;
    record.request = request;
    record.result = m_shellResult;
    if (m_machine && m_shellResult > 32) {
        ShellPlan planned = PlanShellExecute(request, m_machine->PrefixRoot(), RecorderOptions(m_examineContent, m_wineAvailable));
        record.plan = planned.plan;
        record.result = planned.result;
    }
    m_shellExecutes.push_back(record);
    return record.result;
}

size_t RecordingProcessService::OpenHandleCount() const
{
    size_t open = 0;
    for (const auto& running : m_running)
        open += running.open ? 1 : 0;
    return open;
}

void RecordingProcessService::Clear()
{
    m_starts.clear();
    m_shellExecutes.clear();
    m_running.clear();
    m_waits = 0;
}

}
