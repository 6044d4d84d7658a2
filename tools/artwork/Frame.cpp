// The window: a gunmetal body around the screen with pods that carry the side animations, a
// logo slab at the top left, and a cyan line that follows the outline.

#include "tools/artwork/Art.h"
#include "tools/artwork/Geometry.h"

#include <array>
#include <cmath>

namespace artwork {

namespace {

using namespace geometry;

Sdf BuildShape()
{
    Sdf body = RoundBox(30, 40, 792, 706, 30);
    Sdf logo = RoundBox(0, 0, 332, 182, 26);
    Sdf crest = RoundBox(356, 24, 634, 140, 22);
    Sdf leftPod = RoundBox(0, 428, 96, 550, 16);
    Sdf rightUpper = RoundBox(698, 212, 818, 448, 20);
    Sdf rightLower = RoundBox(698, 482, 818, 702, 20);
    Sdf bottomLeft = RoundBox(54, 640, 178, 741, 16);
    Sdf bottomMid = RoundBox(504, 650, 568, 741, 12);
    Sdf shape = Union(body, logo);
    for (Sdf part : { crest, leftPod, rightUpper, rightLower, bottomLeft, bottomMid })
        shape = Union(shape, part);
    // Notches between the pods keep the outline from reading as a plain rectangle.
    shape = Subtract(shape, Circle(818, 465, 24));
    shape = Subtract(shape, Circle(410, 741, 34));
    return shape;
}

void Rivet(Raster& r, float cx, float cy, float radius = 4)
{
    Sdf head = Circle(cx, cy, radius);
    Box area { int(cx - radius - 4), int(cy - radius - 4), int(cx + radius + 5), int(cy + radius + 5) };
    Shadow(r, head, 1.5f, 2, 3, 0.6f, area);
    FillWith(
        r, head, [&](int x, int y, float) {
            float t = Clamp01(((x - cx) + (y - cy)) / (2 * radius) * 0.5f + 0.5f);
            return Mix(Hex(0xB8C2CC), Hex(0x3A424C), t);
        },
        area);
    Bevel(r, head, 2, 0.6f, area);
    Fill(r, Circle(cx - radius * 0.35f, cy - radius * 0.35f, radius * 0.3f), Hex(0xFFFFFF), 0.7f, area);
}

void Led(Raster& r, float cx, float cy, unsigned color)
{
    Box area { int(cx - 12), int(cy - 12), int(cx + 13), int(cy + 13) };
    Fill(r, Circle(cx, cy, 3.5f), Hex(0x05080C), 1, area);
    Fill(r, Circle(cx, cy, 2.5f), Hex(color), 1, area);
    Glow(r, Circle(cx, cy, 2.5f), Hex(color), 7, 0.55f, area);
    Fill(r, Circle(cx - 0.8f, cy - 0.8f, 0.9f), Hex(0xFFFFFF), 0.8f, area);
}

// Horizontal slots sunk into the metal.
void Vents(Raster& r, float x0, float x1, float y0, int count, float pitch)
{
    for (int i = 0; i < count; ++i) {
        float y = y0 + i * pitch;
        Sdf slot = Segment(x0, y, x1, y, 2.2f);
        Box area { int(x0 - 6), int(y - 6), int(x1 + 7), int(y + 7) };
        Fill(r, slot, Hex(0x06090D), 1, area);
        Bevel(r, slot, 2, -0.7f, area);
    }
}

void Grille(Raster& r, float cx, float cy, float radius)
{
    Box area { int(cx - radius - 6), int(cy - radius - 6), int(cx + radius + 7), int(cy + radius + 7) };
    Sdf disc = Circle(cx, cy, radius);
    Fill(r, disc, Hex(0x10151B), 1, area);
    Bevel(r, disc, 3, -0.8f, area);
    for (float ring = radius - 5; ring > 3; ring -= 5)
        Fill(r, Outline(Circle(cx, cy, ring), 0.9f), Hex(0x3A4450), 1, area);
    Glow(r, Circle(cx, cy, 3), Hex(palette::Orange), 8, 0.6f, area);
}

void Metal(Raster& r, const Sdf& shape)
{
    FillWith(r, shape, [](int x, int y, float) {
        float vertical = 0.5f + 0.5f * std::sin(y / 741.0f * 3.14159f * 1.3f + 0.4f);
        Rgb base = Mix(Hex(palette::SteelDark), Hex(palette::Steel), 0.35f + 0.45f * vertical);
        float grain = BrushedNoise(x, y, 3) - 0.5f;
        return base * (1 + grain * 0.16f);
    });
}

void Screen(Raster& r)
{
    Sdf well = RoundBox(ScreenX - 9, ScreenY - 9, ScreenX + ScreenW + 9, ScreenY + ScreenH + 9, 14);
    Box area { ScreenX - 30, ScreenY - 30, ScreenX + ScreenW + 30, ScreenY + ScreenH + 30 };
    Shadow(r, well, -2, -2, 10, 0.5f, area);
    Fill(r, well, Hex(0x0C1117), 1, area);
    Bevel(r, well, 5, -0.9f, area);
    Glow(r, Outline(RoundBox(ScreenX - 3, ScreenY - 3, ScreenX + ScreenW + 3, ScreenY + ScreenH + 3, 8), 0.5f),
        Hex(palette::Cyan), 5, 0.45f, area);
    // Orange brackets at the screen's corners.
    const std::array<std::array<float, 4>, 4> corners { { { float(ScreenX - 14), float(ScreenY - 14), 1, 1 },
        { float(ScreenX + ScreenW + 14), float(ScreenY - 14), -1, 1 },
        { float(ScreenX - 14), float(ScreenY + ScreenH + 14), 1, -1 },
        { float(ScreenX + ScreenW + 14), float(ScreenY + ScreenH + 14), -1, -1 } } };
    for (auto [x, y, dx, dy] : corners) {
        Sdf bracket = Union(Segment(x, y, x + dx * 34, y, 1.6f), Segment(x, y, x, y + dy * 34, 1.6f));
        Box b { int(std::min(x, x + dx * 34)) - 12, int(std::min(y, y + dy * 34)) - 12, int(std::max(x, x + dx * 34)) + 13,
            int(std::max(y, y + dy * 34)) + 13 };
        Fill(r, bracket, Hex(palette::Orange), 1, b);
        Glow(r, bracket, Hex(palette::Orange), 6, 0.5f, b);
    }
}

void LogoSlab(Raster& r)
{
    Sdf plate = RoundBox(16, 14, 304, 150, 16);
    Box area { 0, 0, 330, 180 };
    Shadow(r, plate, 3, 4, 8, 0.5f, area);
    FillWith(
        r, plate, [](int x, int y, float depth) {
            Rgb base = Mix(Hex(0x1A2029), Hex(0x2C3541), Clamp01(1 - y / 150.0f));
            return base * (1 + (BrushedNoise(x, y, 11) - 0.5f) * 0.1f) + Hex(0x0A1A22) * Clamp01(depth / 60);
        },
        area);
    Bevel(r, plate, 4, 0.8f, area);
    GlowText(r, "TORVA", LetteringFace, 62, true, 152, 66, Hex(0xFFD9A8), Hex(palette::Orange));
    GlowText(r, "CD v2", LetteringFace, 26, true, 206, 118, Hex(0xD8FBFF), Hex(palette::Cyan));
    Sdf underline = Segment(40, 104, 150, 104, 1.2f);
    Fill(r, underline, Hex(palette::Cyan), 1, area);
    Glow(r, underline, Hex(palette::Cyan), 5, 0.6f, area);
    for (auto [x, y] : std::array<std::pair<float, float>, 4> { { { 28, 26 }, { 292, 26 }, { 28, 138 }, { 292, 138 } } })
        Rivet(r, x, y, 3.5f);
}

void Crest(Raster& r)
{
    Sdf panel = RoundBox(376, 34, 616, 62, 10);
    Box area { 356, 20, 636, 80 };
    Fill(r, panel, Hex(0x0B1016), 1, area);
    Bevel(r, panel, 3, -0.8f, area);
    GlowText(r, "DEMA \xB7 HRY \xB7 FILMY", LetteringFace, 15, true, 496, 48, Hex(0xCFF8FF), Hex(palette::Cyan));
    Rivet(r, 368, 48, 3.5f);
    Rivet(r, 624, 48, 3.5f);
}

}

Sdf WindowShape()
{
    static const Sdf shape = BuildShape();
    return shape;
}

bool InsideWindow(int x, int y)
{
    return WindowShape()(x + 0.5f, y + 0.5f) < 0;
}

Raster WindowBackground()
{
    Raster r(818, 741, Hex(0x000000));
    Sdf shape = WindowShape();
    Metal(r, shape);
    Bevel(r, shape, 8, 0.85f);
    // A groove and a cyan line that follow the outline a little inside it.
    Sdf groove = Outline(Grow(shape, 13), 1.2f);
    Fill(r, groove, Hex(0x0A0E13), 0.9f);
    Bevel(r, groove, 1.5f, -0.5f);
    Sdf line = Outline(Grow(shape, 19), 0.6f);
    Fill(r, line, Hex(palette::Cyan), 0.8f);
    Glow(r, line, Hex(palette::Cyan), 4, 0.25f);

    LogoSlab(r);
    Crest(r);
    Screen(r);

    Vents(r, 744, 796, 250, 9, 10);
    Vents(r, 744, 796, 520, 8, 10);
    Grille(r, 44, 489, 30);
    for (auto [x, y] : std::array<std::pair<float, float>, 18> { { { 48, 60 }, { 776, 60 }, { 48, 688 }, { 776, 688 }, { 350, 56 }, { 640, 56 },
             { 734, 228 }, { 806, 228 }, { 734, 432 }, { 806, 432 }, { 734, 498 }, { 806, 498 },
             { 734, 688 }, { 806, 688 }, { 68, 726 }, { 164, 726 }, { 516, 728 }, { 556, 728 } } })
        Rivet(r, x, y);
    Led(r, 760, 350, palette::Orange);
    Led(r, 776, 350, palette::Cyan);
    Led(r, 792, 350, palette::Cyan);
    Led(r, 760, 620, palette::Cyan);
    Led(r, 776, 620, palette::Orange);
    Led(r, 100, 690, palette::Orange);
    Led(r, 116, 690, palette::Cyan);
    Led(r, 536, 700, palette::Cyan);
    Led(r, 64, 140, palette::Orange);
    // Where the window is cut away nothing shows; a window that cannot be shaped shows black.
    for (int y = 0; y < r.Height(); ++y)
        for (int x = 0; x < r.Width(); ++x)
            r.At(x, y) = Mix(Hex(0x000000), r.At(x, y), Coverage(shape, x, y));
    return r;
}

}
