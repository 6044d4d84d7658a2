#include "SurfaceFixtures.h"

#include "dib/surface/cDIBSpans.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr uint32_t Marker = 0x5A0A0B0C;

struct Target {
    TMemoryDIB dib;
    int changes = 0;
    Target(int w, int h)
        : dib(w, h)
    {
        dib.Fill(0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                dib.SetPixel(x, y, Marker);
        dib.OnChange = [this](TAbstractSuperDIB*) { ++changes; };
    }
};

// Source pixel at (x, y) is 0xFF0000 + 16 y + x, so each tells where it came from.
void Numbered(TAbstractSuperDIB& dib, int w, int h)
{
    dib.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            dib.SetPixel(x, y, 0xFFFF0000u + 16 * y + x);
}

struct ClipCase {
    const char* what;
    int x, y, w, h, srcX, srcY;
    TRect destArea; // written area, right and bottom exclusive
    int srcLeft, srcTop;
};

TEST(DrawClipping, WritesExactlyTheClippedRectangle)
{
    const ClipCase cases[] = {
        { "left and top cut", -1, -1, 3, 3, 0, 0, { 0, 0, 2, 2 }, 1, 1 },
        { "right and bottom edges inclusive", 4, 3, 3, 3, 0, 0, { 4, 3, 5, 4 }, 0, 0 },
        { "source runs out", 1, 1, 3, 3, 1, 1, { 1, 1, 3, 3 }, 1, 1 },
        { "wholly right of the clip", 5, 0, 3, 3, 0, 0, {}, 0, 0 },
        { "wholly below", 0, 4, 3, 3, 0, 0, {}, 0, 0 },
        { "wholly left", -3, 0, 3, 3, 0, 0, {}, 0, 0 },
        { "source start beyond its width", 0, 0, 3, 3, 3, 0, {}, 0, 0 },
        { "zero width", 0, 0, 0, 3, 0, 0, {}, 0, 0 },
        { "source column before the first is skipped", 0, 0, 3, 3, -1, 0, { 1, 0, 3, 3 }, 0, 0 },
        { "source row before the first is skipped", 0, 0, 2, 3, 0, -2, { 0, 2, 2, 3 }, 0, 0 },
        { "huge width and height", 1, 1, 0x7FFFFFFF, 0x7FFFFFFF, 0, 0, { 1, 1, 4, 4 }, 0, 0 },
    };
    for (const ClipCase& c : cases) {
        TMemoryDIB source;
        Numbered(source, 3, 3);
        Target target(5, 4);
        source.Draw(c.x, c.y, c.w, c.h, target.dib, c.srcX, c.srcY);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 5; ++x) {
                const bool inside = c.destArea.Contains({ x, y });
                const uint32_t expected = inside ? 0xFFFF0000u + 16 * (y - c.destArea.Top + c.srcTop) + (x - c.destArea.Left + c.srcLeft) : Marker;
                EXPECT_EQ(target.dib.Pixels(x, y), expected) << c.what << " at " << x << "," << y;
            }
        }
        EXPECT_EQ(target.changes, c.destArea.IsEmpty() ? 0 : 1) << c.what;
    }
}

TEST(DrawClipping, NothingOutsideASmallerClipRectangle)
{
    TMemoryDIB source;
    Numbered(source, 4, 4);
    Target target(4, 4);
    target.dib.SetClipRect(1, 1, 2, 2);
    source.Draw(0, 0, 4, 4, target.dib, 0, 0);
    EXPECT_EQ(GetRows(target.dib), (PixelRows {
                                       { Marker, Marker, Marker, Marker },
                                       { Marker, 0xFFFF0011, 0xFFFF0012, Marker },
                                       { Marker, 0xFFFF0021, 0xFFFF0022, Marker },
                                       { Marker, Marker, Marker, Marker },
                                   }));
}

TEST(DrawRoutines, CopyKeepsTheMaskByteKeyZeroesIt)
{
    TMemoryDIB source;
    PutRows(source, { { 0x80102030, 0x11445566 }, { 0x11445566, 0x22000000 } });
    Target copy(2, 2);
    source.Draw(0, 0, 2, 2, copy.dib, 0, 0);
    EXPECT_EQ(GetRows(copy.dib), GetRows(source));

    // tmAuto: the key is the bottom-left pixel (0x445566) of the drawn surface.
    source.SetTransparent(true);
    Target keyed(2, 2);
    source.Draw(0, 0, 2, 2, keyed.dib, 0, 0);
    EXPECT_EQ(GetRows(keyed.dib), (PixelRows { { 0x00102030, Marker }, { Marker, 0x00000000 } }));
}

TEST(DrawRoutines, MaskTakesPrecedenceOverKey)
{
    TMemoryDIB source;
    PutRows(source, { { 0xFF202020, 0x00202020 } });
    source.SetTransparentMode(tmFixed);
    source.SetTransparentColor(RGB(0x20, 0x20, 0x20));
    source.SetTransparent(true);
    source.SetMasked(true);
    Target target(2, 1);
    source.Draw(0, 0, 2, 1, target.dib, 0, 0);
    const uint32_t kept = 0x5A000000u | dibspans::BlendPixel(0x202020, Marker, 0);
    EXPECT_EQ(GetRows(target.dib), (PixelRows { { 0x5A202020, kept } }));
}

using PixelRule = std::function<uint32_t(uint32_t s, uint32_t d)>;

// Random source and destination of different widths, drawn at an offset from an offset, so
// each row steps back by its own surface's width.
void CheckAgainstRule(TAbstractSuperDIB& source, const PixelRule& rule, const char* what,
    const std::function<void()>& prepare = {})
{
    std::mt19937 random(99);
    FillRandom(source, random);
    if (prepare)
        prepare();
    TMemoryDIB dest(13, 9);
    FillRandom(dest, random);
    const PixelRows before = GetRows(dest);
    const PixelRows src = GetRows(source);
    source.Draw(2, 1, 9, 6, dest, 1, 2);
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 13; ++x) {
            const bool inside = x >= 2 && x < 11 && y >= 1 && y < 7;
            const uint32_t expected = inside ? rule(src[y - 1 + 2][x - 2 + 1], before[y][x]) : before[y][x];
            ASSERT_EQ(dest.Pixels(x, y), expected) << what << " at " << x << "," << y;
        }
    }
}

TEST(DrawRoutines, EachRoutineAppliesItsRuleToEveryPixel)
{
    for (int opacity : { 0, 1, 254 }) {
        TMemoryDIB source(11, 10);
        source.SetOpacity(opacity);
        CheckAgainstRule(
            source, [&](uint32_t s, uint32_t d) { return dibspans::BlendPixel(s, d, opacity); }, "blend");
        source.SetMasked(true);
        CheckAgainstRule(
            source, [&](uint32_t s, uint32_t d) { return dibspans::BlendPixel(s, d, ((s >> 24) * opacity) >> 8); },
            "mask blend");
    }
    TMemoryDIB masked(11, 10);
    masked.SetMasked(true);
    CheckAgainstRule(
        masked, [](uint32_t s, uint32_t d) { return dibspans::BlendPixel(s, d, s >> 24); }, "mask");

    TMemoryDIB keyed(11, 10);
    keyed.SetTransparent(true);
    uint32_t key = 0;
    // The bottom-left pixel is the key; a few pixels inside the drawn area carry it too, with
    // other mask bytes.
    auto plantKey = [&] {
        key = keyed.Pixels(0, 9) & 0xFFFFFF;
        for (int i = 0; i < 6; ++i)
            keyed.SetPixel(1 + i, 2 + i % 5, key | (static_cast<uint32_t>(i) << 24));
    };
    for (int opacity : { 1, 100, 254, 255 }) {
        keyed.SetOpacity(opacity);
        CheckAgainstRule(
            keyed, [&](uint32_t s, uint32_t d) {
            if ((s & 0xFFFFFF) == key)
                return d;
            return opacity == 255 ? s & 0xFFFFFF : dibspans::BlendPixel(s, d, opacity); }, "key", plantKey);
    }
}

TEST(DrawVariants, OpaqueAndMaskChannelRestoreTheRoutine)
{
    TMemoryDIB source;
    PutRows(source, { { 0x80112233, 0x40445566 } });
    source.SetOpacity(10);
    const TDIBDrawProc before = source.DrawProc();

    Target opaque(2, 1);
    source.DrawOpaque(0, 0, 2, 1, opaque.dib, 0, 0);
    EXPECT_EQ(GetRows(opaque.dib), GetRows(source));
    EXPECT_EQ(source.DrawProc(), before);

    Target channel(2, 1);
    source.DrawMaskChannel(0, 0, 2, 1, channel.dib, 0, 0);
    EXPECT_EQ(GetRows(channel.dib), (PixelRows { { 0x800A0B0C, 0x400A0B0C } }));
    EXPECT_EQ(source.DrawProc(), before);
}

TEST(DrawVariants, RoutineIsRestoredWhenTheDrawFails)
{
    TMemoryDIB source(4, 4);
    source.SetAutoSize(true);
    source.SetScale(1e7); // a box far beyond any allowed size
    source.SetOpacity(10);
    const TDIBDrawProc before = source.DrawProc();
    Target target(4, 4);
    EXPECT_THROW(source.DrawOpaque(0, 0, 4, 4, target.dib, 0, 0), EDIBError);
    EXPECT_EQ(source.DrawProc(), before);
    EXPECT_EQ(target.dib.Pixels(0, 0), Marker);
}

TEST(DrawVariants, SurfacesWithoutMemoryDrawNothing)
{
    TMemoryDIB empty;
    Target target(2, 2);
    empty.Draw(0, 0, 2, 2, target.dib, 0, 0);
    TMemoryDIB source(2, 2);
    source.Draw(0, 0, 2, 2, empty, 0, 0);
    EXPECT_EQ(target.changes, 0);
}

}
