// Span routines, the transformed path and region building on a window-sized surface, with a
// plain memcpy of the same pixels as the yardstick (compare items_per_second).

#include "dib/surface/cDIB.h"
#include "dib/surface/cDIBSpans.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int Width = 816;
constexpr int Height = 740;

void Randomise(TAbstractSuperDIB& dib, uint32_t seed)
{
    std::mt19937 random(seed);
    const size_t count = static_cast<size_t>(dib.Width()) * dib.Height();
    for (size_t i = 0; i < count; ++i)
        dib.Bits()[i] = static_cast<uint32_t>(random());
}

void CountPixels(benchmark::State& state, int64_t pixelsPerIteration)
{
    state.SetItemsProcessed(state.iterations() * pixelsPerIteration);
}

void BM_Memcpy(benchmark::State& state)
{
    std::vector<uint32_t> src(Width * Height, 0x12345678), dst(Width * Height);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size() * 4);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    CountPixels(state, Width * Height);
}
BENCHMARK(BM_Memcpy);

enum class Routine { Copy,
    Blend,
    Mask,
    MaskBlend,
    Key,
    KeyBlend,
    AlphaCopy };

void BM_Span(benchmark::State& state)
{
    const auto routine = static_cast<Routine>(state.range(0));
    TMemoryDIB source(Width, Height), dest(Width, Height);
    Randomise(source, 1);
    Randomise(dest, 2);
    source.SetOpacity(routine == Routine::Blend || routine == Routine::MaskBlend || routine == Routine::KeyBlend ? 150 : 255);
    source.SetMasked(routine == Routine::Mask || routine == Routine::MaskBlend);
    source.SetTransparent(routine == Routine::Key || routine == Routine::KeyBlend);
    for (auto _ : state) {
        if (routine == Routine::AlphaCopy)
            source.DrawMaskChannel(0, 0, Width, Height, dest, 0, 0);
        else
            source.Draw(0, 0, Width, Height, dest, 0, 0);
        benchmark::DoNotOptimize(dest.Bits());
        benchmark::ClobberMemory();
    }
    CountPixels(state, Width * Height);
}
BENCHMARK(BM_Span)->ArgName("routine")->DenseRange(0, 6);

// The same rows through the scalar twin, to show what the vector kernels buy.
void BM_ScalarBlend(benchmark::State& state)
{
    TMemoryDIB source(Width, Height), dest(Width, Height);
    Randomise(source, 1);
    Randomise(dest, 2);
    const auto blend = dibspans::ScalarKernels().blend;
    for (auto _ : state) {
        blend(source.Bits(), dest.Bits(), Width * Height, 150);
        benchmark::DoNotOptimize(dest.Bits());
        benchmark::ClobberMemory();
    }
    CountPixels(state, Width * Height);
}
BENCHMARK(BM_ScalarBlend);

// Each kernel set on the same in-cache rows, to compare the instruction sets in one run.
void BM_KernelSet(benchmark::State& state)
{
    const dibspans::SpanKernels* sets[] = { &dibspans::ScalarKernels(), dibspans::Sse2Kernels(), dibspans::Avx2Kernels(),
        dibspans::Avx512Kernels() };
    const dibspans::SpanKernels* kernels = sets[state.range(0)];
    if (!kernels) {
        state.SkipWithError("not on this processor");
        return;
    }
    state.SetLabel(kernels->name);
    const auto routine = static_cast<Routine>(state.range(1));
    TMemoryDIB source(Width, Height), dest(Width, Height);
    Randomise(source, 1);
    Randomise(dest, 2);
    const int count = Width * Height;
    for (auto _ : state) {
        switch (routine) {
        case Routine::Blend: kernels->blend(source.Bits(), dest.Bits(), count, 150); break;
        case Routine::Mask: kernels->mask(source.Bits(), dest.Bits(), count); break;
        case Routine::MaskBlend: kernels->maskBlend(source.Bits(), dest.Bits(), count, 150); break;
        default: kernels->keyBlend(source.Bits(), dest.Bits(), count, 0x123456, 150); break;
        }
        benchmark::DoNotOptimize(dest.Bits());
        benchmark::ClobberMemory();
    }
    CountPixels(state, count);
}
BENCHMARK(BM_KernelSet)->ArgNames({ "set", "routine" })->ArgsProduct({ { 0, 1, 2, 3 }, { 1, 2, 3, 5 } });

// The same work on surfaces that are not in the cache: a window's surfaces are touched once
// per paint, so each iteration takes the next of enough pairs to outgrow the last-level cache
// (this machine's is 32 MB). Here memcpy meets the memory's limit, the yardstick of the aims.
constexpr int ColdPairs = 16;

void BM_MemcpyCold(benchmark::State& state)
{
    std::vector<std::vector<uint32_t>> src(ColdPairs, std::vector<uint32_t>(Width * Height, 0x12345678));
    std::vector<std::vector<uint32_t>> dst(ColdPairs, std::vector<uint32_t>(Width * Height, 1));
    int next = 0;
    for (auto _ : state) {
        std::memcpy(dst[next].data(), src[next].data(), src[next].size() * 4);
        benchmark::DoNotOptimize(dst[next].data());
        benchmark::ClobberMemory();
        next = (next + 1) % ColdPairs;
    }
    CountPixels(state, Width * Height);
}
BENCHMARK(BM_MemcpyCold);

void BM_SpanCold(benchmark::State& state)
{
    const auto routine = static_cast<Routine>(state.range(0));
    std::vector<std::unique_ptr<TMemoryDIB>> sources, dests;
    for (int i = 0; i < ColdPairs; ++i) {
        sources.push_back(std::make_unique<TMemoryDIB>(Width, Height));
        dests.push_back(std::make_unique<TMemoryDIB>(Width, Height));
        Randomise(*sources.back(), 1 + i);
        Randomise(*dests.back(), 100 + i);
        TMemoryDIB& source = *sources.back();
        source.SetOpacity(routine == Routine::Blend || routine == Routine::MaskBlend || routine == Routine::KeyBlend ? 150 : 255);
        source.SetMasked(routine == Routine::Mask || routine == Routine::MaskBlend);
        source.SetTransparent(routine == Routine::Key || routine == Routine::KeyBlend);
    }
    int next = 0;
    for (auto _ : state) {
        sources[next]->Draw(0, 0, Width, Height, *dests[next], 0, 0);
        benchmark::DoNotOptimize(dests[next]->Bits());
        benchmark::ClobberMemory();
        next = (next + 1) % ColdPairs;
    }
    CountPixels(state, Width * Height);
}
BENCHMARK(BM_SpanCold)->ArgName("routine")->DenseRange(0, 5);

void BM_Transformed(benchmark::State& state)
{
    TMemoryDIB source(Width, Height), dest(Width, Height);
    Randomise(source, 3);
    source.SetAngle(static_cast<int>(state.range(0)));
    source.SetScale(static_cast<double>(state.range(1)));
    for (auto _ : state) {
        source.Draw(0, 0, Width, Height, dest, 0, 0);
        benchmark::DoNotOptimize(dest.Bits());
    }
    CountPixels(state, Width * Height);
}
BENCHMARK(BM_Transformed)->ArgNames({ "angle", "scale" })->Args({ 90, 100 })->Args({ 0, 75 });

// A skinned window's outline: cut-away corners, a curved right edge and a hole.
void Shape(TAbstractSuperDIB& dib, uint32_t key)
{
    for (int y = 0; y < dib.Height(); ++y) {
        for (int x = 0; x < dib.Width(); ++x) {
            bool out = (x + y < 60) || (dib.Width() - x + dib.Height() - y < 80);
            const double dy = (y - dib.Height() / 2.0) / (dib.Height() / 2.0);
            out = out || x > dib.Width() - 40 + static_cast<int>(30 * dy * dy);
            const int hx = x - 400, hy = y - 300;
            out = out || hx * hx + hy * hy < 90 * 90;
            // Sparse specks as antialiased artwork leaves them.
            out = out || ((x * 7 + y * 13) % 97 == 0);
            dib.SetPixel(x, y, out ? key : 0x00336699u + static_cast<uint32_t>(x % 5));
        }
    }
}

void BM_BuildRegion(benchmark::State& state)
{
    TMemoryDIB dib(818, 741);
    Shape(dib, 0x00FF00FF);
    size_t rectangles = 0;
    for (auto _ : state) {
        auto runs = dib.BuildRegion(RGB(0xFF, 0, 0xFF));
        rectangles = runs.size();
        benchmark::DoNotOptimize(runs.data());
    }
    state.counters["rectangles"] = static_cast<double>(rectangles);
    CountPixels(state, 818 * 741);
}
BENCHMARK(BM_BuildRegion);

}

BENCHMARK_MAIN();
