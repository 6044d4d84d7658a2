#include "shelf/form/ShelfLook.h"

#include "platform/window/ArtPictures.h"
#include "shelf/form/ShelfArt.h"

namespace {

using namespace shelf::art;

constexpr TColor Bgr(unsigned rgb)
{
    return static_cast<TColor>((rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF));
}

void Flat(platform::TCanvas& canvas, const TRect& rect, unsigned rgb)
{
    canvas.Brush.Style = platform::BrushStyle::Solid;
    canvas.Brush.Color = Bgr(rgb);
    canvas.FillRect(rect);
}

}

ShelfLook::ShelfLook()
    : m_background(platform::EmbeddedPicture(BackgroundResource))
    , m_row(platform::EmbeddedPicture(RowResource))
    , m_greyedRow(platform::EmbeddedPicture(GreyedRowResource))
    , m_search(platform::EmbeddedPicture(SearchResource))
{
}

void ShelfLook::PaintBackground(platform::TCanvas& canvas) const
{
    if (m_background)
        platform::DrawPicture(canvas, 0, 0, *m_background);
    else
        Flat(canvas, { 0, 0, WindowWidth, WindowHeight }, ListGround);
}

void ShelfLook::PaintSearchField(platform::TCanvas& canvas) const
{
    const TRect field { SearchLeft, SearchTop, SearchRight, SearchBottom };
    if (m_search)
        platform::DrawNineParts(canvas, field, *m_search, SearchCorner);
    else
        Flat(canvas, field, 0x05080C);
}

void ShelfLook::PaintRow(platform::TCanvas& canvas, const TRect& rect, bool chosen, bool greyed) const
{
    if (!chosen && !greyed)
        return;
    const std::optional<platform::Picture>& plate = chosen ? m_row : m_greyedRow;
    if (plate)
        platform::DrawNineParts(canvas, rect, *plate, RowCorner);
    else
        Flat(canvas, rect, chosen ? 0x1E3A52 : 0x141A21);
}
