#pragma once

// Pictures of the program's own artwork embedded as PNG files, and the two ways windows draw
// them on a canvas: as they are, or cut into nine parts whose corners are kept and whose edges
// and middle stretch.

#include "platform/canvas/Canvas.h"
#include "platform/picture/Picture.h"
#include "platform/types/Geometry.h"

#include <optional>
#include <string_view>

namespace platform {

// The picture with its rows bottom-up, as a canvas reads its sources; nothing when it is not
// embedded or cannot be decoded.
std::optional<Picture> EmbeddedPicture(std::string_view name);

void DrawPicture(TCanvas& canvas, int x, int y, const Picture& picture);
// Corners (`corner` pixels each way) as drawn, edges and middle stretched to fill `dest`.
void DrawNineParts(TCanvas& canvas, const TRect& dest, const Picture& picture, int corner);

}
