// The screen container's background: a deep blue field with a fine grid, the sunk list panel,
// the flat icon column between its two caps, the marker rails, the detail card and the light
// plates that the black description texts stand on.

#include "tools/artwork/Art.h"
#include "tools/artwork/Geometry.h"

#include <cmath>

namespace artwork {

namespace {

using namespace geometry;

void Field(Raster& r)
{
    for (int y = 0; y < r.Height(); ++y)
        for (int x = 0; x < r.Width(); ++x) {
            float dx = (x - 319.0f) / 319, dy = (y - 241.0f) / 241;
            float vignette = Clamp01(1 - 0.55f * (dx * dx + dy * dy));
            Rgb c = Mix(Hex(palette::ScreenDeep), Hex(palette::ScreenMid), vignette);
            if (x % 16 == 0 || y % 16 == 0)
                c = Mix(c, Hex(0x1E3A52), 0.35f);
            r.At(x, y) = c * (1 + (Hash(x, y, 5) - 0.5f) * 0.04f);
        }
    Glow(r, Outline(RoundBox(0, 0, 638, 482, 6), 0.5f), Hex(palette::Cyan), 4, 0.35f);
}

void ListPanel(Raster& r)
{
    Sdf panel = RoundBox(ListX0, ListY0, ListX1, ListY1, 10);
    Box area { ListX0 - 14, ListY0 - 14, ListX1 + 14, ListY1 + 14 };
    Glow(r, panel, Hex(palette::Cyan), 8, 0.18f, area);
    // The rows are written dark grey, the selected one black and installed ones silver: the
    // panel is brushed steel of a middle brightness that all three stand out from.
    FillWith(
        r, panel, [](int x, int y, float) {
            Rgb steel = Mix(Hex(0x8593A0), Hex(0x6F7C88), (y - ListY0) / 350.0f);
            float brushed = (Hash(x / 3, y, 11) - 0.5f) * 0.05f + (Hash(0, y, 12) - 0.5f) * 0.04f;
            return steel * (1 + brushed);
        },
        area);
    Bevel(r, panel, 4, -0.8f, area);
    Fill(r, Outline(Grow(panel, 3), 0.5f), Hex(0x2A6D88), 0.8f, area);
    // Faint grooves between the ten rows.
    const int rows[] = { 71, 102, 133, 164, 195, 226, 257, 288, 319, 349 };
    for (int i = 0; i < 9; ++i) {
        float y = rows[i] + 22.5f;
        Fill(r, Segment(ListX0 + 14, y, ListX1 - 40, y, 0.5f), Hex(0x56626D), 0.7f, area);
        Fill(r, Segment(ListX0 + 14, y + 1, ListX1 - 40, y + 1, 0.5f), Hex(0x9AA6B2), 0.5f, area);
    }
    for (int y : rows)
        Fill(r, Circle(68, y + 7.0f, 1.6f), Hex(palette::Cyan), 0.5f, area);
    // The position read-out is written in the default black: it gets a small light plate.
    Sdf well = RoundBox(76, 371, 130, 385, 3);
    Fill(r, well, Hex(palette::Plate), 1, area);
    Bevel(r, well, 1.5f, 0.5f, area);
}

void ButtonTray(Raster& r)
{
    Sdf tray = RoundBox(62, 430, 150, 474, 12);
    Box area { 50, 420, 160, 484 };
    Fill(r, tray, Hex(0x0B1118), 1, area);
    Bevel(r, tray, 3, -0.7f, area);
}

void Column(Raster& r)
{
    Sdf band = RoundBox(ColumnX0, ColumnY0, ColumnX1, ColumnY1, 12);
    Box area { ColumnX0 - 14, ColumnY0 - 14, ColumnX1 + 14, ColumnY1 + 14 };
    Glow(r, band, Hex(palette::Cyan), 8, 0.2f, area);
    Fill(r, band, Hex(palette::Column), 1, area);
    Bevel(r, band, 4, -0.8f, area);
}

void Rails(Raster& r)
{
    for (auto [y0, y1] : { std::pair { UpperRailY0, UpperRailY1 }, std::pair { LowerRailY0, LowerRailY1 } }) {
        Sdf rail = RoundBox(RailX0 - 4, y0 - 2, RailX1 + 4, y1 + 2, 6);
        Box area { RailX0 - 12, y0 - 10, RailX1 + 12, y1 + 10 };
        Fill(r, rail, Hex(0x1A2633), 1, area);
        Bevel(r, rail, 2, 0.5f, area);
        // The channel the markers run in is flat, so a marker's own background fits anywhere.
        Fill(r, RoundBox(RailX0 - 1, y0 + 1, RailX1 + 1, y1 - 1, 2), Hex(palette::Rail), 1, area);
        for (int y = y0 + 10; y < y1 - 6; y += 12) {
            Fill(r, Segment(RailX0 - 9, y, RailX0 - 6, y, 0.5f), Hex(0x3B8FB0), 0.8f, area);
            Fill(r, Segment(RailX1 + 6, y, RailX1 + 9, y, 0.5f), Hex(0x3B8FB0), 0.8f, area);
        }
    }
}

// A strip of lamps down the free left edge, brighter toward the middle.
void LampStrip(Raster& r)
{
    Sdf strip = RoundBox(18, 52, 38, 372, 6);
    Box area { 8, 42, 48, 382 };
    Fill(r, strip, Hex(0x070B11), 1, area);
    Bevel(r, strip, 2, -0.7f, area);
    for (int i = 0; i < 20; ++i) {
        float y = 60 + i * 16.0f;
        float level = 1 - std::abs(i - 9.5f) / 10.0f;
        Rgb color = i % 5 == 2 ? Hex(palette::Orange) : Hex(palette::Cyan);
        Sdf lamp = RoundBox(22, y, 34, y + 8, 2);
        Fill(r, lamp, color * (0.25f + 0.5f * level), 1, area);
        Glow(r, lamp, color, 4, 0.25f * level, area);
    }
}

Sdf LightPlates()
{
    // The label plate reaches right between the two marker rails, under the help line.
    Sdf labels = RoundBox(219, 213, 525, 266, 5);
    Sdf description = RoundBox(219, 270, 502, 427, 5);
    return Union(labels, description);
}

void DetailCard(Raster& r)
{
    Sdf card = RoundBox(212, 16, 508, 280, 10);
    Box area { 200, 4, 545, 460 };
    Shadow(r, card, 3, 4, 8, 0.5f, area);
    FillWith(
        r, card, [](int x, int y, float) {
            return Hex(palette::Card) * (1 + (BrushedNoise(x, y, 21) - 0.5f) * 0.12f);
        },
        area);
    Bevel(r, card, 3, 0.6f, area);
    Sdf flags = RoundBox(288, 21, 480, 62, 7);
    Fill(r, flags, Hex(0x0A1017), 1, area);
    Bevel(r, flags, 2, -0.7f, area);
}

void Plates(Raster& r)
{
    Box area { 160, 200, 545, 460 };
    Sdf plates = LightPlates();
    Shadow(r, plates, 1, 2, 4, 0.5f, area);
    // Plates shade only from top to bottom: the off buttons on them take their own background
    // from the very pixels they cover.
    FillWith(
        r, plates, [](int, int y, float) {
            return Mix(Hex(palette::Plate), Hex(palette::PlateDark), Clamp01((y - 213) / 240.0f));
        },
        area);
    Bevel(r, plates, 2, 0.6f, area);
    // The films note is a darker strip: it stays empty on every other page.
    Sdf note = RoundBox(172, 429, 512, 450, 4);
    Shadow(r, note, 1, 2, 4, 0.5f, area);
    FillWith(
        r, note, [](int, int y, float) { return Mix(Hex(0xA3ADB8), Hex(0x8E99A5), Clamp01((y - 429) / 21.0f)); }, area);
    Bevel(r, note, 2, 0.5f, area);
}

}

Raster ScreenBackground()
{
    Raster r(ScreenW, ScreenH);
    Field(r);
    ListPanel(r);
    ButtonTray(r);
    LampStrip(r);
    Column(r);
    DetailCard(r);
    Rails(r);
    Plates(r);
    return r;
}

}
