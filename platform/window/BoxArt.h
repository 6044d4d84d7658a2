#pragma once

// The pictures of the program's own boxes, which the artwork generator draws and embeds with
// the menu's artwork (PNG files), and how the box painter cuts them: each is a square or
// rectangle whose corners (Corner pixels each way) are kept and whose edges and middle stretch.

#include <array>
#include <string_view>

namespace platform {

inline constexpr std::string_view BoxFrameResource = "art/Box/Frame.png";
inline constexpr std::string_view BoxButtonResource = "art/Box/Button.png";
inline constexpr std::string_view BoxButtonFocusedResource = "art/Box/ButtonFocused.png";
inline constexpr std::string_view BoxButtonPressedResource = "art/Box/ButtonPressed.png";

inline constexpr std::array<std::string_view, 4> BoxPictureResources { BoxFrameResource, BoxButtonResource,
    BoxButtonFocusedResource, BoxButtonPressedResource };

inline constexpr int BoxFrameSize = 48;
inline constexpr int BoxFrameCorner = 18;
inline constexpr int BoxButtonWidth = 40;
inline constexpr int BoxButtonHeight = 26;
inline constexpr int BoxButtonCorner = 8;

}
