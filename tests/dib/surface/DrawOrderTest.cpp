#include "SurfaceFixtures.h"

#include "dib/cDIBSpans.h"

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
// top row first there even though other draws walk the memory the other way.
TEST(DrawOrder, ASurfaceDrawnOntoItselfRepeatsItsTopRowDownwards)
{
    std::mt19937 random(7);
    for (const OverlapCase& c : overlapCases) {
        TMemoryDIB surface(37, 9);
        FillRandom(surface, random);
        const PixelRows expected = DrawnOneRowDownTopFirst(GetRows(surface), c.rule);
        surface.SetOpacity(c.opacity);
        surface.Draw(0, 1, 37, 9, surface, 0, 0);
        EXPECT_EQ(GetRows(surface), expected) << c.what;
    }
}

TEST(DrawOrder, AViewOfTheSameMemoryKeepsTheTopFirstOrder)
{
    std::mt19937 random(8);
    for (const OverlapCase& c : overlapCases) {
        TMemoryDIB owner(24, 12);
        FillRandom(owner, random);
        const PixelRows expected = DrawnOneRowDownTopFirst(GetRows(owner), c.rule);
        TMemoryDIB view;
        view.ShareBits(owner);
        view.SetClipRect(0, 0, 23, 11);
        owner.SetOpacity(c.opacity);
        owner.Draw(0, 1, 24, 12, view, 0, 0);
        EXPECT_EQ(GetRows(owner), expected) << c.what;
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

}
