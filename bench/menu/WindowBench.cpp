// The menu window, headless, on the sample disc the build makes: start-up to the first composed
// frame (layout, artwork, creation event, catalogue, page table, first page, paint) and one page
// switch with its repaint. Each is set against a copy of the window's surface in the same
// iteration (the ratio_to_memcpy counter), so the figures compare across machines.

#include "menu/form/main_f.h"

#include "platform/components/Forms.h"
#include "platform/events/EventLoop.h"
#include "bench/menu/BenchServices.h"
#include "platform/machine/Machine.h"
#include "platform/window/HeadlessWindow.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <vector>

namespace {

struct SampleMachine {
    std::filesystem::path root;
    std::shared_ptr<platform::Machine> machine;
    std::string drive;
    platform::VirtualClock clock;
    platform::EventLoop loop { clock };
    platform::ScopedEventLoop scope { loop };
    std::optional<BenchServices> system;
    std::vector<uint32_t> copy;

    SampleMachine()
    {
        root = std::filesystem::temp_directory_path() / ("torva-bench-window-" + std::to_string(std::random_device()()));
        machine = platform::Machine::OpenOrCreate(root / "prefix");
        platform::SetCurrentMachine(machine);
        system.emplace(machine, loop);
        drive = std::string(1, machine->MapDrive(TORVA_SAMPLE_DISC_DIR, platform::DRIVE_CDROM)) + ":";
    }

    ~SampleMachine()
    {
        platform::SetCurrentMachine(nullptr);
        std::filesystem::remove_all(root);
    }

    TForm1* Start()
    {
        auto* form = new TForm1(system->services, MenuEnvironment { drive + "\\TORVA.EXE" });
        form->SetWindow(std::make_unique<platform::HeadlessWindow>(loop));
        form->CreateWindowLayout();
        form->Show();
        loop.ProcessMessages();
        form->PaintNow();
        return form;
    }

    void CopySurface(const TForm1& form)
    {
        const PixelView& surface = form.Surface();
        copy.resize(static_cast<size_t>(surface.width) * surface.height);
        std::memcpy(copy.data(), surface.bits, copy.size() * 4);
        benchmark::DoNotOptimize(copy.data());
    }
};

bool SampleDiscBuilt(benchmark::State& state)
{
    if (std::filesystem::exists(std::filesystem::path(TORVA_SAMPLE_DISC_DIR) / "Torva" / "torvaxp.ini"))
        return true;
    state.SkipWithError("the sample disc is not built (target sample_disc)");
    return false;
}

template <class Measured, class Baseline>
void Time(benchmark::State& state, Measured measured, Baseline baseline, double& measuredSeconds, double& baselineSeconds)
{
    const auto start = std::chrono::steady_clock::now();
    measured();
    const auto done = std::chrono::steady_clock::now();
    baseline();
    const auto copied = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(done - start).count();
    state.SetIterationTime(seconds);
    measuredSeconds += seconds;
    baselineSeconds += std::chrono::duration<double>(copied - done).count();
}

void Report(benchmark::State& state, double measuredSeconds, double baselineSeconds)
{
    state.counters["memcpy_us"] = benchmark::Counter(baselineSeconds * 1e6 / static_cast<double>(state.iterations()));
    state.counters["ratio_to_memcpy"] = benchmark::Counter(measuredSeconds / baselineSeconds);
}

void BM_StartupToFirstFrame(benchmark::State& state)
{
    if (!SampleDiscBuilt(state))
        return;
    SampleMachine sample;
    double startSeconds = 0, copySeconds = 0;
    for (auto _ : state) {
        TForm1* form = nullptr;
        Time(
            state, [&] { form = sample.Start(); }, [&] { sample.CopySurface(*form); }, startSeconds, copySeconds);
        platform::TComponent::Free(form);
    }
    Report(state, startSeconds, copySeconds);
}

void BM_PageSwitch(benchmark::State& state)
{
    if (!SampleDiscBuilt(state))
        return;
    SampleMachine sample;
    TForm1* form = sample.Start();
    double switchSeconds = 0, copySeconds = 0;
    for (auto _ : state) {
        // Demos and the second demo list in turn: both run the status check of their items.
        int slot = form->Model.SelectedSlot() == 1 ? 2 : 1;
        Time(
            state, [&] {
                form->MainButtonClick(slot);
                form->PaintNow(); },
            [&] { sample.CopySurface(*form); }, switchSeconds, copySeconds);
    }
    Report(state, switchSeconds, copySeconds);
    platform::TComponent::Free(form);
}

BENCHMARK(BM_StartupToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageSwitch)->UseManualTime()->Unit(benchmark::kMillisecond);

}

BENCHMARK_MAIN();
