// A full-window present of the menu's 816 x 740 picture, against a plain copy of the same
// pixels as the baseline; through the headless backend always, through SDL when a display is
// there (run under xvfb-run for the virtual one).
#include "platform/events/EventLoop.h"
#include "platform/window/HeadlessWindow.h"
#include "platform/window/SdlWindow.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace platform;

namespace {

constexpr int Width = 816;
constexpr int Height = 740;

struct Picture {
    Picture()
        : pixels(size_t(Width) * Height)
    {
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = uint32_t(i * 2654435761u) & 0x00FFFFFFu;
    }
    PixelView View() { return { reinterpret_cast<uint8_t*>(pixels.data()), Width, Height }; }
    std::vector<uint32_t> pixels;
};

void BM_CopyBaseline(benchmark::State& state)
{
    Picture picture;
    std::vector<uint32_t> target(picture.pixels.size());
    for (auto _ : state) {
        std::copy(picture.pixels.begin(), picture.pixels.end(), target.begin());
        benchmark::DoNotOptimize(target.data());
    }
}
BENCHMARK(BM_CopyBaseline);

void BM_HeadlessPresent(benchmark::State& state)
{
    VirtualClock clock;
    EventLoop loop(clock);
    HeadlessWindow window(loop);
    window.SetClientSize(Width, Height);
    window.Show();
    Picture picture;
    for (auto _ : state)
        window.Present(picture.View(), { 0, 0, Width, Height });
}
BENCHMARK(BM_HeadlessPresent);

void BM_SdlPresent(benchmark::State& state)
{
    if (!std::getenv("DISPLAY") || !SdlWindow::DisplayAvailable()) {
        state.SkipWithError("no display");
        return;
    }
    RealClock clock;
    EventLoop loop(clock);
    SdlWindow window(loop);
    window.SetClientSize(Width, Height);
    window.SetPosition(0, 0);
    window.Show();
    loop.ProcessMessages();
    Picture picture;
    for (auto _ : state)
        window.Present(picture.View(), { 0, 0, Width, Height });
}
BENCHMARK(BM_SdlPresent)->UseRealTime();

}

BENCHMARK_MAIN();
