#include "SurfaceFixtures.h"

#include "dib/surface/cDIBSpans.h"

#include <gtest/gtest.h>

namespace {

// Addressed in memory order (row 0 is the bottom row): the rotation walks memory rows.
uint32_t& Memory(TAbstractSuperDIB& dib, int row, int column)
{
    return dib.Bits()[row * dib.Width() + column];
}

uint32_t Label(int row, int column)
{
    return 0x00A00000u + 16 * row + column;
}

void Labelled(TAbstractSuperDIB& dib, int w, int h)
{
    dib.SetSize(w, h);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            Memory(dib, r, c) = Label(r, c);
}

struct RotationCase {
    int angle;
    // Source memory (row, column) that destination memory (j, i) shows, for j, i in 1..3.
    int (*row)(int j, int i);
    int (*column)(int j, int i);
};

TEST(RenderTransformed, QuarterTurnsOfAFiveByFiveSurface)
{
    const RotationCase cases[] = {
        { 0, [](int j, int) { return j; }, [](int, int i) { return i; } },
        { 90, [](int, int i) { return i; }, [](int j, int) { return 4 - j; } },
        { 180, [](int j, int) { return 4 - j; }, [](int, int i) { return 4 - i; } },
        { 270, [](int, int i) { return 4 - i; }, [](int j, int) { return j; } },
    };
    for (const RotationCase& c : cases) {
        TMemoryDIB source;
        Labelled(source, 5, 5);
        source.SetAngle(c.angle);
        TMemoryDIB dest(5, 5);
        int changes = 0;
        dest.OnChange = [&](TAbstractSuperDIB*) { ++changes; };
        source.RenderTransformed(dest);
        const uint32_t fill = Label(0, 0) + 0x01000000u; // tmAuto: bottom-left pixel as read
        for (int j = 0; j < 5; ++j) {
            for (int i = 0; i < 5; ++i) {
                const bool inner = j >= 1 && j <= 3 && i >= 1 && i <= 3;
                const uint32_t expected = inner ? Label(c.row(j, i), c.column(j, i)) : fill;
                EXPECT_EQ(Memory(dest, j, i), expected) << c.angle << " at " << j << "," << i;
            }
        }
        EXPECT_EQ(changes, 1);
    }
}

TEST(RenderTransformed, QuarterTurnIsClockwiseOnScreen)
{
    TMemoryDIB source(5, 5);
    source.Fill(0);
    source.SetPixel(2, 1, 0x00FFFFFF); // just above the centre
    source.SetAngle(90);
    source.SetMasked(true);
    TMemoryDIB dest(5, 5);
    source.RenderTransformed(dest);
    EXPECT_EQ(dest.Pixels(3, 2), 0x00FFFFFFu); // just right of the centre
}

TEST(RenderTransformed, FirstAndOddLastRowsAndColumnsAreNeverSampled)
{
    for (auto [w, h] : { std::pair { 4, 4 }, { 5, 5 }, { 5, 4 } }) {
        TMemoryDIB source;
        Labelled(source, w, h);
        source.SetMasked(true); // fill 0
        for (int angle = 0; angle < 360; angle += 15) {
            source.SetAngle(angle);
            TMemoryDIB dest(9, 9);
            source.RenderTransformed(dest);
            for (int k = 0; k < 81; ++k) {
                const uint32_t p = dest.Bits()[k];
                if (p == 0)
                    continue;
                const int row = (p >> 4) & 0xF, column = p & 0xF;
                EXPECT_NE(row, 0) << w << "x" << h << " angle " << angle;
                EXPECT_NE(column, 0) << w << "x" << h << " angle " << angle;
                if (h % 2) {
                    EXPECT_NE(row, h - 1);
                }
                if (w % 2) {
                    EXPECT_NE(column, w - 1);
                }
            }
        }
    }
}

TEST(RenderTransformed, ScalingSamplesByTruncatedFixedPointSteps)
{
    struct ScaleCase {
        double scale;
        int sourceSide, destSide;
        std::vector<int> map; // source index per destination index, both axes
    };
    const ScaleCase cases[] = {
        { 200, 5, 6, { 1, 1, 2, 2, 2, 3 } }, // the centre is folded: truncation toward zero
        { 75, 8, 6, { 1, 2, 3, 4, 5, 6 } },
    };
    for (const ScaleCase& c : cases) {
        TMemoryDIB source;
        Labelled(source, c.sourceSide, c.sourceSide);
        source.SetScale(c.scale);
        TMemoryDIB dest(c.destSide, c.destSide);
        source.RenderTransformed(dest);
        for (int j = 0; j < c.destSide; ++j)
            for (int i = 0; i < c.destSide; ++i)
                EXPECT_EQ(Memory(dest, j, i), Label(c.map[j], c.map[i])) << c.scale << " at " << j << "," << i;
    }
}

TEST(RenderTransformed, ZeroScaleChangesNothing)
{
    TMemoryDIB source;
    Labelled(source, 4, 4);
    source.SetScaleX(0);
    TMemoryDIB dest(3, 3);
    dest.Fill(RGB(1, 2, 3));
    int changes = 0;
    dest.OnChange = [&](TAbstractSuperDIB*) { ++changes; };
    source.RenderTransformed(dest);
    source.Draw(0, 0, 3, 3, dest, 0, 0);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(dest.Pixels(1, 1), 0x00010203u);
}

constexpr uint32_t Marker = 0x5A0A0B0C;

TEST(TransformedDraw, AutoSizedQuarterTurnSwapsTheBox)
{
    TMemoryDIB source(44, 72);
    source.Fill(RGB(0x10, 0x20, 0x30));
    source.SetAngle(90);
    source.SetAutoSize(true);
    TMemoryDIB dest(100, 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            dest.SetPixel(x, y, Marker);
    source.Draw(3, 4, 44, 72, dest, 17, 17);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(dest.Pixels(x, y) != Marker, x >= 3 && x < 3 + 72 && y >= 4 && y < 4 + 44) << x << "," << y;
}

TEST(TransformedDraw, UncoveredPartsAreKeyedOrSeeThrough)
{
    for (bool masked : { false, true }) {
        TMemoryDIB source;
        Labelled(source, 5, 5);
        source.SetAlpha(255);
        source.SetAngle(180);
        source.SetTransparent(true);
        source.SetMasked(masked);
        TMemoryDIB dest(5, 5);
        for (int k = 0; k < 25; ++k)
            dest.Bits()[k] = Marker;
        source.Draw(0, 0, 5, 5, dest, 0, 0);
        for (int j = 0; j < 5; ++j) {
            for (int i = 0; i < 5; ++i) {
                const bool inner = j >= 1 && j <= 3 && i >= 1 && i <= 3;
                // A keyed copy writes a mask byte of 0; a full-weight masked blend reproduces the
                // colours (a 0 channel becoming 1) and keeps the destination's mask byte.
                const uint32_t label = Label(4 - j, 4 - i);
                const uint32_t expected = !inner ? Marker : masked ? dibspans::BlendPixel(label, Marker, 255)
                                                                   : label;
                EXPECT_EQ(Memory(dest, j, i), expected) << masked << " at " << j << "," << i;
            }
        }
    }
}

TEST(TransformedDraw, BlendsWithTheSourcesOpacity)
{
    TMemoryDIB source(3, 3);
    source.Fill(RGB(255, 255, 255));
    source.SetScale(100.5);
    source.SetOpacity(0);
    TMemoryDIB dest(3, 3);
    dest.Fill(RGB(9, 9, 9));
    source.Draw(0, 0, 3, 3, dest, 0, 0);
    // Weight 0 keeps the destination, wherever the temporary was filled or sampled.
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(dest.Bits()[k], 0x00090909u);
}

}
