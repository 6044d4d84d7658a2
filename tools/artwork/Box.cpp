// The pictures of the program's own boxes: a frame and a button in three states. Each is cut
// into nine parts where it is drawn (BoxArt.h gives the corner sizes), so nothing along a
// stretched edge may change in the stretched direction: no grain, only bevels and lines.

#include "tools/artwork/Art.h"
#include "tools/artwork/Geometry.h"

#include <array>

namespace artwork {

namespace {

using namespace platform;

constexpr float Outer = 2.5f; // the metal band's inner edge, from the outline
constexpr float Band = 9.5f;

Raster BoxFrame()
{
    const int size = BoxFrameSize;
    Raster r(size, size, Hex(0x05080C));
    const float s = float(size);
    Sdf body = RoundBox(1, 1, s - 1, s - 1, 7);
    FillWith(r, body, [&](int, int y, float) {
        // The band runs darker downwards only inside the corners; the edges stay flat.
        float t = Clamp01((y - s / 2) / s + 0.5f);
        return Mix(Hex(palette::Steel), Hex(palette::SteelDark), 0.3f + 0.2f * t);
    });
    Bevel(r, body, 2.5f, 0.8f);
    Sdf well = RoundBox(Band, Band, s - Band, s - Band, 5);
    Fill(r, Grow(well, Outer), Hex(0x0C1117));
    Fill(r, well, Hex(palette::ScreenDeep));
    Bevel(r, Grow(well, Outer), 2, -0.8f);
    Glow(r, Outline(RoundBox(Band + 1, Band + 1, s - Band - 1, s - Band - 1, 4), 0.5f), Hex(palette::Cyan), 3, 0.5f);
    // Orange brackets in the corners, as around the menu's screen.
    const float in = 4, arm = 11;
    for (auto [x, y, dx, dy] : { std::array<float, 4> { in, in, 1, 1 }, { s - in, in, -1, 1 }, { in, s - in, 1, -1 },
             { s - in, s - in, -1, -1 } }) {
        Sdf bracket = Union(Segment(x, y, x + dx * arm, y, 1.1f), Segment(x, y, x, y + dy * arm, 1.1f));
        Fill(r, bracket, Hex(palette::Orange));
        Glow(r, bracket, Hex(palette::Orange), 3, 0.4f);
    }
    return r;
}

enum class ButtonState { Normal,
    Focused,
    Pressed };

Raster BoxButton(ButtonState state)
{
    const int w = BoxButtonWidth, h = BoxButtonHeight;
    Raster r(w, h, Hex(palette::ScreenDeep));
    Sdf knob = RoundBox(1.5f, 1.5f, w - 1.5f, h - 1.5f, 6);
    bool pressed = state == ButtonState::Pressed;
    FillWith(r, knob, [&](int, int y, float) {
        float t = Clamp01(y / float(h));
        return pressed ? Mix(Hex(0x1E252E), Hex(0x38424E), t) : Mix(Hex(0x5C6876), Hex(0x29313B), t);
    });
    Bevel(r, knob, 2, pressed ? -0.8f : 0.8f);
    if (state != ButtonState::Normal) {
        Fill(r, Outline(knob, 0.7f), Hex(palette::Cyan), 0.9f);
        Glow(r, Outline(knob, 0.7f), Hex(palette::Cyan), 3, 0.5f);
    }
    return r;
}

}

std::vector<NamedRaster> BoxPictures()
{
    return { { std::string(BoxFrameResource), BoxFrame() }, { std::string(BoxButtonResource), BoxButton(ButtonState::Normal) },
        { std::string(BoxButtonFocusedResource), BoxButton(ButtonState::Focused) },
        { std::string(BoxButtonPressedResource), BoxButton(ButtonState::Pressed) } };
}

}
