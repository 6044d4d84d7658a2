#pragma once

// The shelf window's pictures, which the artwork generator draws and embeds with the menu's
// artwork (PNG files), and the places the window and the pictures share: the background is the
// whole window, with a flat list area the row pictures join without a seam; the row and search
// field pictures are cut into nine parts (Corner pixels each way kept, the rest stretched).

#include <array>
#include <string_view>

namespace shelf::art {

inline constexpr std::string_view BackgroundResource = "art/Shelf/Background.png";
inline constexpr std::string_view RowResource = "art/Shelf/Row.png";
inline constexpr std::string_view GreyedRowResource = "art/Shelf/RowGreyed.png";
inline constexpr std::string_view SearchResource = "art/Shelf/Search.png";

inline constexpr std::array<std::string_view, 4> Resources { BackgroundResource, RowResource, GreyedRowResource, SearchResource };

inline constexpr int WindowWidth = 640;
inline constexpr int WindowHeight = 480;
// Inside the frame's band: the search field under the title, the rows, and the help line.
inline constexpr int SearchLeft = 16, SearchTop = 38, SearchRight = 624, SearchBottom = 64;
inline constexpr int ListLeft = 12, ListTop = 72, ListRight = 628, ListBottom = 450;
inline constexpr int FooterTop = 454;
inline constexpr int RowHeight = 42;

inline constexpr int RowPictureWidth = 48;
inline constexpr int RowPictureHeight = RowHeight;
inline constexpr int RowCorner = 10;
inline constexpr int SearchPictureWidth = 40;
inline constexpr int SearchPictureHeight = SearchBottom - SearchTop;
inline constexpr int SearchCorner = 9;

// The list area's flat colour, 0xRRGGBB.
inline constexpr unsigned ListGround = 0x0A121C;

}
