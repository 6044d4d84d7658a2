#include "dib/palette/cDIBPalette.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

std::vector<TDIBPaletteEntry> GreyRamp()
{
    const auto ramp = TDIBPalette::GreyRamp();
    return { ramp.begin(), ramp.end() };
}

std::vector<TDIBPaletteEntry> RandomPalette(unsigned seed, int count, int distinct)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<TDIBPaletteEntry> colours;
    for (int i = 0; i < distinct; ++i)
        colours.push_back({ uint8_t(byte(rng)), uint8_t(byte(rng)), uint8_t(byte(rng)), 0 });
    // Repeats make ties that only the lowest index may win.
    std::vector<TDIBPaletteEntry> entries;
    std::uniform_int_distribution<int> pick(0, distinct - 1);
    for (int i = 0; i < count; ++i)
        entries.push_back(colours[pick(rng)]);
    return entries;
}

std::vector<uint8_t> Pruned(const std::vector<TDIBPaletteEntry>& entries)
{
    std::vector<uint8_t> table(IDIBLookupPalette::LookupTableSize, 0xEE);
    BuildDIBLookupTable(entries, table.data());
    return table;
}

std::vector<uint8_t> Exhaustive(const std::vector<TDIBPaletteEntry>& entries)
{
    std::vector<uint8_t> table(IDIBLookupPalette::LookupTableSize, 0xEE);
    BuildDIBLookupTableExhaustive(entries, table.data());
    return table;
}

size_t Cell(int r, int g, int b)
{
    return size_t(r) * 4096 + size_t(g) * 64 + size_t(b);
}

TEST(DIBLookupTable, PrunedSearchAgreesWithTryingEveryEntry)
{
    EXPECT_EQ(Pruned(GreyRamp()), Exhaustive(GreyRamp()));
    const auto full = RandomPalette(7, TDIBPalette::EntryCount, 235);
    EXPECT_EQ(Pruned(full), Exhaustive(full));
    const auto ties = RandomPalette(11, TDIBPalette::EntryCount, 12);
    EXPECT_EQ(Pruned(ties), Exhaustive(ties));
    const auto few = RandomPalette(3, 5, 5);
    EXPECT_EQ(Pruned(few), Exhaustive(few));
}

TEST(DIBLookupTable, LowestIndexWinsTiesAndExactMatches)
{
    // Entries 1 and 3 are the same colour; entries 0 and 2 are equally far from grey 128.
    std::vector<TDIBPaletteEntry> entries {
        { 120, 128, 128, 0 },
        { 200, 0, 0, 0 },
        { 136, 128, 128, 0 },
        { 200, 0, 0, 0 },
        { 128, 128, 128, 0 },
    };
    auto table = Pruned(entries);
    EXPECT_EQ(table[Cell(32, 32, 32)], 4); // 128 grey exactly
    entries[4] = { 0, 255, 0, 0 };
    table = Pruned(entries);
    EXPECT_EQ(table[Cell(32, 32, 32)], 0);
    EXPECT_EQ(table[Cell(50, 0, 0)], 1);
}

TEST(DIBLookupTable, ProgressRunsFromZeroToAHundredOncePerRedPlane)
{
    std::vector<uint8_t> table(IDIBLookupPalette::LookupTableSize);
    std::vector<int> seen;
    BuildDIBLookupTable(GreyRamp(), table.data(), [&](int percent) { seen.push_back(percent); });
    ASSERT_EQ(seen.size(), 64u);
    for (int r = 0; r < 64; ++r)
        EXPECT_EQ(seen[r], r * 100 / 63);
}

// Render8Bit reads the table blue + green * 64 + red * 4096; the table must be built the same way.
struct RecordingDevice : IDIB8BitDevice {
    int BitsPerPixel() const override { return 8; }
    void SetDIBitsToDevice(int, int, int width, int height, const uint8_t* bits, int stride,
        const std::vector<uint32_t>& colorTable) override
    {
        indices.clear();
        for (int row = height - 1; row >= 0; --row)
            for (int x = 0; x < width; ++x)
                indices.push_back(bits[row * stride + x]);
        colours = colorTable;
    }
    std::vector<uint8_t> indices; // top row first
    std::vector<uint32_t> colours;
};

struct TablePalette : IDIBLookupPalette {
    std::vector<TDIBPaletteEntry> entries;
    std::vector<uint8_t> table = std::vector<uint8_t>(LookupTableSize);
    const uint8_t* LookupTable() const override { return table.data(); }
    std::vector<uint32_t> Entries() const override
    {
        std::vector<uint32_t> out;
        for (const auto& e : entries)
            out.push_back(uint32_t(e.Red) << 16 | uint32_t(e.Green) << 8 | e.Blue);
        return out;
    }
};

TEST(DIBLookupTable, Render8BitFindsEachColoursOwnEntry)
{
    TablePalette palette;
    palette.entries = { { 0, 0, 0, 0 }, { 255, 0, 0, 0 }, { 0, 255, 0, 0 }, { 0, 0, 255, 0 }, { 255, 255, 255, 0 } };
    BuildDIBLookupTable(palette.entries, palette.table.data());
    TMemoryDIB surface(5, 1);
    const uint32_t pixels[5] = { 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x101010 };
    for (int x = 0; x < 5; ++x)
        surface.SetPixel(x, 0, pixels[x]);
    RecordingDevice device;
    surface.Render8Bit(device, 0, 0, palette, 0, 0, 5, 1);
    EXPECT_EQ(device.indices, (std::vector<uint8_t> { 1, 2, 3, 4, 0 }));
    EXPECT_EQ(device.colours, palette.Entries());
}

}
