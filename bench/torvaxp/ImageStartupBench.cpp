// Start-up to the first composed frame on the sample disc's ISO, opened before (its folder is in
// the image cache), set against the same start-up on the sample disc's folder in the same
// iteration: the disc opened (OpenDisc), its drive mapped (DiscDriveLease), the menu created,
// shown and painted. The counter ratio_to_folder is the image's time over the folder's.

#include "menu/form/main_f.h"
#include "torvaxp/DiscDrive.h"
#include "torvaxp/DiscOpening.h"

#include "platform/components/Forms.h"
#include "platform/events/EventLoop.h"
#include "platform/machine/Machine.h"
#include "platform/window/HeadlessWindow.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace {

namespace fs = std::filesystem;

struct Bench {
    fs::path root;
    std::shared_ptr<platform::Machine> machine;
    platform::VirtualClock clock;
    platform::EventLoop loop { clock };
    platform::ScopedEventLoop scope { loop };

    Bench()
    {
        root = fs::temp_directory_path() / ("torva-bench-startup-" + std::to_string(std::random_device()()));
        machine = platform::Machine::OpenOrCreate(root / "prefix");
        platform::SetCurrentMachine(machine);
    }
    ~Bench()
    {
        platform::SetCurrentMachine(nullptr);
        std::system(("chmod -R u+w '" + root.string() + "'").c_str());
        fs::remove_all(root);
    }

    // From the command line's disc to the first frame, as torvaxp starts.
    void Start(const fs::path& disc)
    {
        platform::ImageCache cache(root / "cache");
        OpenedDisc opened = OpenDisc(disc, true, cache, {});
        auto drive = DiscDriveLease::Map(*machine, opened.folder, opened.volume);
        auto* form = new TForm1(MenuEnvironment { std::string(1, drive->Letter()) + ":\\TORVA.EXE" });
        form->SetWindow(std::make_unique<platform::HeadlessWindow>(loop));
        form->CreateWindowLayout();
        form->Show();
        loop.ProcessMessages();
        form->PaintNow();
        benchmark::DoNotOptimize(form->Surface().bits);
        platform::TComponent::Free(form);
    }
};

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
        double seconds = std::chrono::duration<double>(imageDone - start).count();
        state.SetIterationTime(seconds);
        imageSeconds += seconds;
        folderSeconds += std::chrono::duration<double>(folderDone - imageDone).count();
    }
    state.counters["folder_ms"] = benchmark::Counter(folderSeconds * 1e3 / static_cast<double>(state.iterations()));
    state.counters["ratio_to_folder"] = benchmark::Counter(imageSeconds / folderSeconds);
}

BENCHMARK(BM_StartupOnImageOpenedBefore)->UseManualTime()->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
