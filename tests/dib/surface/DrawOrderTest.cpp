#include "SurfaceFixtures.h"

#include "dib/surface/cDIBSpans.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using PixelRule = std::function<uint32_t(uint32_t s, uint32_t d)>;

// What a draw one row down onto the same memory leaves when rows are drawn from the top:
// each row reads the one above it after that one was already written.
PixelRows DrawnOneRowDownTopFirst(PixelRows rows, const PixelRule& rule)
{
    for (size_t y = 1; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            rows[y][x] = rule(rows[y - 1][x], rows[y][x]);
    return rows;
}

struct OverlapCase {
    const char* what;
    int opacity;
    PixelRule rule;
};

const OverlapCase overlapCases[] = {
    { "copy", 255, [](uint32_t s, uint32_t) { return s; } },
    { "blend", 128, [](uint32_t s, uint32_t d) { return dibspans::BlendPixel(s, d, 128); } },
};

// Drawing order decides the result when source and destination share memory, so it must stay
// top row first there even though other draws walk the memory the other way: drawn onto itself,
// or onto a view of its memory, a surface repeats its top row downwards.
TEST(DrawOrder, SharedMemoryIsDrawnTopRowFirst)
{
    std::mt19937 random(7);
    for (bool throughAView : { false, true }) {
        for (const OverlapCase& c : overlapCases) {
            TMemoryDIB owner(37, 9), view;
            FillRandom(owner, random);
            const PixelRows expected = DrawnOneRowDownTopFirst(GetRows(owner), c.rule);
            view.ShareBits(owner);
            view.SetClipRect(0, 0, 36, 8);
            owner.SetOpacity(c.opacity);
            owner.Draw(0, 1, 37, 9, throughAView ? view : owner, 0, 0);
            EXPECT_EQ(GetRows(owner), expected) << c.what << (throughAView ? " through a view" : "");
        }
    }
}

// Separate surfaces give the same pixels whichever way the rows are walked; a clipped part of
// a wide surface checks that the walk starts and ends on the right rows.
TEST(DrawOrder, SeparateSurfacesGetEveryRowOfAClippedRectangleOnce)
{
    std::mt19937 random(9);
    TMemoryDIB source(50, 40), dest(60, 45);
    FillRandom(source, random);
    FillRandom(dest, random);
    const PixelRows before = GetRows(dest), from = GetRows(source);
    source.SetOpacity(77);
    dest.SetClipRect(5, 6, 40, 30);
    source.Draw(3, 2, 50, 40, dest, 1, 0);
    PixelRows expected = before;
    for (int y = 6; y <= 30; ++y)
        for (int x = 5; x <= 40; ++x)
            expected[y][x] = dibspans::BlendPixel(from[y - 2][x - 3 + 1], before[y][x], 77);
    EXPECT_EQ(GetRows(dest), expected);
}

// Full-width rows lie end to end in both surfaces and are drawn as one run; every routine must
// still give each pixel its own rule, on widths that leave a partial vector at each row end.
struct RunCase {
    const char* what;
    bool masked, keyed;
    int opacity;
    PixelRule rule;
};

const uint32_t runKey = 0x00204060;

const RunCase runCases[] = {
    { "copy", false, false, 255, [](uint32_t s, uint32_t) { return s; } },
    { "blend", false, false, 90, [](uint32_t s, uint32_t d) { return dibspans::BlendPixel(s, d, 90); } },
    { "mask", true, false, 255, [](uint32_t s, uint32_t d) { return dibspans::BlendPixel(s, d, s >> 24); } },
    { "mask blend", true, false, 200,
        [](uint32_t s, uint32_t d) { return dibspans::BlendPixel(s, d, ((s >> 24) * 200) >> 8); } },
    { "key", false, true, 255,
        [](uint32_t s, uint32_t d) { return dibspans::MatchesKey(s, runKey) ? d : s & 0x00FFFFFFu; } },
    { "key blend", false, true, 60,
        [](uint32_t s, uint32_t d) { return dibspans::MatchesKey(s, runKey) ? d : dibspans::BlendPixel(s, d, 60); } },
};

void Configure(TAbstractSuperDIB& source, const RunCase& c)
{
    source.SetOpacity(c.opacity);
    source.SetMasked(c.masked);
    source.SetTransparent(c.keyed);
    if (c.keyed) {
        source.SetTransparentMode(tmFixed);
        // The colour is given red first; pixels hold blue first.
        source.SetTransparentColor(static_cast<TColor>(RGB(0x20, 0x40, 0x60)));
    }
}

void PlantKeys(TAbstractSuperDIB& surface, std::mt19937& random)
{
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x)
            if (random() % 4 == 0)
                surface.SetPixel(x, y, runKey);
}

TEST(DrawRuns, FullWidthDrawsGiveEachPixelItsRule)
{
    std::mt19937 random(10);
    for (const RunCase& c : runCases) {
        for (int width : { 1, 15, 16, 37, 64 }) {
            TMemoryDIB source(width, 7), dest(width, 7);
            FillRandom(source, random);
            PlantKeys(source, random);
            FillRandom(dest, random);
            const PixelRows from = GetRows(source), before = GetRows(dest);
            Configure(source, c);
            source.Draw(0, 0, width, 7, dest, 0, 0);
            PixelRows expected = before;
            for (size_t y = 0; y < expected.size(); ++y)
                for (size_t x = 0; x < expected[y].size(); ++x)
                    expected[y][x] = c.rule(from[y][x], before[y][x]);
            EXPECT_EQ(GetRows(dest), expected) << c.what << " width " << width;
        }
    }
}

TEST(DrawRuns, ASurfaceDrawnOntoItsOwnPixelsTakesEachPixelOnce)
{
    std::mt19937 random(11);
    for (const RunCase& c : runCases) {
        TMemoryDIB surface(37, 6);
        FillRandom(surface, random);
        PlantKeys(surface, random);
        const PixelRows before = GetRows(surface);
        Configure(surface, c);
        surface.Draw(0, 0, 37, 6, surface, 0, 0);
        PixelRows expected = before;
        for (auto& row : expected)
            for (auto& pixel : row)
                pixel = c.rule(pixel, pixel);
        EXPECT_EQ(GetRows(surface), expected) << c.what;
    }
}

}
