// The disk search of the status check walks a whole installed-games drive when the file it looks
// for is missing. Measured against a plain recursive listing of the same tree in the same run.

#include "shell/FileTree.h"

#include "platform/machine/Machine.h"
#include "bench/shell/GamesTree.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

using benchtree::FolderCount;

struct Fixture {
    fs::path root;
    fs::path tree;

    Fixture()
    {
        const char* tmp = std::getenv("TMPDIR");
        root = fs::path(tmp ? tmp : "/tmp") / ("torva-searchtree-bench-" + std::to_string(::getpid()));
        tree = benchtree::MakeGamesTree(root);
        platform::SetCurrentMachine(std::make_shared<platform::Machine>(root));
    }
    ~Fixture() { fs::remove_all(root); }
};

Fixture& TheTree()
{
    static Fixture fixture;
    return fixture;
}

void BM_PlainRecursiveWalk(benchmark::State& state)
{
    Fixture& fixture = TheTree();
    for (auto _ : state) {
        int64_t folders = 0;
        for (auto& entry : fs::recursive_directory_iterator(fixture.tree)) {
            if (entry.is_directory())
                ++folders;
        }
        benchmark::DoNotOptimize(folders);
    }
    state.SetItemsProcessed(state.iterations() * FolderCount);
}
BENCHMARK(BM_PlainRecursiveWalk)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same walk learning what a folder search reports of each entry (attributes, size).
void BM_RecursiveWalkWithAttributes(benchmark::State& state)
{
    Fixture& fixture = TheTree();
    for (auto _ : state) {
        int64_t folders = 0;
        uint64_t bytes = 0;
        for (auto& entry : fs::recursive_directory_iterator(fixture.tree)) {
            fs::file_status status = fs::status(entry.path());
            if (fs::is_directory(status))
                ++folders;
            else
                bytes += fs::file_size(entry.path());
        }
        benchmark::DoNotOptimize(folders);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * FolderCount);
}
BENCHMARK(BM_RecursiveWalkWithAttributes)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_SearchTreeMissingFile(benchmark::State& state)
{
    TheTree();
    shell::FileTree fileTree(shell::FileTreeContext {});
    for (auto _ : state) {
        std::string found = fileTree.SearchTree("C:\\Games", "absent.ini");
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * FolderCount);
}
BENCHMARK(BM_SearchTreeMissingFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}

BENCHMARK_MAIN();
