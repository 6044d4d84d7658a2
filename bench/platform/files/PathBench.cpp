// Resolving Windows paths of depth 4 on a disc folder whose folders hold 500 entries each.

#include "platform/files/Files.h"
#include "platform/machine/Machine.h"
#include "platform/text/Text.h"

#include "bench/platform/files/RatioReporter.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kEntriesPerFolder = 500;
constexpr int kFoldersPerFolder = 3; // the rest of each folder's entries are files
constexpr int kDepth = 4;            // three folders and a file
constexpr size_t kPaths = 10000;

struct Disc {
    fs::path root;
    std::vector<std::string> exactPaths; // as the host spells them
    std::vector<std::string> upperPaths; // as old catalogues spell them
    std::vector<fs::path> hostPaths;

    Disc()
    {
        root = fs::temp_directory_path() / ("torva-pathbench-" + std::to_string(::getpid()));
        fs::path disc = root / "disc";
        fs::create_directories(root / "dosdevices");
        fs::create_directories(disc);
        fs::create_directory_symlink(disc, root / "dosdevices" / "e:");
        std::vector<std::pair<fs::path, std::string>> leaves;
        Fill(disc, "E:", 1, leaves);
        std::mt19937 random(42);
        for (size_t i = 0; i < kPaths; ++i) {
            auto& [host, win] = leaves[random() % leaves.size()];
            hostPaths.push_back(host);
            exactPaths.push_back(win);
            upperPaths.push_back(platform::UpperCase(win));
        }
        platform::SetCurrentMachine(std::make_shared<platform::Machine>(root));
    }
    ~Disc() { fs::remove_all(root); }

    void Fill(const fs::path& folder, const std::string& winFolder, int level,
        std::vector<std::pair<fs::path, std::string>>& leaves)
    {
        for (int i = 0; i < kEntriesPerFolder; ++i) {
            bool isFolder = level < kDepth && i < kFoldersPerFolder;
            std::string name = (isFolder ? "Folder" : "File") + std::to_string(i) + (isFolder ? "" : ".Dat");
            fs::path host = folder / name;
            if (isFolder) {
                fs::create_directory(host);
                Fill(host, winFolder + "\\" + name, level + 1, leaves);
            } else {
                std::ofstream(host).put('x');
                if (level == kDepth)
                    leaves.emplace_back(host, winFolder + "\\" + name);
            }
        }
    }
};

Disc& TheDisc()
{
    static Disc disc;
    return disc;
}

void Resolve(benchmark::State& state, const std::vector<std::string>& paths)
{
    for (auto _ : state) {
        for (const std::string& path : paths)
            benchmark::DoNotOptimize(platform::ResolveExisting(path));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(paths.size()));
}

void BM_ResolveExactCase(benchmark::State& state)
{
    Resolve(state, TheDisc().exactPaths);
}
BENCHMARK(BM_ResolveExactCase)->Unit(benchmark::kMillisecond);

void BM_ResolveOtherCase(benchmark::State& state)
{
    Resolve(state, TheDisc().upperPaths);
}
BENCHMARK(BM_ResolveOtherCase)->Unit(benchmark::kMillisecond);

// The baseline: the host's own lookup of the same files, without drives or case.
void BM_HostStat(benchmark::State& state)
{
    for (auto _ : state) {
        for (const fs::path& path : TheDisc().hostPaths)
            benchmark::DoNotOptimize(fs::exists(path));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(TheDisc().hostPaths.size()));
}
BENCHMARK(BM_HostStat)->Unit(benchmark::kMillisecond);

}

int main(int argc, char** argv)
{
    return torvabench::RunWithRatios(argc, argv, {
                                                     { "BM_ResolveExactCase", "BM_HostStat", "exact-case resolution / host stat" },
                                                     { "BM_ResolveOtherCase", "BM_HostStat", "other-case resolution / host stat" },
                                                 });
}
