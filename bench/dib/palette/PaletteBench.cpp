// Building the palette's lookup table, pruned against the search that tries every entry, and
// sending a window-sized surface through the table against a plain copy of the same surface.

#include "dib/palette/cDIBPalette.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr int Width = 816;
constexpr int Height = 740;

std::vector<TDIBPaletteEntry> GreyRamp()
{
    const auto ramp = TDIBPalette::GreyRamp();
    return { ramp.begin(), ramp.end() };
}

std::vector<TDIBPaletteEntry> ColourCube()
{
    // 6 x 6 x 6 levels and a few greys: the spread-out palette an 8-bit display would carry.
    std::vector<TDIBPaletteEntry> entries;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                entries.push_back({ uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51), 0 });
    while (entries.size() < TDIBPalette::EntryCount) {
        auto v = static_cast<uint8_t>(entries.size());
        entries.push_back({ v, v, v, 0 });
    }
    return entries;
}

const std::vector<TDIBPaletteEntry>& PaletteOf(int which)
{
    static const auto grey = GreyRamp();
    static const auto cube = ColourCube();
    return which == 0 ? grey : cube;
}

// The lookup table of palette range(0) (0: the grey ramp, 1: the colour cube), made by `build`.
template <class Build>
void BM_BuildTable(benchmark::State& state, Build build)
{
    const auto& entries = PaletteOf(static_cast<int>(state.range(0)));
    std::vector<uint8_t> table(IDIBLookupPalette::LookupTableSize);
    for (auto _ : state) {
        build(entries, table.data());
        benchmark::DoNotOptimize(table.data());
    }
}
BENCHMARK_CAPTURE(BM_BuildTable, Pruned, [](const auto& entries, uint8_t* table) { BuildDIBLookupTable(entries, table); })
    -> Arg(0) -> Arg(1) -> Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BuildTable, Exhaustive, [](const auto& entries, uint8_t* table) { BuildDIBLookupTableExhaustive(entries, table); })
    -> Arg(0) -> Arg(1) -> Unit(benchmark::kMillisecond);

struct DiscardingDevice : IDIB8BitDevice {
    int BitsPerPixel() const override { return 8; }
    void SetDIBitsToDevice(int, int, int, int, const uint8_t* bits, int, const std::vector<uint32_t>&) override
    {
        benchmark::DoNotOptimize(bits);
    }
};

struct TablePalette : IDIBLookupPalette {
    std::vector<uint8_t> table = std::vector<uint8_t>(LookupTableSize);
    std::vector<uint32_t> colours;
    TablePalette()
    {
        BuildDIBLookupTable(ColourCube(), table.data());
        for (const auto& e : ColourCube())
            colours.push_back(uint32_t(e.Red) << 16 | uint32_t(e.Green) << 8 | e.Blue);
    }
    const uint8_t* LookupTable() const override { return table.data(); }
    std::vector<uint32_t> Entries() const override { return colours; }
};

void Randomise(TAbstractSuperDIB& dib)
{
    std::mt19937 random(5);
    for (size_t i = 0; i < size_t(dib.Width()) * dib.Height(); ++i)
        dib.Bits()[i] = static_cast<uint32_t>(random());
}

void BM_Render8Bit(benchmark::State& state)
{
    TMemoryDIB surface(Width, Height);
    Randomise(surface);
    TablePalette palette;
    DiscardingDevice device;
    for (auto _ : state)
        surface.Render8Bit(device, 0, 0, palette, 0, 0, Width, Height);
    state.SetItemsProcessed(state.iterations() * Width * Height);
}
BENCHMARK(BM_Render8Bit);

void BM_CopySpanSameSize(benchmark::State& state)
{
    TMemoryDIB source(Width, Height), dest(Width, Height);
    Randomise(source);
    for (auto _ : state) {
        source.Draw(0, 0, Width, Height, dest, 0, 0);
        benchmark::DoNotOptimize(dest.Bits());
    }
    state.SetItemsProcessed(state.iterations() * Width * Height);
}
BENCHMARK(BM_CopySpanSameSize);

}

BENCHMARK_MAIN();
