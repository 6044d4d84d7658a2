// Start-up to the first composed frame on the sample disc's ISO, opened before (its folder is in
// the image cache), set against the same start-up on the sample disc's folder in the same
// iteration: the disc opened (OpenDisc), its drive mapped (DiscDriveLease), the menu created,
// shown and painted. The counter ratio_to_folder is the image's time over the folder's.
//
// And the first frame on a 700 MB image the cache does not hold, its pages dropped from the
// kernel's cache, browsed from the few files browsing needs: set against the folder's first
// frame plus reading those files from the image (ratio_to_folder_and_browsing_files).

#include "menu/form/main_f.h"
#include "torvaxp/DiscDrive.h"
#include "torvaxp/DiscOpening.h"

#include "platform/components/Forms.h"
#include "platform/events/EventLoop.h"
#include "bench/menu/BenchServices.h"
#include "platform/machine/Machine.h"
#include "platform/window/HeadlessWindow.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>

namespace {

namespace fs = std::filesystem;

struct Bench {
    fs::path root;
    std::shared_ptr<platform::Machine> machine;
    platform::VirtualClock clock;
    platform::EventLoop loop { clock };
    platform::ScopedEventLoop scope { loop };
    std::optional<BenchServices> system;

    Bench()
    {
        root = fs::temp_directory_path() / ("torva-bench-startup-" + std::to_string(std::random_device()()));
        machine = platform::Machine::OpenOrCreate(root / "prefix");
        platform::SetCurrentMachine(machine);
        system.emplace(machine, loop);
    }
    ~Bench()
    {
        platform::SetCurrentMachine(nullptr);
        std::system(("chmod -R u+w '" + root.string() + "'").c_str());
        fs::remove_all(root);
    }

    // From the command line's disc to the first frame, as torvaxp starts.
    void Start(const fs::path& disc, ImageOpening opening = ImageOpening::Whole)
    {
        platform::ImageCache cache(root / "cache");
        OpenedDisc opened = OpenDisc(disc, true, cache, {}, opening);
        auto drive = DiscDriveLease::Map(*machine, opened.folder, opened.volume);
        auto* form = new TForm1(system->services, MenuEnvironment { std::string(1, drive->Letter()) + ":\\TORVA.EXE" });
        form->SetWindow(std::make_unique<platform::HeadlessWindow>(loop));
        form->CreateWindowLayout();
        form->Show();
        loop.ProcessMessages();
        form->PaintNow();
        benchmark::DoNotOptimize(form->Surface().bits);
        platform::TComponent::Free(form);
    }
};

double SecondsBetween(std::chrono::steady_clock::time_point start, std::chrono::steady_clock::time_point end)
{
    return std::chrono::duration<double>(end - start).count();
}

// The baseline's mean time per iteration and the measured time over the baseline's.
void ReportRatio(benchmark::State& state, double seconds, double baselineSeconds, const char* baselineName, const char* ratioName)
{
    state.counters[baselineName] = benchmark::Counter(baselineSeconds * 1e3 / static_cast<double>(state.iterations()));
    state.counters[ratioName] = benchmark::Counter(seconds / baselineSeconds);
}

void BM_StartupOnImageOpenedBefore(benchmark::State& state)
{
    if (!fs::exists(TORVA_SAMPLE_IMAGE) || !fs::exists(TORVA_SAMPLE_DISC_DIR)) {
        state.SkipWithError("the sample disc or its image is not built (targets sample_disc, sample_disc_images)");
        return;
    }
    Bench bench;
    bench.Start(TORVA_SAMPLE_IMAGE); // unpacks it once
    double imageSeconds = 0, folderSeconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        bench.Start(TORVA_SAMPLE_IMAGE);
        auto imageDone = std::chrono::steady_clock::now();
        bench.Start(TORVA_SAMPLE_DISC_DIR);
        auto folderDone = std::chrono::steady_clock::now();
        state.SetIterationTime(SecondsBetween(start, imageDone));
        imageSeconds += SecondsBetween(start, imageDone);
        folderSeconds += SecondsBetween(imageDone, folderDone);
    }
    ReportRatio(state, imageSeconds, folderSeconds, "folder_ms", "ratio_to_folder");
}

BENCHMARK(BM_StartupOnImageOpenedBefore)->UseManualTime()->Unit(benchmark::kMillisecond);

// The sample disc with a sparse padding file that brings it to 700 MB, mastered with genisoimage's
// defaults plus Joliet and Rock Ridge, as a cover disc's image is.
fs::path MakeLargeImage(const fs::path& root)
{
    fs::path tree = root / "large-tree";
    fs::create_directories(tree);
    for (const auto& item : fs::directory_iterator(TORVA_SAMPLE_DISC_DIR))
        fs::create_symlink(item.path(), tree / item.path().filename());
    uint64_t sample = 0;
    for (const auto& item : fs::recursive_directory_iterator(TORVA_SAMPLE_DISC_DIR))
        if (item.is_regular_file())
            sample += item.file_size();
    constexpr uint64_t DiscBytes = 700ull << 20;
    std::ofstream(tree / "PADDING.BIN").close();
    fs::resize_file(tree / "PADDING.BIN", DiscBytes > sample ? DiscBytes - sample : 0);
    fs::path iso = root / "large.iso";
    std::string command = "genisoimage -quiet -f -J -R -V 'Torva CD v2' -o '" + iso.string() + "' '" + tree.string() + "'";
    return std::system(command.c_str()) == 0 ? iso : fs::path();
}

void BM_FirstFrameOnImageNotInCache(benchmark::State& state)
{
    if (!fs::exists(TORVA_SAMPLE_DISC_DIR) || std::system("command -v genisoimage >/dev/null 2>&1") != 0) {
        state.SkipWithError("the sample disc is not built (target sample_disc) or genisoimage is missing");
        return;
    }
    Bench bench;
    fs::path iso = MakeLargeImage(bench.root);
    if (iso.empty()) {
        state.SkipWithError("genisoimage could not make the 700 MB image");
        return;
    }
    auto image = platform::DiscImage::Open(iso).Value();
    double imageSeconds = 0, baselineSeconds = 0;
    for (auto _ : state) {
        image->DropCachedPages();
        auto start = std::chrono::steady_clock::now();
        auto reading = platform::DiscImage::Open(iso).Value();
        for (const platform::ImageEntry& entry : reading->Entries())
            if (ShownWhileBrowsing(entry))
                benchmark::DoNotOptimize(reading->Read(entry, entry.size));
        bench.Start(TORVA_SAMPLE_DISC_DIR);
        auto baselineDone = std::chrono::steady_clock::now();

        platform::ImageCache(bench.root / "cache").Forget();
        image->DropCachedPages();
        auto imageStart = std::chrono::steady_clock::now();
        bench.Start(iso, ImageOpening::BrowsingFirst);
        auto imageDone = std::chrono::steady_clock::now();
        state.SetIterationTime(SecondsBetween(imageStart, imageDone));
        imageSeconds += SecondsBetween(imageStart, imageDone);
        baselineSeconds += SecondsBetween(start, baselineDone);
    }
    ReportRatio(state, imageSeconds, baselineSeconds, "baseline_ms", "ratio_to_folder_and_browsing_files");
}

BENCHMARK(BM_FirstFrameOnImageNotInCache)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}

BENCHMARK_MAIN();
