// The control pictures on the screen: list and column scroll buttons with their lit arrows and
// covers, the markers, the picture frame, the quit and settings buttons, the flags, the action
// buttons, the viewer's arrows and the dimming overlay.

#include "tools/artwork/Art.h"
#include "tools/artwork/Geometry.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <map>

namespace artwork {

namespace {

using namespace geometry;
using Points = std::vector<std::pair<float, float>>;

Sdf Triangle(float cx, float cy, float w, float h, bool up)
{
    float top = cy - h / 2, bottom = cy + h / 2;
    if (up)
        return Polygon(Points { { cx, top }, { cx + w / 2, bottom }, { cx - w / 2, bottom } });
    return Polygon(Points { { cx - w / 2, top }, { cx + w / 2, top }, { cx, bottom } });
}

void MetalKnob(Raster& r, const Sdf& shape, Box area, unsigned light = 0x5C6876, unsigned dark = 0x252C35)
{
    Shadow(r, shape, 1, 2, 4, 0.6f, area);
    FillWith(
        r, shape, [&](int x, int y, float) {
            float t = Clamp01((y - area.y0) / float(area.y1 - area.y0));
            return Mix(Hex(light), Hex(dark), t) * (1 + (BrushedNoise(x, y, 9) - 0.5f) * 0.1f);
        },
        area);
    Bevel(r, shape, 2.5f, 0.8f, area);
}

void EngravedGlyph(Raster& r, const Sdf& glyph, Box area, unsigned color = 0x10161D)
{
    Fill(r, glyph, Hex(color), 1, area);
    Bevel(r, glyph, 1.2f, -0.6f, area);
}

void LitGlyph(Raster& r, const Sdf& glyph, Box area, unsigned color)
{
    Glow(r, glyph, Hex(color), 4, 0.55f, area);
    Fill(r, glyph, Mix(Hex(color), Hex(0xFFFFFF), 0.45f), 1, area);
}

// A lit picture lies over the unlit one: toward its border it fades into what lies beneath,
// so the glow never ends in a hard edge.
Raster LitCrop(const Raster& unlit, const Raster& lit, int x, int y, int w, int h)
{
    Raster out = lit.Crop(x, y, w, h);
    Raster under = unlit.Crop(x, y, w, h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            float edge = float(std::min(std::min(i, w - 1 - i), std::min(j, h - 1 - j)));
            out.At(i, j) = Mix(under.At(i, j), out.At(i, j), Clamp01((edge + 0.5f) / 2.5f));
        }
    return out;
}

Box Around(int x, int y, int w, int h, int margin = 8) { return { x - margin, y - margin, x + w + margin, y + h + margin }; }

// A scroll control's three pictures, each cut where it lies.
struct ArrowPictures {
    Place button, lit, cover;
    const char *name, *litName, *coverName;
};

// From a layer with the plate already drawn: the button with its arrow, the lit arrow, and the
// cover, which shows the arrow only faintly engraved (nothing further to scroll to).
void ArrowSet(const Raster& plated, const Sdf& arrow, Box area, const ArrowPictures& p, std::map<std::string, Raster>& out)
{
    Raster layer = plated;
    EngravedGlyph(layer, arrow, area, 0x3C9EC0);
    out[p.name] = layer.Crop(p.button.x, p.button.y, p.button.w, p.button.h);
    Raster lighted = layer;
    LitGlyph(lighted, arrow, area, palette::Cyan);
    out[p.litName] = LitCrop(layer, lighted, p.lit.x, p.lit.y, p.lit.w, p.lit.h);
    Raster covered = plated;
    EngravedGlyph(covered, arrow, area, 0x2B333D);
    out[p.coverName] = covered.Crop(p.cover.x, p.cover.y, p.cover.w, p.cover.h);
}

Box AroundBox(Box b) { return Around(b.x0, b.y0, b.x1 - b.x0, b.y1 - b.y0); }

// A plate with an arrow up or down at `glyphY`, and the pictures cut from it.
struct ArrowPlate {
    Box plate;
    float glyphY;
    bool up;
    ArrowPictures pictures;
};

// Each plate drawn by `drawPlate` on a copy of the screen, then its arrow (centred at `arrowX`,
// `arrowWidth` by `arrowHeight`) and the arrow's three pictures.
template <class DrawPlate>
void ArrowPlates(const Raster& screen, std::initializer_list<ArrowPlate> plates, float arrowX, float arrowWidth, float arrowHeight,
    DrawPlate drawPlate, std::map<std::string, Raster>& out)
{
    for (const ArrowPlate& p : plates) {
        Raster layer = screen;
        drawPlate(layer, p.plate, p.up);
        ArrowSet(layer, Triangle(arrowX, p.glyphY, arrowWidth, arrowHeight, p.up), AroundBox(p.plate), p.pictures, out);
    }
}

// The list's scroll buttons: small plates with the arrow at the lit picture's centre.
void ListScrollButtons(const Raster& screen, std::map<std::string, Raster>& out)
{
    auto knob = [](Raster& layer, Box plate, bool) { MetalKnob(layer, RoundBox(plate.x0, plate.y0, plate.x1, plate.y1, 6), AroundBox(plate)); };
    ArrowPlates(screen,
        {
            { { 185, 41, 211, 59 }, 53.5f, true, { { 184, 40, 28, 20 }, { 189, 48, 18, 11 }, { 186, 43, 28, 18 }, "Image3", "Image11", "Cover2" } },
            { { 187, 373, 209, 394 }, 379.0f, false, { { 186, 373, 24, 22 }, { 189, 373, 18, 12 }, { 183, 373, 33, 25 }, "Image1", "Image10", "Cover1" } },
        },
        198, 12, 7, knob, out);
}

void ColumnCap(Raster& layer, Box plateBox, bool top)
{
    Box area = AroundBox(plateBox);
    Sdf plate = RoundBox(plateBox.x0, plateBox.y0, plateBox.x1, plateBox.y1, 12);
    MetalKnob(layer, plate, area, 0x55606D, 0x232A33);
    float y = top ? plateBox.y0 + 10.0f : plateBox.y1 - 10.0f;
    for (int i = -2; i <= 2; ++i) {
        Sdf grip = Segment(plateBox.x0 + 10.0f, y + i * 3.0f, plateBox.x0 + 22.0f, y + i * 3.0f, 0.6f);
        EngravedGlyph(layer, grip, area);
        Sdf grip2 = Segment(plateBox.x1 - 22.0f, y + i * 3.0f, plateBox.x1 - 10.0f, y + i * 3.0f, 0.6f);
        EngravedGlyph(layer, grip2, area);
    }
    Sdf lamp = Segment(plateBox.x0 + 28.0f, y, plateBox.x1 - 28.0f, y, 1.0f);
    Fill(layer, lamp, Hex(palette::Orange), 0.9f, area);
    Glow(layer, lamp, Hex(palette::Orange), 4, 0.4f, area);
}

// The icon column's caps, under which the icons slide out of sight.
void ColumnCaps(const Raster& screen, std::map<std::string, Raster>& out)
{
    ArrowPlates(screen,
        {
            { { 536, 1, 618, 54 }, 46.5f, true, { { 535, 0, 84, 53 }, { 567, 41, 18, 11 }, { 564, 38, 33, 17 }, "Image5", "Up", "Cover3" } },
            { { 529, 395, 631, 450 }, 402.0f, false, { { 528, 394, 104, 55 }, { 567, 396, 18, 12 }, { 556, 394, 49, 30 }, "Image6", "Down", "Cover4" } },
        },
        576, 14, 8, ColumnCap, out);
}

Raster Marker(unsigned color)
{
    Raster r(6, 11, Hex(palette::Rail));
    Sdf body = Polygon(Points { { 0.5f, 0.5f }, { 5.5f, 5.5f }, { 0.5f, 10.5f } });
    Glow(r, body, Hex(color), 2, 0.5f);
    Fill(r, body, Mix(Hex(color), Hex(0xFFFFFF), 0.3f));
    return r;
}

Raster PictureFrame(const Raster& screen)
{
    Raster layer = screen;
    Box area = Around(PicFrame.x, PicFrame.y, PicFrame.w, PicFrame.h);
    Sdf ring = RoundBox(Picture.x - 4, Picture.y - 4, Picture.x + Picture.w + 4, Picture.y + Picture.h + 4, 5);
    MetalKnob(layer, ring, area, 0x6A7683, 0x2A323C);
    Sdf well = RoundBox(Picture.x, Picture.y, Picture.x + Picture.w, Picture.y + Picture.h, 2);
    Fill(layer, well, Hex(0x020407), 1, area);
    Bevel(layer, well, 3, -0.9f, area);
    Glow(layer, Outline(ring, 0.5f), Hex(palette::Cyan), 3, 0.35f, area);
    return layer.Crop(PicFrame.x, PicFrame.y, PicFrame.w, PicFrame.h);
}

Sdf PowerGlyph(float cx, float cy, float radius)
{
    Sdf ring = Subtract(Outline(Circle(cx, cy, radius), 0.9f), Polygon(Points { { cx - 2.2f, cy - radius - 3 }, { cx + 2.2f, cy - radius - 3 }, { cx, cy } }));
    return Union(ring, Segment(cx, cy - radius - 0.5f, cx, cy - 0.8f, 0.9f));
}

Sdf GearGlyph(float cx, float cy, float radius)
{
    Sdf gear = Circle(cx, cy, radius * 0.72f);
    for (int i = 0; i < 6; ++i) {
        float a = i * 3.14159f / 3;
        gear = Union(gear, Segment(cx, cy, cx + std::cos(a) * radius, cy + std::sin(a) * radius, 1.1f));
    }
    return Subtract(gear, Circle(cx, cy, radius * 0.3f));
}

void RoundButton(const Raster& screen, const Place& bitmap, const Place& lit, Sdf glyph, unsigned color,
    std::map<std::string, Raster>& out, const std::string& name, const std::string& litName)
{
    Raster layer = screen;
    float cx = lit.x + lit.w / 2.0f, cy = lit.y + lit.h / 2.0f;
    Box area = Around(bitmap.x, bitmap.y, bitmap.w, bitmap.h);
    Sdf knob = Circle(cx, cy, 12);
    MetalKnob(layer, knob, area);
    Fill(layer, Outline(knob, 0.6f), Hex(color), 0.35f, area);
    EngravedGlyph(layer, glyph, area, 0x161C24);
    out[name] = layer.Crop(bitmap.x, bitmap.y, bitmap.w, bitmap.h);
    Raster lighted = layer;
    Glow(lighted, glyph, Hex(color), 1.5f, 0.2f, area);
    Fill(lighted, glyph, Mix(Hex(color), Hex(0xFFFFFF), 0.35f), 1, area);
    out[litName] = LitCrop(layer, lighted, lit.x, lit.y, lit.w, lit.h);
}

// A round badge on the dark flag strip.
void Flag(const Raster& screen, int x, int y, unsigned ring, const std::function<void(Raster&, float, float, Box)>& symbol,
    std::map<std::string, Raster>& out, const std::string& name)
{
    Raster layer = screen;
    float cx = x + 16.5f, cy = y + 16.5f;
    Box area { x, y, x + 33, y + 33 };
    Sdf badge = Circle(cx, cy, 14);
    Shadow(layer, badge, 1, 1.5f, 3, 0.6f, area);
    FillWith(
        layer, badge, [&](int, int py, float) { return Mix(Hex(0x2A3440), Hex(0x0D1218), (py - y) / 33.0f); }, area);
    Fill(layer, Outline(badge, 1.2f), Hex(ring), 1, area);
    Glow(layer, Outline(badge, 1.2f), Hex(ring), 3, 0.35f, area);
    symbol(layer, cx, cy, area);
    out[name] = layer.Crop(x, y, 33, 33);
}

void Flags(const Raster& screen, std::map<std::string, Raster>& out)
{
    Flag(
        screen, 295, 25, 0x2FD158, [](Raster& r, float cx, float cy, Box a) {
            Sdf check = Union(Segment(cx - 7, cy, cx - 2, cy + 5, 1.8f), Segment(cx - 2, cy + 5, cx + 7, cy - 6, 1.8f));
            LitGlyph(r, check, a, 0x2FD158);
        },
        out, "Flag_Playable");
    Flag(
        screen, 331, 25, 0xE8382E, [](Raster& r, float cx, float cy, Box a) {
            Sdf cross = Union(Segment(cx - 6, cy - 6, cx + 6, cy + 6, 1.8f), Segment(cx - 6, cy + 6, cx + 6, cy - 6, 1.8f));
            LitGlyph(r, cross, a, 0xE8382E);
        },
        out, "Flag_Unplayable");
    Flag(
        screen, 367, 25, 0xE9EEF3, [](Raster& r, float cx, float cy, Box a) {
            Sdf cloth = RoundBox(cx - 10, cy - 7, cx + 10, cy + 7, 1.5f);
            Fill(r, Intersect(cloth, RoundBox(cx - 11, cy - 8, cx + 11, cy, 0)), Hex(0xF4F6F8), 1, a);
            Fill(r, Intersect(cloth, RoundBox(cx - 11, cy, cx + 11, cy + 8, 0)), Hex(0xD7141A), 1, a);
            Fill(r, Intersect(cloth, Polygon(Points { { cx - 10, cy - 7 }, { cx, cy }, { cx - 10, cy + 7 } })), Hex(0x11457E), 1, a);
            Bevel(r, cloth, 1, 0.4f, a);
        },
        out, "Flag_CZ");
    Flag(
        screen, 402, 25, palette::Cyan, [](Raster& r, float cx, float cy, Box a) {
            Sdf links = Union(Union(Segment(cx, cy - 6, cx - 6, cy + 5, 0.8f), Segment(cx, cy - 6, cx + 6, cy + 5, 0.8f)),
                Segment(cx - 6, cy + 5, cx + 6, cy + 5, 0.8f));
            Fill(r, links, Hex(0x7FDDF0), 1, a);
            for (auto [x, y] : Points { { cx, cy - 6 }, { cx - 6, cy + 5 }, { cx + 6, cy + 5 } })
                LitGlyph(r, Circle(x, y, 2.6f), a, palette::Cyan);
        },
        out, "Flag_Net");
    Flag(
        screen, 439, 25, palette::Orange, [](Raster& r, float cx, float cy, Box) {
            TextMask text = RenderText("3D", LetteringFace, 13, true);
            int x = int(std::lround(cx - text.width / 2.0f)), y = int(std::lround(cy - text.height / 2.0f));
            AddMask(r, BlurMask(text, 2), x - 2, y - 2, Hex(palette::Orange), 0.8f);
            DrawMask(r, text, x, y, Hex(0xFFE7C8));
        },
        out, "Flag_3D");
}

struct ActionGlyph {
    const char* offName;
    const char* litName;
    Place off;
    Place lit;
    unsigned color;
};

Sdf ActionShape(int which, float cx, float cy)
{
    switch (which) {
    case 0: { // readme: a page with lines
        Sdf page = Subtract(RoundBox(cx - 4.5f, cy - 6, cx + 4.5f, cy + 6, 1), Outline(RoundBox(cx - 2.5f, cy - 3.5f, cx + 2.5f, cy + 4, 0), 0.45f));
        return page;
    }
    case 1: { // web: a globe
        Sdf globe = Outline(Circle(cx, cy, 5.2f), 0.8f);
        globe = Union(globe, Segment(cx - 5, cy, cx + 5, cy, 0.5f));
        globe = Union(globe, Outline([=](float x, float y) { return std::hypot((x - cx) * 2.2f, y - cy) - 5.2f; }, 0.6f));
        return globe;
    }
    case 2: // play
        return Polygon(Points { { cx - 3.5f, cy - 6 }, { cx + 4, cy }, { cx - 3.5f, cy + 6 } });
    default: // stop
        return RoundBox(cx - 4, cy - 5, cx + 4, cy + 5, 1.2f);
    }
}

void ActionButtons(const Raster& screen, std::map<std::string, Raster>& out)
{
    const ActionGlyph actions[] = {
        { "Readme_2", "Readme", { 446, 223, 19, 21 }, { 451, 227, 10, 13 }, 0x1C8FD8 },
        { "Web_2", "Web", { 470, 227, 13, 13 }, { 470, 227, 13, 13 }, 0x10A8C8 },
        { "Play_2", "Play", { 485, 223, 16, 19 }, { 489, 227, 8, 13 }, 0x1DB04A },
        { "Stop_2", "Stop", { 502, 224, 16, 18 }, { 505, 227, 9, 13 }, 0xD8322A },
    };
    Raster layer = screen;
    for (int i = 0; i < 4; ++i) {
        const ActionGlyph& a = actions[i];
        float cx = a.lit.x + a.lit.w / 2.0f, cy = a.lit.y + a.lit.h / 2.0f;
        Box area = Around(a.off.x, a.off.y, a.off.w, a.off.h, 2);
        Fill(layer, ActionShape(i, cx, cy), Hex(0x4A5664), 1, area);
        Bevel(layer, ActionShape(i, cx, cy), 1, -0.4f, area);
    }
    for (int i = 0; i < 4; ++i) {
        const ActionGlyph& a = actions[i];
        out[a.offName] = layer.Crop(a.off.x, a.off.y, a.off.w, a.off.h);
        Raster lit = layer;
        float cx = a.lit.x + a.lit.w / 2.0f, cy = a.lit.y + a.lit.h / 2.0f;
        Box area = Around(a.lit.x, a.lit.y, a.lit.w, a.lit.h, 2);
        Fill(lit, Grow(ActionShape(i, cx, cy), 0.6f), Hex(0x0A0F14), 1, area);
        Fill(lit, ActionShape(i, cx, cy), Hex(a.color), 1, area);
        out[a.litName] = lit.Crop(a.lit.x, a.lit.y, a.lit.w, a.lit.h);
    }
}

// Viewer arrows: a hard-edged plate on the key colour of their bottom-left pixel.
Raster ViewerArrow(bool right)
{
    const Rgb key = Hex(0xFF00FF);
    Raster r(44, 72, key);
    Sdf plate = RoundBox(3, 3, 41, 69, 12);
    float s = right ? 1 : -1, cx = 22;
    Sdf chevron = Union(Segment(cx - 6 * s, 20, cx + 7 * s, 36, 3.2f), Segment(cx + 7 * s, 36, cx - 6 * s, 52, 3.2f));
    Raster art(44, 72, Hex(0x0A1620));
    FillWith(art, plate, [](int, int y, float) { return Mix(Hex(0x18293A), Hex(0x070D14), y / 72.0f); });
    Bevel(art, plate, 3, 0.7f);
    Glow(art, Outline(Grow(plate, 2), 0.6f), Hex(palette::Cyan), 3, 0.5f);
    Glow(art, chevron, Hex(palette::Cyan), 7, 0.6f);
    Fill(art, chevron, Hex(0xE6FCFF));
    for (int y = 0; y < 72; ++y)
        for (int x = 0; x < 44; ++x)
            if (plate(x + 0.5f, y + 0.5f) < 0)
                r.At(x, y) = art.At(x, y);
    return r;
}

Raster DimmingOverlay()
{
    Raster r(ScreenW, ScreenH, Hex(0x02050A));
    Sdf inner = RoundBox(0, 0, ScreenW, ScreenH, 10);
    for (int y = 0; y < ScreenH; ++y)
        for (int x = 0; x < ScreenW; ++x) {
            if (inner(x + 0.5f, y + 0.5f) >= 0) {
                // Keyed out with white: the screen's rounded corners stay as they are.
                r.At(x, y) = Hex(0xFFFFFF);
                r.Mask(x, y) = 0;
                continue;
            }
            r.Mask(x, y) = (y % 3 == 0) ? 0.78f : 1.0f;
            r.At(x, y) = Mix(Hex(0x02050A), Hex(0x06121C), Clamp01(1 - y / float(ScreenH)));
        }
    return r;
}

}

std::vector<NamedRaster> ScreenControls(const Raster& screen)
{
    std::map<std::string, Raster> made;
    ListScrollButtons(screen, made);
    ColumnCaps(screen, made);
    made["Image8"] = Marker(palette::Cyan);
    made["Image7"] = Marker(palette::Orange);
    made["PicImage"] = PictureFrame(screen);
    RoundButton(screen, { 72, 435, 33, 33 }, { 87, 448, 11, 10 }, PowerGlyph(92.5f, 453, 3.6f), palette::Orange, made, "Image9", "Image2");
    RoundButton(screen, { 109, 434, 33, 33 }, { 117, 448, 11, 10 }, GearGlyph(122.5f, 453, 4.4f), palette::Cyan, made, "Image12", "Image13");
    Flags(screen, made);

    std::vector<NamedRaster> out;
    for (const ArtPicture& picture : FormPictures) {
        std::string resource(picture.resource);
        std::string name = resource.substr(4, resource.rfind('.') - 4);
        if (auto it = made.find(name); it != made.end())
            out.push_back({ resource, it->second });
    }
    return out;
}

Raster ConnectButton(const Raster& screen)
{
    Raster layer = screen;
    Box area = Around(552, 457, 80, 23);
    Sdf pill = RoundBox(553, 458, 631, 479, 10);
    Shadow(layer, pill, 1, 1.5f, 3, 0.6f, area);
    FillWith(
        layer, pill, [](int, int y, float) { return Mix(Hex(0x1C3140), Hex(0x08121A), (y - 458) / 21.0f); }, area);
    Fill(layer, Outline(pill, 0.7f), Hex(palette::Cyan), 0.9f, area);
    Glow(layer, Outline(pill, 0.7f), Hex(palette::Cyan), 3, 0.3f, area);
    Sdf globe = Union(Outline(Circle(566, 468.5f, 6), 0.8f), Segment(560, 468.5f, 572, 468.5f, 0.5f));
    globe = Union(globe, Outline([](float x, float y) { return std::hypot((x - 566) * 2.2f, y - 468.5f) - 6; }, 0.6f));
    LitGlyph(layer, globe, area, palette::Cyan);
    TextMask text = RenderText("ON-LINE", LetteringFace, 11, true);
    DrawMask(layer, text, 577, int(std::lround(468.5f - text.height / 2.0f)), Hex(0xD8F6FF));
    return layer.Crop(552, 457, 80, 23);
}

std::vector<Raster> ImageList1Pictures(const Raster& screen)
{
    std::map<std::string, Raster> actions;
    ActionButtons(screen, actions);
    std::vector<Raster> out;
    for (size_t i = 0; i < ImageList1.size(); ++i) {
        const ImageListEntry& e = ImageList1[i];
        std::string name(e.displayName);
        if (i == 0)
            out.push_back(screen.Crop(ListX0, ListY0, e.width, e.height));
        else if (i == 1)
            out.push_back(screen.Crop(SectionsX, SectionsY, e.width, e.height));
        else if (i == 12)
            out.push_back(DimmingOverlay());
        else if (actions.count(name))
            out.push_back(actions[name]);
        else if (name == "Right" || name == "Left")
            out.push_back(ViewerArrow(name == "Right"));
        else
            out.push_back(CategoryIcon(static_cast<int>(i)));
    }
    return out;
}

}
