// The description label's work: a long word-wrapped Czech paragraph in its 265 x 145 box,
// against the baseline of filling that box.
#include "platform/canvas/Canvas.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace platform;

namespace {

constexpr int BoxWidth = 265;
constexpr int BoxHeight = 145;

// About thirty lines at the box's width: "Příliš žluťoučký kůň úpěl ďábelské ódy." and more.
std::string CzechParagraph()
{
    std::string sentence = "P\xF8\xED"
                           "li\x9A \x9Elu\x9Do\xE8k\xFD k\xF9\xF2 \xFAp\xECl \xEF\xE1"
                           "belsk\xE9 \xF3"
                           "dy. "
                           "Hra nab\xED"
                           "z\xED deset \xFArovn\xED, nov\xE9 zbran\xEC a souboje ve v\xED"
                           "ce hr\xE1\xE8\xED"
                           "ch. ";
    std::string text;
    for (int i = 0; i < 12; ++i)
        text += sentence;
    return text;
}

struct Box {
    Box()
        : pixels(size_t(BoxWidth) * BoxHeight, 0x01234576)
        , canvas(PixelView { reinterpret_cast<uint8_t*>(pixels.data()), BoxWidth, BoxHeight })
    {
        canvas.Font.Name = "Tahoma";
        canvas.Font.Height = -13;
        canvas.Font.Charset = EASTEUROPE_CHARSET;
        canvas.Brush.Style = BrushStyle::Clear;
    }
    std::vector<uint32_t> pixels;
    TCanvas canvas;
};

void BM_FillBox(benchmark::State& state)
{
    Box box;
    box.canvas.Brush.Style = BrushStyle::Solid;
    box.canvas.Brush.Color = 0x00FF00;
    for (auto _ : state) {
        box.canvas.FillRect({ 0, 0, BoxWidth, BoxHeight });
        benchmark::DoNotOptimize(box.pixels.data());
    }
}
BENCHMARK(BM_FillBox);

void BM_DrawWrappedCzechParagraph(benchmark::State& state)
{
    Box box;
    std::string text = CzechParagraph();
    TRect measure { 0, 0, BoxWidth, 0 };
    int lines = box.canvas.DrawText(text, measure, DT_CALCRECT | DT_WORDBREAK) / box.canvas.TextHeight("x");
    for (auto _ : state) {
        TRect rect { 0, 0, BoxWidth, BoxHeight };
        benchmark::DoNotOptimize(box.canvas.DrawText(text, rect, DT_WORDBREAK | DT_EXPANDTABS));
    }
    state.counters["lines"] = lines;
}
BENCHMARK(BM_DrawWrappedCzechParagraph);

void BM_MeasureWrappedCzechParagraph(benchmark::State& state)
{
    Box box;
    std::string text = CzechParagraph();
    for (auto _ : state) {
        TRect rect { 0, 0, BoxWidth, 0 };
        benchmark::DoNotOptimize(box.canvas.DrawText(text, rect, DT_CALCRECT | DT_WORDBREAK));
    }
}
BENCHMARK(BM_MeasureWrappedCzechParagraph);

}

BENCHMARK_MAIN();
