// Unpacking images of many entries, 100,000 empty folders and 30,000 small files, set against
// libarchive's bsdtar -xf of the same image in the same iteration: the work per entry is
// linear. The counter ratio_to_bsdtar is our time over bsdtar's. The images are made with
// xorriso at set-up in a temporary folder and removed afterwards.

#include "platform/image/DiscImage.h"
#include "platform/image/ImageCache.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

struct ManyEntries {
    fs::path root;
    fs::path iso;
    bool made = false;

    // `folders` folders in groups of a thousand, and `files` files of 100 bytes spread over them.
    ManyEntries(int folders, int files)
    {
        root = fs::temp_directory_path() / ("torva-bench-entries-" + std::to_string(std::random_device()()));
        fs::path tree = root / "tree";
        for (int i = 0; i < folders; ++i)
            fs::create_directories(tree / ("group" + std::to_string(i / 1000)) / ("folder" + std::to_string(i)));
        for (int i = 0; i < files; ++i) {
            fs::path group = tree / ("files" + std::to_string(i / 1000));
            fs::create_directories(group);
            std::ofstream(group / ("file" + std::to_string(i) + ".txt")) << std::string(100, static_cast<char>('a' + i % 26));
        }
        iso = root / "many.iso";
        std::string command = "xorriso -report_about FAILURE -outdev '" + iso.string() + "' -joliet on -map '" + tree.string() + "' / >/dev/null 2>&1";
        made = std::system(command.c_str()) == 0;
        fs::remove_all(tree);
    }
    ~ManyEntries()
    {
        std::system(("chmod -R u+w '" + root.string() + "'").c_str());
        fs::remove_all(root);
    }
};

void Unpack(benchmark::State& state, int folders, int files)
{
    ManyEntries image(folders, files);
    if (!image.made) {
        state.SkipWithError("xorriso could not make the image");
        return;
    }
    double ours = 0, theirs = 0;
    int round = 0;
    for (auto _ : state) {
        fs::path cache = image.root / ("cache" + std::to_string(round));
        fs::path out = image.root / ("bsdtar" + std::to_string(round++));
        fs::create_directories(out);
        auto unpackOurs = [&] {
            auto opened = platform::DiscImage::Open(image.iso).Value();
            platform::ImageCache(cache).Open(*opened);
        };
        auto unpackTheirs = [&] {
            if (std::system(("bsdtar -xf '" + image.iso.string() + "' -C '" + out.string() + "'").c_str()) != 0)
                state.SkipWithError("bsdtar could not unpack the image");
        };
        // The file system is slower to make inodes just after many were removed (the previous
        // round's), so the two take turns at going first.
        bool oursFirst = round % 2 == 1;
        auto start = std::chrono::steady_clock::now();
        oursFirst ? unpackOurs() : unpackTheirs();
        auto middle = std::chrono::steady_clock::now();
        oursFirst ? unpackTheirs() : unpackOurs();
        auto end = std::chrono::steady_clock::now();
        ours += std::chrono::duration<double>(oursFirst ? middle - start : end - middle).count();
        theirs += std::chrono::duration<double>(oursFirst ? end - middle : middle - start).count();
        state.PauseTiming();
        std::system(("chmod -R u+w '" + cache.string() + "' && rm -rf '" + cache.string() + "' '" + out.string() + "'").c_str());
        state.ResumeTiming();
    }
    state.counters["ratio_to_bsdtar"] = theirs > 0 ? ours / theirs : 0;
}

void BM_UnpackHundredThousandEmptyFolders(benchmark::State& state)
{
    Unpack(state, 100000, 0);
}
BENCHMARK(BM_UnpackHundredThousandEmptyFolders)->Unit(benchmark::kMillisecond)->Iterations(4)->UseRealTime();

void BM_UnpackThirtyThousandSmallFiles(benchmark::State& state)
{
    Unpack(state, 0, 30000);
}
BENCHMARK(BM_UnpackThirtyThousandSmallFiles)->Unit(benchmark::kMillisecond)->Iterations(4)->UseRealTime();

}

BENCHMARK_MAIN();
