// The category icons of the column. Each pair shares one drawing: the unlit picture in cool,
// muted metal, the lit one bright with cyan and orange light. The background is the column's
// flat colour, so the opaque icons sit in the column without a visible tile.

#include "tools/artwork/Art.h"
#include "tools/artwork/Geometry.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace artwork {

namespace {

using Points = std::vector<std::pair<float, float>>;

enum class Role { Body,
    Accent,
    Hot,
    Dark };

class IconPainter {
public:
    IconPainter(Raster& r, bool lit)
        : m_r(r)
        , m_lit(lit)
    {
    }

    void Paint(const Sdf& shape, Role role)
    {
        Rgb c = Color(role);
        if (m_lit && role != Role::Dark && role != Role::Body)
            Glow(m_r, shape, c, 4, 0.45f);
        if (role == Role::Body) {
            FillWith(m_r, shape, [&](int, int y, float depth) {
                Rgb top = m_lit ? Hex(0xE4F0F7) : Hex(0x7D8A98);
                Rgb bottom = m_lit ? Hex(0x7F97AA) : Hex(0x3B4552);
                return Mix(top, bottom, y / float(m_r.Height())) + Hex(0x101010) * Clamp01(1 - depth / 3);
            });
        } else {
            Fill(m_r, shape, c);
        }
        Bevel(m_r, shape, 1.5f, role == Role::Dark ? -0.5f : 0.55f);
    }

    void Shade(const Sdf& shape) { Shadow(m_r, shape, 1.5f, 2, 3, 0.7f); }

private:
    Rgb Color(Role role) const
    {
        switch (role) {
        case Role::Accent: return m_lit ? Hex(palette::Cyan) : Hex(0x2D6478);
        case Role::Hot: return m_lit ? Hex(palette::Orange) : Hex(0x7A5A3E);
        case Role::Dark: return Hex(0x0A0F15);
        default: return Hex(0x808080);
        }
    }

    Raster& m_r;
    bool m_lit;
};

void Joystick(IconPainter& p, float w, float h)
{
    float cx = w / 2;
    Sdf base = RoundBox(cx - 16, h - 13, cx + 16, h - 3, 4);
    Sdf stick = Segment(cx, h - 12, cx - 3, 11, 2.6f);
    Sdf ball = Circle(cx - 3, 9, 6);
    p.Shade(Union(base, ball));
    p.Paint(base, Role::Body);
    p.Paint(stick, Role::Body);
    p.Paint(ball, Role::Hot);
    p.Paint(Circle(cx + 10, h - 12, 3), Role::Accent);
}

void GameBox(IconPainter& p, float w, float h)
{
    float cx = w / 2;
    Sdf front = Polygon(Points { { cx - 15, 10 }, { cx + 7, 10 }, { cx + 7, h - 3 }, { cx - 15, h - 3 } });
    Sdf top = Polygon(Points { { cx - 15, 10 }, { cx - 7, 3 }, { cx + 15, 3 }, { cx + 7, 10 } });
    Sdf side = Polygon(Points { { cx + 7, 10 }, { cx + 15, 3 }, { cx + 15, h - 10 }, { cx + 7, h - 3 } });
    p.Shade(Union(front, side));
    p.Paint(front, Role::Body);
    p.Paint(top, Role::Accent);
    p.Paint(side, Role::Dark);
    p.Paint(RoundBox(cx - 12, 15, cx + 4, 22, 1), Role::Hot);
    p.Paint(Segment(cx - 11, h - 9, cx + 3, h - 9, 0.8f), Role::Dark);
}

void Star(IconPainter& p, float w, float h)
{
    float cx = w / 2, cy = h / 2 + 1, outer = std::min(w, h) / 2 - 3, inner = outer * 0.45f;
    Points points;
    for (int i = 0; i < 10; ++i) {
        float a = -3.14159f / 2 + i * 3.14159f / 5;
        float rad = (i % 2 == 0) ? outer : inner;
        points.push_back({ cx + std::cos(a) * rad, cy + std::sin(a) * rad });
    }
    Sdf star = Polygon(points);
    p.Shade(star);
    p.Paint(star, Role::Hot);
    p.Paint(Circle(cx + outer * 0.8f, cy - outer * 0.8f, 2.2f), Role::Accent);
    p.Paint(Circle(cx - outer * 0.9f, cy + outer * 0.6f, 1.6f), Role::Accent);
}

void CircularArrows(IconPainter& p, float w, float h)
{
    float cx = w / 2, cy = h / 2, radius = std::min(w, h) / 2 - 6;
    Sdf ring = Outline(Circle(cx, cy, radius), 2.6f);
    Sdf upper = Intersect(ring, [=](float x, float y) { return (y - cy) + (x - cx) * 0.3f - 2; });
    Sdf lower = Intersect(ring, [=](float x, float y) { return -((y - cy) + (x - cx) * 0.3f) - 2; });
    Sdf headA = Polygon(Points { { cx + radius - 6, cy + 1 }, { cx + radius + 6, cy + 1 }, { cx + radius, cy + 8 } });
    Sdf headB = Polygon(Points { { cx - radius - 6, cy - 1 }, { cx - radius + 6, cy - 1 }, { cx - radius, cy - 8 } });
    p.Shade(ring);
    p.Paint(Union(Subtract(upper, Circle(cx + radius, cy + 3, 4)), headB), Role::Accent);
    p.Paint(Union(Subtract(lower, Circle(cx - radius, cy - 3, 4)), headA), Role::Hot);
}

void Wrench(IconPainter& p, float w, float h)
{
    float cx = w / 2, cy = h / 2;
    float ax = cx - 11, ay = cy + 12, bx = cx + 7, by = cy - 6;
    Sdf handle = Segment(ax, ay, bx, by, 3.2f);
    Sdf head = Circle(bx + 3, by - 3, 8);
    Sdf jaw = Polygon(Points { { bx + 3, by - 3 }, { bx + 14, by - 8 }, { bx + 8, by - 14 } });
    Sdf wrench = Subtract(Union(handle, head), Union(jaw, Circle(bx + 6, by - 6, 3.5f)));
    p.Shade(wrench);
    p.Paint(wrench, Role::Body);
    p.Paint(Circle(ax + 2, ay - 2, 1.6f), Role::Dark);
    p.Paint(Segment(ax + 5, ay - 5, bx - 4, by + 4, 0.8f), Role::Accent);
}

void PenAndPaper(IconPainter& p, float w, float h)
{
    float cx = w / 2;
    Sdf paper = RoundBox(cx - 14, 5, cx + 8, h - 4, 2);
    p.Shade(paper);
    p.Paint(paper, Role::Body);
    for (int i = 0; i < 4; ++i)
        p.Paint(Segment(cx - 10, 13 + i * 7.0f, cx + 3, 13 + i * 7.0f, 0.7f), Role::Dark);
    Sdf pen = Segment(cx + 16, 6, cx - 2, h - 12, 2.6f);
    Sdf tip = Polygon(Points { { cx - 1, h - 15 }, { cx + 2, h - 12 }, { cx - 5, h - 7 } });
    p.Shade(pen);
    p.Paint(pen, Role::Hot);
    p.Paint(tip, Role::Accent);
}

void CameraAndFilm(IconPainter& p, float w, float h)
{
    Sdf strip = Polygon(Points { { 3, 10 }, { w - 8, 2 }, { w - 5, 14 }, { 6, 22 } });
    p.Shade(strip);
    p.Paint(strip, Role::Dark);
    for (int i = 0; i < 6; ++i) {
        float t = (i + 0.5f) / 6;
        float x = 5 + t * (w - 13), y = 10 + t * (2 - 10);
        p.Paint(RoundBox(x - 1.5f, y + 0.5f, x + 1.5f, y + 3.0f, 0.5f), Role::Accent);
        p.Paint(RoundBox(x - 1.5f, y + 8.5f, x + 1.5f, y + 11.0f, 0.5f), Role::Accent);
    }
    Sdf body = RoundBox(6, 22, w - 10, h - 4, 5);
    Sdf lens = Circle(w / 2 - 2, h - 15, 8);
    Sdf viewfinder = RoundBox(w - 12, 26, w - 3, h - 10, 2);
    p.Shade(Union(body, viewfinder));
    p.Paint(body, Role::Body);
    p.Paint(viewfinder, Role::Body);
    p.Paint(lens, Role::Dark);
    p.Paint(Outline(lens, 1.4f), Role::Accent);
    p.Paint(Circle(w / 2 - 4, h - 17, 2.2f), Role::Hot);
}

void Globe(IconPainter& p, float w, float h)
{
    float cx = w / 2, cy = h / 2, radius = std::min(w, h) / 2 - 4;
    Sdf disc = Circle(cx, cy, radius);
    p.Shade(disc);
    p.Paint(disc, Role::Dark);
    Sdf lines = Outline(disc, 1.4f);
    lines = Union(lines, Outline([=](float x, float y) { return std::hypot((x - cx) * 2.4f, y - cy) - radius; }, 1.1f));
    lines = Union(lines, Segment(cx, cy - radius, cx, cy + radius, 1.0f));
    lines = Union(lines, Segment(cx - radius, cy, cx + radius, cy, 1.0f));
    lines = Intersect(lines, Grow(disc, 1));
    lines = Union(lines, Intersect(Outline(Circle(cx, cy + radius * 1.6f, radius * 1.35f), 1.0f), disc));
    lines = Union(lines, Intersect(Outline(Circle(cx, cy - radius * 1.6f, radius * 1.35f), 1.0f), disc));
    p.Paint(lines, Role::Accent);
    p.Paint(Circle(cx + radius * 0.75f, cy - radius * 0.75f, 3.5f), Role::Hot);
}

void DiskWithCheck(IconPainter& p, float w, float h)
{
    float cx = w / 2;
    Sdf drive = RoundBox(cx - 17, 12, cx + 17, h - 6, 4);
    p.Shade(drive);
    p.Paint(drive, Role::Body);
    p.Paint(Segment(cx - 12, h - 13, cx + 4, h - 13, 1.0f), Role::Dark);
    p.Paint(Circle(cx + 11, h - 13, 2), Role::Hot);
    Sdf check = Union(Segment(cx - 9, 12, cx - 2, 19, 3), Segment(cx - 2, 19, cx + 13, 3, 3));
    p.Shade(check);
    p.Paint(check, Role::Accent);
}

}

Raster CategoryIcon(int index)
{
    const ImageListEntry& entry = ImageList1.at(static_cast<size_t>(index));
    Raster r(entry.width, entry.height, Hex(palette::Column));
    // The base index of each pair is drawn unlit, the next one lit.
    int base;
    void (*draw)(IconPainter&, float, float);
    if (index >= 2 && index <= 11) {
        base = index - (index % 2);
        static void (*const first[])(IconPainter&, float, float) = { Joystick, GameBox, Star, CircularArrows, Wrench };
        draw = first[(base - 2) / 2];
    } else if (index >= 21 && index <= 28) {
        base = index - ((index - 21) % 2);
        static void (*const second[])(IconPainter&, float, float) = { PenAndPaper, CameraAndFilm, Globe, DiskWithCheck };
        draw = second[(base - 21) / 2];
    } else {
        throw std::out_of_range("no category icon at index " + std::to_string(index));
    }
    IconPainter painter(r, index != base);
    draw(painter, float(entry.width), float(entry.height));
    // Glows fade out before the tile's border, which must be the column's colour.
    for (int y = 0; y < r.Height(); ++y)
        for (int x = 0; x < r.Width(); ++x) {
            float edge = float(std::min(std::min(x, r.Width() - 1 - x), std::min(y, r.Height() - 1 - y)));
            r.At(x, y) = Mix(Hex(palette::Column), r.At(x, y), Clamp01(edge / 3.0f));
        }
    return r;
}

}
