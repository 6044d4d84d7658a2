#include "platform/canvas/Canvas.h"
#include "tests/support/PixelBuffer.h"

#include <gtest/gtest.h>

#include <set>

using namespace platform;

namespace {

struct Surface : torva::test::PixelBuffer {
    using PixelBuffer::PixelBuffer;
    uint32_t At(int x, int y) const { return view.At(x, y); }
    // One character per pixel, top row first: '.' for `background`, '#' for anything else.
    std::string Picture(uint32_t background = 0) const
    {
        std::string s;
        for (int y = 0; y < view.height; ++y) {
            for (int x = 0; x < view.width; ++x)
                s += At(x, y) == background ? '.' : '#';
            s += '\n';
        }
        return s;
    }
};

}

TEST(CanvasColors, SystemColorsResolveAndPixelsSwapRedAndBlue)
{
    EXPECT_EQ(ColorToRGB(static_cast<TColor>(0x80000008)), 0x000000); // window text
    EXPECT_EQ(ColorToRGB(static_cast<TColor>(0x8000000F)), 0xC0C0C0); // button face
    EXPECT_EQ(ColorToRGB(static_cast<TColor>(0x800000FF)), 0);
    EXPECT_EQ(ColorToRGB(0x02123456), 0x123456);
    EXPECT_EQ(ColorToPixel(RGB(0x11, 0x22, 0x33)), 0x00112233u);
}

TEST(Canvas, FillsRespectOriginClipAndTheTargetsEdges)
{
    Surface s(6, 4);
    TCanvas canvas(s.view);
    canvas.Brush.Color = RGB(0xFF, 0, 0);
    canvas.SetOrigin({ 1, 1 });
    canvas.SetClipRect({ 0, 0, 3, 10 });
    canvas.FillRect({ -5, -5, 100, 100 });
    EXPECT_EQ(s.Picture(),
        "......\n"
        ".###..\n"
        ".###..\n"
        ".###..\n");
    EXPECT_EQ(s.At(1, 1), 0x00FF0000u);
    EXPECT_EQ(canvas.ClipRect(), (TRect { 0, 0, 3, 3 }));

    Surface t(3, 2);
    TCanvas other(t.view);
    other.Brush.Style = BrushStyle::Clear;
    other.FillRect({ 0, 0, 3, 2 });
    EXPECT_EQ(t.Picture(), "...\n...\n");
    other.FillPixels({ 2, 1, 3, 2 }, 0x01234576);
    EXPECT_EQ(t.At(2, 1), 0x01234576u);
    EXPECT_EQ(t.pixels[2], 0x01234576u); // bottom row is the first in memory
}

TEST(Canvas, PenLinesStopBeforeTheirEndAndRectanglesFrameTheInside)
{
    Surface s(5, 4);
    TCanvas canvas(s.view);
    canvas.Pen.Color = 0xFFFFFF;
    canvas.MoveTo(0, 0);
    canvas.LineTo(4, 0);
    canvas.LineTo(4, 3);
    // Each line starts on its first point, so the corner belongs to the second line.
    EXPECT_EQ(s.Picture(),
        "#####\n"
        "....#\n"
        "....#\n"
        ".....\n");
    EXPECT_EQ(canvas.PenPos(), (TPoint { 4, 3 }));

    Surface r(5, 4);
    TCanvas rc(r.view);
    rc.Pen.Color = 0xFFFFFF;
    rc.Brush.Color = RGB(0, 0, 1);
    rc.Rectangle({ 0, 0, 5, 4 });
    EXPECT_EQ(r.At(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(r.At(4, 3), 0x00FFFFFFu);
    EXPECT_EQ(r.At(2, 1), 0x00000001u);

    Surface d(6, 1);
    TCanvas dc(d.view);
    dc.Pen.Color = 0xFFFFFF;
    dc.Pen.Style = PenStyle::Dot;
    dc.MoveTo(0, 0);
    dc.LineTo(6, 0);
    EXPECT_EQ(d.Picture(), "#.#.#.\n");
}

TEST(Canvas, CopiesArePixelExactAndClipBothSides)
{
    Surface src(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            src.view.At(x, y) = uint32_t(0xA0000000u + y * 16 + x);
    Surface dst(4, 3, 7);
    TCanvas canvas(dst.view);
    canvas.Draw(2, 1, src.view);
    EXPECT_EQ(dst.At(2, 1), 0xA0000000u);
    EXPECT_EQ(dst.At(3, 2), 0xA0000011u);
    EXPECT_EQ(dst.At(1, 1), 7u);

    Surface partial(2, 2, 7);
    TCanvas pc(partial.view);
    pc.CopyRect({ -1, 0, 2, 2 }, src.view, { 0, 0, 3, 2 });
    EXPECT_EQ(partial.At(0, 0), 0xA0000001u);
    EXPECT_EQ(partial.At(1, 1), 0xA0000012u);
    // A source rectangle reaching beyond the source copies only what exists.
    Surface beyond(3, 1, 7);
    TCanvas bc(beyond.view);
    bc.CopyRect({ 0, 0, 3, 1 }, src.view, { 1, 1, 4, 2 });
    EXPECT_EQ(beyond.At(0, 0), 0xA0000011u);
    EXPECT_EQ(beyond.At(2, 0), 7u);
}

TEST(Canvas, TransparentDrawsLeaveKeyColouredPixelsOutAndClip)
{
    Surface src(3, 1);
    src.view.At(0, 0) = 0x00123456;
    src.view.At(1, 0) = 0xFF123456; // the key whatever the fourth byte
    src.view.At(2, 0) = 0x00ABCDEF;
    Surface dst(3, 2, 7);
    TCanvas canvas(dst.view);
    canvas.DrawTransparent(-1, 1, src.view, 0x00123456);
    EXPECT_EQ(dst.At(0, 1), 7u);
    EXPECT_EQ(dst.At(1, 1), 0x00ABCDEFu);
    EXPECT_EQ(dst.At(2, 1), 7u);
    EXPECT_EQ(dst.Picture(7), "...\n.#.\n");
}

TEST(Canvas, StretchesPickNearestSourcePixels)
{
    Surface src(2, 1);
    src.view.At(0, 0) = 1;
    src.view.At(1, 0) = 2;
    Surface wide(5, 2);
    TCanvas canvas(wide.view);
    canvas.StretchDraw({ 0, 0, 5, 2 }, src.view);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(wide.At(0, y), 1u);
        EXPECT_EQ(wide.At(2, y), 1u);
        EXPECT_EQ(wide.At(3, y), 2u);
        EXPECT_EQ(wide.At(4, y), 2u);
    }
    Surface big(4, 1);
    for (int x = 0; x < 4; ++x)
        big.view.At(x, 0) = uint32_t(x + 10);
    Surface narrow(2, 1);
    TCanvas nc(narrow.view);
    nc.StretchDraw({ 0, 0, 2, 1 }, big.view);
    EXPECT_EQ(narrow.At(0, 0), 10u);
    EXPECT_EQ(narrow.At(1, 0), 12u);
}

TEST(CanvasText, GlyphsLandInTheSurfaceWithoutBlendingIntoAKey)
{
    constexpr uint32_t Key = 0x01234576;
    Surface s(60, 20, Key);
    TCanvas canvas(s.view);
    canvas.Font.Name = "Tahoma";
    canvas.Font.Height = -13;
    canvas.Font.Color = RGB(0xC0, 0xC0, 0xC0);
    canvas.Brush.Style = BrushStyle::Clear;
    TRect rect { 0, 0, 60, 20 };
    int height = canvas.DrawText("\x8A"
                                 "ance",
        rect, DT_LEFT);
    EXPECT_EQ(height, canvas.TextHeight("x"));
    std::set<uint32_t> seen(s.pixels.begin(), s.pixels.end());
    EXPECT_EQ(seen, (std::set<uint32_t> { Key, 0x00C0C0C0u }));
}

TEST(CanvasText, ClipsToTheRectangleUnlessNoClip)
{
    Surface s(40, 20);
    TCanvas canvas(s.view);
    canvas.Font.Color = 0xFFFFFF;
    canvas.Brush.Style = BrushStyle::Clear;
    TRect rect { 0, 0, 6, 20 };
    canvas.DrawText("WWWW", rect, DT_LEFT);
    for (int y = 0; y < 20; ++y)
        for (int x = 6; x < 40; ++x)
            ASSERT_EQ(s.At(x, y), 0u) << x << "," << y;
    canvas.DrawText("WWWW", rect, DT_LEFT | DT_NOCLIP);
    bool beyond = false;
    for (int y = 0; y < 20; ++y)
        for (int x = 6; x < 40; ++x)
            beyond |= s.At(x, y) != 0;
    EXPECT_TRUE(beyond);
}

TEST(CanvasText, AlignmentPlacesLinesInTheBox)
{
    auto inkColumns = [](const Surface& s) {
        int first = s.view.width, last = -1;
        for (int y = 0; y < s.view.height; ++y)
            for (int x = 0; x < s.view.width; ++x)
                if (s.At(x, y) != 0) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
        return std::pair { first, last };
    };
    for (uint32_t align : { DT_LEFT, DT_CENTER, DT_RIGHT }) {
        SCOPED_TRACE(align);
        Surface s(100, 20);
        TCanvas canvas(s.view);
        canvas.Font.Color = 0xFFFFFF;
        canvas.Brush.Style = BrushStyle::Clear;
        int width = canvas.TextWidth("Hello");
        TRect rect { 0, 0, 100, 20 };
        canvas.DrawText("Hello", rect, align);
        auto [first, last] = inkColumns(s);
        int start = align == DT_LEFT ? 0 : align == DT_CENTER ? (100 - width) / 2
                                                              : 100 - width;
        EXPECT_GE(first, start);
        EXPECT_LT(last, start + width + 1);
        EXPECT_LE(first, start + 2);
    }
}

TEST(CanvasText, CalcRectMeasuresWithoutDrawing)
{
    Surface s(10, 10);
    TCanvas canvas(s.view);
    canvas.Font.Name = "Tahoma";
    canvas.Font.Height = -13;
    int line = canvas.TextHeight("x");
    TRect rect { 5, 7, 5 + 1000, 7 };
    int height = canvas.DrawText("one two", rect, DT_CALCRECT);
    EXPECT_EQ(height, line);
    EXPECT_EQ(rect, (TRect { 5, 7, 5 + canvas.TextWidth("one two"), 7 + line }));

    int firstLine = canvas.TextWidth("one two");
    TRect wrapped { 0, 0, firstLine + 2, 0 };
    EXPECT_EQ(canvas.DrawText("one two three", wrapped, DT_CALCRECT | DT_WORDBREAK), 2 * line);
    EXPECT_EQ(wrapped.Right, firstLine);

    TRect empty { 0, 0, 50, 0 };
    EXPECT_EQ(canvas.DrawText("", empty, DT_CALCRECT), 0);
    EXPECT_EQ(empty, (TRect { 0, 0, 0, 0 }));
    EXPECT_EQ(s.Picture().find('#'), std::string::npos);
}

TEST(CanvasText, AcceleratorIsUnderlinedUnderItsCharacter)
{
    Surface plain(40, 20), prefixed(40, 20);
    for (Surface* s : { &plain, &prefixed }) {
        TCanvas canvas(s->view);
        canvas.Font.Color = 0xFFFFFF;
        canvas.Brush.Style = BrushStyle::Clear;
        TRect rect { 0, 0, 40, 20 };
        canvas.DrawText(s == &plain ? "ab" : "&ab", rect, DT_LEFT);
    }
    TCanvas measure(plain.view);
    int aWidth = measure.TextWidth("a");
    int changed = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            if (plain.At(x, y) != prefixed.At(x, y)) {
                ++changed;
                EXPECT_LT(x, aWidth) << "underline reaches past the 'a'";
                EXPECT_GT(y, measure.TextHeight("a") / 2);
            }
    EXPECT_GT(changed, 0);
}

TEST(CanvasText, VerticalPlacementOfASingleLine)
{
    Surface s(10, 10);
    TCanvas canvas(s.view);
    int line = canvas.TextHeight("x");
    TRect rect { 0, 0, 100, 100 };
    EXPECT_EQ(canvas.DrawText("x", rect, DT_SINGLELINE | DT_VCENTER), (100 - line) / 2 + line);
    EXPECT_EQ(canvas.DrawText("x", rect, DT_SINGLELINE | DT_BOTTOM), 100);
    EXPECT_EQ(canvas.DrawText("x", rect, DT_SINGLELINE), line);
}

TEST(CanvasText, OpaqueBrushFillsTheTextCell)
{
    Surface s(40, 20);
    TCanvas canvas(s.view);
    canvas.Brush.Color = RGB(0, 0, 0xFF);
    canvas.Font.Color = 0xFFFFFF;
    canvas.TextOut(1, 2, "ab");
    TSize size = canvas.TextExtent("ab");
    EXPECT_EQ(s.At(1, 2) == 0x000000FFu || s.At(1, 2) == 0x00FFFFFFu, true);
    EXPECT_EQ(s.At(0, 2), 0u);
    EXPECT_EQ(s.At(1 + size.cx, 2), 0u);
    EXPECT_EQ(s.At(1, 2 + size.cy), 0u);
    EXPECT_EQ(s.At(1 + size.cx - 1, 2 + size.cy - 1), 0x000000FFu);
    EXPECT_EQ(canvas.PenPos(), (TPoint { 1 + size.cx, 2 }));
}

TEST(CanvasText, ChangeNotificationFollowsDrawing)
{
    Surface s(4, 4);
    TCanvas canvas(s.view);
    int changes = 0;
    canvas.OnChange = [&] { ++changes; };
    canvas.FillRect({ 0, 0, 2, 2 });
    TRect rect { 0, 0, 4, 4 };
    canvas.DrawText("a", rect, 0);
    canvas.DrawText("a", rect, DT_CALCRECT);
    EXPECT_EQ(changes, 2);
}
