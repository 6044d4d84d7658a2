#include "platform/process/LaunchPlanner.h"
#include "platform/process/Process.h"

#include "platform/events/EventLoop.h"
#include "platform/machine/Machine.h"
#include "platform/wine/WineTools.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <stdexcept>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

// While the event loop cannot watch a process (no pidfd), it looks again this often.
constexpr uint32_t kPollSliceMs = 20;

int OpenPidDescriptor(pid_t pid)
{
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

void CloseDescriptor(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

std::vector<std::string> MergedEnvironment(const LaunchPlan& plan)
{
    const auto& overrides = plan.environment;
    const auto& removed = plan.removedEnvironment;
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        std::string name = equals ? std::string(*entry, static_cast<size_t>(equals - *entry)) : std::string(*entry);
        if (!overrides.count(name) && std::find(removed.begin(), removed.end(), name) == removed.end())
            environment.emplace_back(*entry);
    }
    for (const auto& [name, value] : overrides)
        environment.push_back(name + "=" + value);
    return environment;
}

std::vector<char*> NullTerminated(std::vector<std::string>& words)
{
    std::vector<char*> pointers;
    pointers.reserve(words.size() + 1);
    for (auto& word : words)
        pointers.push_back(word.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Starts the plan with its folder, environment and no stdin; tools (wine, xdg-open) are looked
// up on PATH, programs are run by their host path.
std::optional<pid_t> Spawn(const LaunchPlan& plan)
{
    std::vector<std::string> words { plan.hostProgram };
    words.insert(words.end(), plan.arguments.begin(), plan.arguments.end());
    std::vector<char*> argv = NullTerminated(words);
    std::vector<std::string> environment = MergedEnvironment(plan);
    std::vector<char*> envp = NullTerminated(environment);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    // The program gets none of our descriptors: a lock, a pipe or the display connection held
    // by a game that outlives the wait would stay held.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    if (!plan.hostDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, plan.hostDirectory.c_str());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t noSignals;
    sigemptyset(&noSignals);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    int failed = plan.kind == LaunchKind::Native
        ? ::posix_spawn(&pid, plan.hostProgram.c_str(), &actions, &attributes, argv.data(), envp.data())
        : ::posix_spawnp(&pid, plan.hostProgram.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        return std::nullopt;
    return pid;
}

// A process ended by a signal reports 128 + the signal, as a shell would.
uint32_t ExitCodeOf(int status)
{
    if (WIFEXITED(status))
        return static_cast<uint32_t>(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return 128u + static_cast<uint32_t>(WTERMSIG(status));
    return 1;
}

// Reaps `pid` when it has ended: the exit code, or nothing while it runs. A child someone else
// reaped counts as ended with 0.
std::optional<uint32_t> TryReap(pid_t pid)
{
    int status = 0;
    for (;;) {
        pid_t got = ::waitpid(pid, &status, WNOHANG);
        if (got == pid)
            return ExitCodeOf(status);
        if (got == 0)
            return std::nullopt;
        if (errno != EINTR)
            return 0u;
    }
}

// xdg-open's answers for "no program handles this" and "the program it chose failed".
constexpr uint32_t kOpenerNoMethod = 3;
constexpr uint32_t kOpenerActionFailed = 4;

struct Child {
    pid_t pid = -1;
    int pidFd = -1;
    bool throughWine = false;
    // Started by ShellExecute through the desktop's opener: the document or address.
    std::optional<std::string> openedFile;
    bool exited = false;
    uint32_t exitCode = 0;
    pid_t serverPid = -1; // "wineserver -w" once the Windows program ended
    int serverFd = -1;
    bool done = false;

    ~Child()
    {
        CloseDescriptor(pidFd);
        CloseDescriptor(serverFd);
    }
};

// Children nobody waits for are reaped as they end: while there are any, the service is an event
// source of the loop that was current when the first was left, and the loop sleeps on the
// descriptor of one of them.
class HostProcessService final : public IProcessService, private IEventSource {
public:
    explicit HostProcessService(std::shared_ptr<Machine> machine)
        : m_machine(std::move(machine)) {}
    ~HostProcessService() override
    {
        if (m_reapLoop && EventLoop::Alive(m_reapLoop))
            m_reapLoop->RemoveSource(this);
    }

    StartFailure LastStartFailure() const override { return m_lastFailure; }
    void SetOpenFailedHandler(OpenFailedHandler handler) override { m_openFailed = std::move(handler); }

    std::optional<ProcessHandle> CreateProcess(const ProcessStart& start) override
    {
        ReapEnded();
        m_lastFailure = StartFailure::None;
        const PlanOptions options = HostPlanOptions();
        auto plan = PlanProcessStart(start, PrefixRoot(), options);
        if (!plan) {
            // Would it run, with the tools the host lacks?
            PlanOptions complete = options;
            complete.wineAvailable = true;
            auto possible = PlanProcessStart(start, PrefixRoot(), complete);
            if (possible && possible->kind == LaunchKind::Wine)
                m_lastFailure = StartFailure::WineMissing;
            return std::nullopt;
        }
        auto pid = Spawn(*plan);
        if (!pid)
            return std::nullopt;
        auto child = std::make_unique<Child>();
        child->pid = *pid;
        child->pidFd = OpenPidDescriptor(*pid);
        child->throughWine = plan->kind == LaunchKind::Wine;
        ProcessHandle handle = m_nextHandle++;
        m_children[handle] = std::move(child);
        return handle;
    }

    bool GetExitCodeProcess(ProcessHandle process, uint32_t& exitCode) override
    {
        Child* child = Find(process);
        if (!child)
            return false;
        Update(*child);
        exitCode = child->done ? child->exitCode : STILL_ACTIVE;
        return true;
    }

    bool CloseHandle(ProcessHandle process) override
    {
        auto found = m_children.find(process);
        if (found == m_children.end())
            return false;
        if (!found->second->done)
            Detach(std::move(found->second));
        m_children.erase(found);
        ReapDetached();
        return true;
    }

    void WaitForExitOrMessage(ProcessHandle process, EventLoop& loop, uint32_t maxWaitMs) override
    {
        Child* child = Find(process);
        if (!child) {
            loop.WaitForEvent(maxWaitMs);
            return;
        }
        Update(*child);
        if (child->done)
            return;
        int fd = child->exited ? child->serverFd : child->pidFd;
        if (fd < 0) {
            loop.WaitForEvent(std::min(maxWaitMs, kPollSliceMs));
            return;
        }
        // The callback has nothing to do: a readable pidfd only has to end the loop's poll.
        loop.WatchDescriptor(fd, [] {});
        loop.WaitForEvent(maxWaitMs);
        loop.UnwatchDescriptor(fd);
    }

    intptr_t ShellExecute(const ShellExecuteRequest& request) override
    {
        ReapEnded();
        m_lastFailure = StartFailure::None;
        const PlanOptions options = HostPlanOptions();
        ShellPlan planned = PlanShellExecute(request, PrefixRoot(), options);
        if (!planned.plan) {
            if (planned.result == SE_ERR_NOASSOC)
                m_lastFailure = MissingTool(request, options);
            return planned.result;
        }
        auto pid = Spawn(*planned.plan);
        if (!pid)
            return planned.plan->kind == LaunchKind::Native ? SE_ERR_ACCESSDENIED : SE_ERR_NOASSOC;
        auto child = std::make_unique<Child>();
        child->pid = *pid;
        child->throughWine = planned.plan->kind == LaunchKind::Wine;
        if (planned.plan->kind == LaunchKind::Opener)
            child->openedFile = request.file;
        Detach(std::move(child));
        return SE_SUCCESS;
    }

    bool PrepareWinePrefix() override
    {
        ReapEnded();
        if (m_preparing || !HostPlanOptions().wineAvailable || WinePrefixReady(PrefixRoot()))
            return false;
        auto pid = Spawn(PlanWinePreparation(PrefixRoot(), HostPlanOptions()));
        if (!pid)
            return false;
        auto child = std::make_unique<Child>();
        child->pid = *pid;
        child->throughWine = true;
        m_preparation = child.get();
        Detach(std::move(child));
        m_preparing = true;
        return true;
    }

    bool PreparingWinePrefix() override
    {
        ReapEnded();
        return m_preparation != nullptr;
    }

    bool WaitForStartedPrograms(uint32_t maxWaitMs) override
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxWaitMs);
        for (;;) {
            for (auto& [handle, child] : m_children)
                Update(*child);
            for (auto& child : m_detached)
                Update(*child);
            ReapDetached();
            bool running = std::any_of(m_children.begin(), m_children.end(), [](const auto& entry) { return !entry.second->done; });
            if (!running && m_detached.empty())
                return true;
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            ::usleep(kPollSliceMs * 1000);
        }
    }

private:
    // A request the host could not start only for want of Wine or of the desktop's opener.
    StartFailure MissingTool(const ShellExecuteRequest& request, const PlanOptions& options) const
    {
        PlanOptions complete = options;
        complete.wineAvailable = true;
        complete.openerAvailable = true;
        ShellPlan possible = PlanShellExecute(request, PrefixRoot(), complete);
        if (!possible.plan)
            return StartFailure::None;
        if (possible.plan->kind == LaunchKind::Wine && !options.wineAvailable)
            return StartFailure::WineMissing;
        if (possible.plan->kind == LaunchKind::Opener && !options.openerAvailable)
            return StartFailure::NoDocumentOpener;
        return StartFailure::None;
    }

    void Detach(std::unique_ptr<Child> child)
    {
        if (child->pidFd < 0 && !child->exited)
            child->pidFd = OpenPidDescriptor(child->pid);
        m_detached.push_back(std::move(child));
        if (!m_reapLoop || !EventLoop::Alive(m_reapLoop)) {
            m_reapLoop = &CurrentEventLoop();
            m_reapLoop->AddSource(this);
        }
    }

    // IEventSource: the loop pumps the service while children are left to reap.
    void PumpEvents(EventLoop& loop) override
    {
        ReapDetached();
        if (m_detached.empty() && m_reapLoop == &loop) {
            loop.RemoveSource(this);
            m_reapLoop = nullptr;
        }
    }

    int WaitDescriptor() const override
    {
        for (const auto& child : m_detached) {
            int fd = child->exited ? child->serverFd : child->pidFd;
            if (fd >= 0)
                return fd;
        }
        return -1;
    }

    std::filesystem::path PrefixRoot() const
    {
        return m_machine->PrefixRoot();
    }

    Child* Find(ProcessHandle process)
    {
        auto found = m_children.find(process);
        return found == m_children.end() ? nullptr : found->second.get();
    }

    void Update(Child& child)
    {
        if (child.done)
            return;
        if (!child.exited) {
            auto code = TryReap(child.pid);
            if (!code)
                return;
            child.exited = true;
            child.exitCode = *code;
            CloseDescriptor(child.pidFd);
            if (!child.throughWine || !StartServerWait(child)) {
                child.done = true;
                return;
            }
        }
        if (TryReap(child.serverPid)) {
            CloseDescriptor(child.serverFd);
            child.done = true;
        }
    }

    // The Windows program ended; its prefix's wineserver may still be running programs it
    // started and holds registry changes not yet written back.
    bool StartServerWait(Child& child)
    {
        LaunchPlan plan;
        plan.kind = LaunchKind::Wine;
        plan.hostProgram = CurrentWineTools().wineserver;
        plan.arguments = { "-w" };
        plan.environment = WineEnvironment(PrefixRoot());
        auto pid = Spawn(plan);
        if (!pid)
            return false;
        child.serverPid = *pid;
        child.serverFd = OpenPidDescriptor(*pid);
        return true;
    }

    // Callers that start without waiting may never ask again: their ended children are
    // reaped here (keeping the exit code), so none lingers as a zombie.
    void ReapEnded()
    {
        for (auto& [handle, child] : m_children)
            Update(*child);
        ReapDetached();
    }

    void ReapDetached()
    {
        std::erase_if(m_detached, [this](const std::unique_ptr<Child>& child) {
            const bool exitedBefore = child->exited;
            Update(*child);
            if (!exitedBefore && child->exited && child->openedFile
                && (child->exitCode == kOpenerNoMethod || child->exitCode == kOpenerActionFailed))
                ReportOpenFailed(*child->openedFile);
            if (child->done && child.get() == m_preparation)
                m_preparation = nullptr;
            return child->done;
        });
    }

    void ReportOpenFailed(const std::string& file)
    {
        if (!m_openFailed)
            return;
        CurrentEventLoop().PostCallback([handler = m_openFailed, file] { handler(file); });
    }

    std::shared_ptr<Machine> m_machine;
    std::map<ProcessHandle, std::unique_ptr<Child>> m_children;
    std::vector<std::unique_ptr<Child>> m_detached;
    ProcessHandle m_nextHandle = 1;
    bool m_preparing = false;             // once per run: a failed set-up is not retried in a loop
    const Child* m_preparation = nullptr; // while it runs
    EventLoop* m_reapLoop = nullptr;
    StartFailure m_lastFailure = StartFailure::None;
    OpenFailedHandler m_openFailed;
};

}

std::shared_ptr<IProcessService> MakeHostProcessService(std::shared_ptr<Machine> machine)
{
    if (!machine)
        throw std::logic_error("a process service needs a machine");
    return std::make_shared<HostProcessService>(std::move(machine));
}

}
