// The pictures of the shelf's window: its background with the frame, title and rules, a row
// lit for the selection, a greyed row, and the search field. The row and field pictures are
// cut into nine parts where they are drawn, so along a stretched edge nothing changes in the
// stretched direction; they are as tall as where they go, so their shading may follow y.

#include "tools/artwork/Art.h"

#include "shelf/form/ShelfArt.h"
#include "tools/artwork/Geometry.h"

#include <array>

namespace artwork {

namespace {

using namespace shelf::art;

constexpr float Band = 8; // the metal frame's width

// The header's ground behind the title and the search field: a light fading to the list's.
Rgb HeaderGround(int y)
{
    return Mix(Hex(palette::ScreenMid), Hex(ListGround), Clamp01((y - Band) / float(ListTop - Band)));
}

void Brackets(Raster& r, float x0, float y0, float x1, float y1)
{
    const float arm = 11;
    for (auto [x, y, dx, dy] : { std::array<float, 4> { x0, y0, 1, 1 }, { x1, y0, -1, 1 }, { x0, y1, 1, -1 }, { x1, y1, -1, -1 } }) {
        Sdf bracket = Union(Segment(x, y, x + dx * arm, y, 1.1f), Segment(x, y, x, y + dy * arm, 1.1f));
        Fill(r, bracket, Hex(palette::Orange));
        Glow(r, bracket, Hex(palette::Orange), 3, 0.4f);
    }
}

Raster Background()
{
    const float w = WindowWidth, h = WindowHeight;
    Raster r(WindowWidth, WindowHeight, Hex(0x05080C));
    Sdf body = RoundBox(0, 0, w, h, 4);
    FillWith(r, body, [&](int x, int y, float) {
        float grain = BrushedNoise(x, y, 7) * 0.08f;
        return Mix(Hex(palette::Steel), Hex(palette::SteelDark), 0.3f + 0.3f * y / h + grain);
    });
    Bevel(r, body, 2.5f, 0.8f);
    Sdf well = RoundBox(Band, Band, w - Band, h - Band, 6);
    Fill(r, Grow(well, 2), Hex(0x0C1117));
    FillWith(r, well, [&](int, int y, float) { return y < ListTop ? HeaderGround(y) : Hex(ListGround); });
    Bevel(r, Grow(well, 2), 2, -0.8f);
    Glow(r, Outline(well, 0.5f), Hex(palette::Cyan), 3, 0.35f);
    // The title, and the cyan rule under the header that keeps off the list.
    GlowText(r, "TORVA CD v2  \xB7  POLICE DISK\xD9", LetteringFace, 17, true, w / 2, 22, Hex(0xD8FBFF), Hex(palette::Cyan));
    Sdf rule = Segment(SearchLeft, ListTop - 4, SearchRight, ListTop - 4, 0.6f);
    Box header { 0, 0, WindowWidth, ListTop - 1 };
    Fill(r, rule, Hex(palette::Cyan), 0.9f, header);
    Glow(r, rule, Hex(palette::Cyan), 2, 0.5f, header);
    Fill(r, Segment(SearchLeft, FooterTop - 2, SearchRight, FooterTop - 2, 0.5f), Hex(palette::SteelLight), 0.6f,
        { 0, ListBottom, WindowWidth, WindowHeight });
    Brackets(r, Band + 4, Band + 4, w - Band - 4, h - Band - 4);
    return r;
}

// A row: a plate on the list's ground with a bar at its left end.
Raster RowPicture(bool lit)
{
    const int w = RowPictureWidth, hgt = RowPictureHeight;
    Raster r(w, hgt, Hex(ListGround));
    Sdf plate = RoundBox(0.5f, 2, w - 0.5f, hgt - 2, 6);
    FillWith(r, plate, [&](int, int y, float) {
        float t = Clamp01(y / float(hgt));
        return lit ? Mix(Hex(0x1E3A52), Hex(0x132536), t) : Mix(Hex(0x141A21), Hex(0x0F141A), t);
    });
    Bevel(r, plate, 1.5f, lit ? 0.6f : 0.3f);
    const Rgb edge = lit ? Hex(palette::Cyan) : Hex(0x3A424C);
    Fill(r, Outline(plate, 0.5f), edge, lit ? 0.8f : 0.7f);
    if (lit)
        Glow(r, Outline(plate, 0.5f), edge, 2, 0.4f);
    Sdf bar = RoundBox(3, 7, 6, hgt - 7, 1.5f);
    Fill(r, bar, lit ? Hex(palette::Orange) : Hex(0x5A626C));
    return r;
}

// The search field: sunk into the header, with a cyan edge.
Raster SearchPicture()
{
    const int w = SearchPictureWidth, hgt = SearchPictureHeight;
    Raster r(w, hgt);
    for (int y = 0; y < hgt; ++y)
        for (int x = 0; x < w; ++x)
            r.At(x, y) = HeaderGround(SearchTop + y);
    Sdf field = RoundBox(0.5f, 0.5f, w - 0.5f, hgt - 0.5f, 5);
    FillWith(r, field, [&](int, int y, float) { return Mix(Hex(0x05080C), Hex(0x0C1117), Clamp01(y / float(hgt))); });
    Bevel(r, field, 2, -0.8f);
    Fill(r, Outline(field, 0.5f), Hex(palette::Cyan), 0.55f);
    return r;
}

}

std::vector<NamedRaster> ShelfPictures()
{
    return { { std::string(BackgroundResource), Background() }, { std::string(RowResource), RowPicture(true) },
        { std::string(GreyedRowResource), RowPicture(false) }, { std::string(SearchResource), SearchPicture() } };
}

}
