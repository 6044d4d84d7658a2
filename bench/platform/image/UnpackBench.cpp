// The first opening of a large image: unpacking a 600 MB ISO into the image cache, set against
// cp copying the same image on the same disk in the same iteration. The counter
// speed_vs_cp is cp's time over the unpacking's: 1 means as fast as cp.

#include "platform/image/DiscImage.h"
#include "platform/image/ImageCache.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr size_t FileCount = 24;
constexpr size_t FileBytes = 25u << 20; // 24 x 25 MiB: 600 MiB

struct LargeImage {
    fs::path root;
    fs::path iso;
    bool made = false;

    LargeImage()
    {
        root = fs::temp_directory_path() / ("torva-bench-image-" + std::to_string(std::random_device()()));
        fs::create_directories(root / "tree" / "DEMOS");
        std::vector<char> block(1u << 20);
        std::mt19937 random(7);
        for (char& c : block)
            c = static_cast<char>(random());
        for (size_t i = 0; i < FileCount; ++i) {
            std::ofstream out(root / "tree" / "DEMOS" / ("PART" + std::to_string(i) + ".DAT"), std::ios::binary);
            for (size_t written = 0; written < FileBytes; written += block.size()) {
                block[i % block.size()] ^= static_cast<char>(written);
                out.write(block.data(), static_cast<std::streamsize>(block.size()));
            }
        }
        iso = root / "large.iso";
        std::string command = "xorriso -report_about FAILURE -outdev '" + iso.string() + "' -joliet on -map '" + (root / "tree").string() + "' / >/dev/null 2>&1";
        made = std::system(command.c_str()) == 0;
        fs::remove_all(root / "tree");
    }
    ~LargeImage()
    {
        std::system(("chmod -R u+w '" + root.string() + "'").c_str());
        fs::remove_all(root);
    }
};

void BM_FirstOpeningOf600MBImage(benchmark::State& state)
{
    LargeImage large;
    if (!large.made) {
        state.SkipWithError("xorriso could not make the image");
        return;
    }
    double unpackSeconds = 0, copySeconds = 0;
    int round = 0;
    for (auto _ : state) {
        fs::path cacheRoot = large.root / ("cache" + std::to_string(round++));
        fs::path copy = large.root / "copy.iso";
        // Each copy starts with nothing waiting to be written, so neither pays for the other.
        std::system("sync");
        auto start = std::chrono::steady_clock::now();
        {
            auto image = platform::DiscImage::Open(large.iso).Value();
            platform::ImageCache cache(cacheRoot);
            platform::CachedImage opened = cache.Open(*image);
            benchmark::DoNotOptimize(opened.Folder());
        }
        auto unpacked = std::chrono::steady_clock::now();
        std::system("sync");
        auto copying = std::chrono::steady_clock::now();
        std::system(("cp '" + large.iso.string() + "' '" + copy.string() + "'").c_str());
        auto copied = std::chrono::steady_clock::now();
        unpackSeconds += std::chrono::duration<double>(unpacked - start).count();
        copySeconds += std::chrono::duration<double>(copied - copying).count();
        state.SetIterationTime(std::chrono::duration<double>(unpacked - start).count());
        state.PauseTiming();
        std::system(("chmod -R u+w '" + cacheRoot.string() + "'").c_str());
        fs::remove_all(cacheRoot);
        fs::remove(copy);
        state.ResumeTiming();
    }
    state.counters["cp_ms"] = benchmark::Counter(copySeconds * 1e3 / static_cast<double>(state.iterations()));
    state.counters["speed_vs_cp"] = benchmark::Counter(copySeconds / unpackSeconds);
}

BENCHMARK(BM_FirstOpeningOf600MBImage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}

BENCHMARK_MAIN();
