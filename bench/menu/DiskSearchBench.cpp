// The disk search of an item found by searching (DirDetect 8) walks every fixed drive when the
// file is not there: 10,110 folders and 100,000 files here. Measured against a plain recursive
// listing of the same tree in the same run; the ratio benchmark times both back to back.

#include "bench/menu/BenchServices.h"
#include "menu/MenuState.h"

#include "platform/events/Clock.h"
#include "platform/machine/Machine.h"
#include "bench/shell/GamesTree.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The drive's root counts as a folder of the walk too.
constexpr int64_t FolderCount = 1 + benchtree::FolderCount;

struct BenchMachine {
    fs::path root;
    fs::path driveC;
    platform::VirtualClock clock;
    platform::EventLoop loop { clock };
    std::optional<BenchServices> system;
    std::unique_ptr<MenuState> form;
    TDemos item;

    BenchMachine()
    {
        const char* tmp = std::getenv("TMPDIR");
        root = fs::path(tmp ? tmp : "/tmp") / ("torva-disksearch-bench-" + std::to_string(::getpid()));
        driveC = benchtree::MakeGamesTree(root).parent_path();
        auto machine = std::make_shared<platform::Machine>(root);
        platform::SetCurrentMachine(machine);
        system.emplace(machine, loop);
        form = std::make_unique<MenuState>(system->services, MenuEnvironment {});
        item.Name = "HRA";
        item.InstallType = InstallMethod::OwnSetupDetected;
        item.DirDetect = FolderDetection::DiskSearch;
        item.GameName = "absent.exe";
        item.Param = "absent.ini,0,";
    }
    ~BenchMachine()
    {
        form.reset();
        platform::SetCurrentMachine(nullptr);
        fs::remove_all(root);
    }
};

BenchMachine& TheMachine()
{
    static BenchMachine machine;
    return machine;
}

int64_t WalkFolders(const fs::path& top)
{
    int64_t folders = 1;
    for (auto& entry : fs::recursive_directory_iterator(top)) {
        if (entry.is_directory())
            ++folders;
    }
    return folders;
}

void BM_PlainRecursiveWalk(benchmark::State& state)
{
    BenchMachine& machine = TheMachine();
    for (auto _ : state)
        benchmark::DoNotOptimize(WalkFolders(machine.driveC));
    state.SetItemsProcessed(state.iterations() * FolderCount);
}
BENCHMARK(BM_PlainRecursiveWalk)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_DiskSearchMissingFile(benchmark::State& state)
{
    BenchMachine& machine = TheMachine();
    for (auto _ : state) {
        std::string found = machine.form->Installer().SearchDisks(machine.item);
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * FolderCount);
}
BENCHMARK(BM_DiskSearchMissingFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Search time over walk time, each round measured back to back so that both see the same cache.
void BM_DiskSearchToWalkRatio(benchmark::State& state)
{
    BenchMachine& machine = TheMachine();
    double searchSeconds = 0;
    double walkSeconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(WalkFolders(machine.driveC));
        auto middle = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(machine.form->Installer().SearchDisks(machine.item));
        auto end = std::chrono::steady_clock::now();
        walkSeconds += std::chrono::duration<double>(middle - start).count();
        searchSeconds += std::chrono::duration<double>(end - middle).count();
    }
    state.counters["ratio"] = walkSeconds > 0 ? searchSeconds / walkSeconds : 0;
    state.counters["search_folders_per_s"] = searchSeconds > 0 ? static_cast<double>(FolderCount * state.iterations()) / searchSeconds : 0;
}
BENCHMARK(BM_DiskSearchToWalkRatio)->Unit(benchmark::kMillisecond)->MinTime(4.0);

}

BENCHMARK_MAIN();
