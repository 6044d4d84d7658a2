// How long a click on "install" waits for a Windows setup to start through Wine: on a prefix
// Wine has never set up (it does so first), and on one the menu had Wine prepare in the
// background. Each is given as a ratio to `wine cmd /c exit` on a set-up prefix in the same run.
// The setup is the sample disc's Windows game, which writes HRA.TXT as the first thing it does.
// Needs wine and a sample disc with its Windows items; skips otherwise. Run alone: it takes
// about a minute.

#include "platform/machine/Machine.h"
#include "platform/process/LaunchPlanner.h"
#include "platform/process/Process.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const fs::path SetupProgram = fs::path(TORVA_SAMPLE_DISC_DIR) / "DEMOS" / "ZAHRADA" / "ZAHRADA.EXE";

fs::path BenchRoot()
{
    const char* tmp = std::getenv("TMPDIR");
    static const fs::path root = fs::path(tmp ? tmp : "/tmp") / ("torva-winestart-bench-" + std::to_string(::getpid()));
    return root;
}

// Wine stays inside the benchmark's folder: its home links and menu entries included.
void QuietWine()
{
    fs::create_directories(BenchRoot() / "home");
    ::setenv("HOME", (BenchRoot() / "home").c_str(), 1);
    ::setenv("WINEDEBUG", "-all", 1);
    ::setenv("WINEDLLOVERRIDES", "winemenubuilder.exe=d;mscoree=d;mshtml=d", 1);
    ::unsetenv("DISPLAY");
}

bool Usable(benchmark::State& state)
{
    if (!platform::HostToolOnPath("wine")) {
        state.SkipWithError("wine is not installed");
        return false;
    }
    if (!fs::exists(SetupProgram)) {
        state.SkipWithError("the sample disc has no Windows items");
        return false;
    }
    QuietWine();
    return true;
}

// A new prefix as the menu makes it, with the setup on drive C:.
std::shared_ptr<platform::Machine> NewMachine(const std::string& name)
{
    fs::path root = BenchRoot() / name;
    fs::remove_all(root);
    auto machine = platform::Machine::OpenOrCreate(root);
    fs::create_directories(machine->DriveCDir() / "DISC");
    fs::copy_file(SetupProgram, machine->DriveCDir() / "DISC" / "SETUP.EXE");
    platform::SetCurrentMachine(machine);
    return machine;
}

void WaitForServer(const fs::path& prefix)
{
    std::string command = "WINEPREFIX='" + prefix.string() + "' wineserver -w";
    if (std::system(command.c_str()) != 0)
        std::abort();
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// `wine cmd /c exit` on a set-up prefix with no wineserver running, as a click finds it.
double WineCmdExitSeconds()
{
    static double seconds = [] {
        auto machine = NewMachine("baseline");
        auto service = platform::MakeHostProcessService(machine);
        service->PrepareWinePrefix();
        service->WaitForStartedPrograms(600000);
        WaitForServer(machine->PrefixRoot());
        std::string command = "cd '" + machine->DriveCDir().string() + "' && WINEPREFIX='" + machine->PrefixRoot().string() + "' wine cmd /c exit";
        auto start = Clock::now();
        if (std::system(command.c_str()) != 0)
            std::abort();
        double taken = Seconds(Clock::now() - start);
        WaitForServer(machine->PrefixRoot());
        return taken;
    }();
    return seconds;
}

// From the start request of the click to the setup's first file.
double SetupStartSeconds(platform::IProcessService& service, const platform::Machine& machine)
{
    fs::path trace = machine.PrefixRoot() / "drive_c" / "DISC" / "HRA.TXT";
    platform::ProcessStart start;
    start.commandLine = "C:\\DISC\\SETUP.EXE";
    auto began = Clock::now();
    auto process = service.CreateProcess(start);
    if (!process)
        std::abort();
    while (!fs::exists(trace))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    double taken = Seconds(Clock::now() - began);
    service.CloseHandle(*process);
    service.WaitForStartedPrograms(600000);
    return taken;
}

void Report(benchmark::State& state, double total, int64_t runs)
{
    state.counters["seconds"] = total / static_cast<double>(runs);
    state.counters["wine_cmd_exit_seconds"] = WineCmdExitSeconds();
    state.counters["ratio_to_wine_cmd_exit"] = total / static_cast<double>(runs) / WineCmdExitSeconds();
}

// Each run on a new prefix; `prepared`: after what the menu starts once its first page shows
// has finished, as it does while the user browses.
void SetupStarts(benchmark::State& state, bool prepared)
{
    if (!Usable(state))
        return;
    WineCmdExitSeconds();
    double total = 0;
    int64_t runs = 0;
    for (auto _ : state) {
        auto machine = NewMachine(prepared ? "prepared" : "fresh");
        auto service = platform::MakeHostProcessService(machine);
        if (prepared) {
            service->PrepareWinePrefix();
            service->WaitForStartedPrograms(600000);
            WaitForServer(machine->PrefixRoot());
        }
        double taken = SetupStartSeconds(*service, *machine);
        state.SetIterationTime(taken);
        total += taken;
        ++runs;
    }
    Report(state, total, runs);
}

void BM_SetupStartOnNewPrefix(benchmark::State& state) { SetupStarts(state, false); }
BENCHMARK(BM_SetupStartOnNewPrefix)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

void BM_SetupStartOnPreparedPrefix(benchmark::State& state) { SetupStarts(state, true); }
BENCHMARK(BM_SetupStartOnPreparedPrefix)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code error;
    fs::remove_all(BenchRoot(), error);
    return 0;
}
