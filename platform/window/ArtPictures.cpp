#include "platform/window/ArtPictures.h"

#include "platform/resources/Resources.h"

#include <algorithm>

namespace platform {

namespace {

Picture BottomUp(Picture picture)
{
    for (int y = 0; y < picture.height / 2; ++y)
        std::swap_ranges(picture.pixels.begin() + static_cast<ptrdiff_t>(y) * picture.width,
            picture.pixels.begin() + static_cast<ptrdiff_t>(y + 1) * picture.width,
            picture.pixels.begin() + static_cast<ptrdiff_t>(picture.height - 1 - y) * picture.width);
    return picture;
}

PixelView ViewOf(const Picture& picture)
{
    return { reinterpret_cast<uint8_t*>(const_cast<uint32_t*>(picture.pixels.data())), picture.width, picture.height };
}

}

std::optional<Picture> EmbeddedPicture(std::string_view name)
{
    auto bytes = FindResource(name);
    if (!bytes)
        return std::nullopt;
    auto picture = DecodePng(*bytes, std::string(name));
    if (!picture)
        return std::nullopt;
    return BottomUp(std::move(*picture));
}

void DrawPicture(TCanvas& canvas, int x, int y, const Picture& picture)
{
    canvas.CopyRect({ x, y, x + picture.width, y + picture.height }, ViewOf(picture), { 0, 0, picture.width, picture.height });
}

void DrawNineParts(TCanvas& canvas, const TRect& dest, const Picture& picture, int corner)
{
    const PixelView source = ViewOf(picture);
    const int sx[4] = { 0, corner, picture.width - corner, picture.width };
    const int sy[4] = { 0, corner, picture.height - corner, picture.height };
    const int dx[4] = { dest.Left, dest.Left + corner, dest.Right - corner, dest.Right };
    const int dy[4] = { dest.Top, dest.Top + corner, dest.Bottom - corner, dest.Bottom };
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            canvas.CopyRect({ dx[column], dy[row], dx[column + 1], dy[row + 1] }, source,
                { sx[column], sy[row], sx[column + 1], sy[row + 1] });
}

}
