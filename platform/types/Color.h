#pragma once

// Colour references are 0x00BBGGRR, as the window system keeps them; surface pixels are
// 0xMMRRGGBB read as a little-endian word (blue first in memory). Converting swaps the low
// and the third byte.

#include <cstdint>

using TColor = int32_t;

constexpr TColor RGB(uint8_t r, uint8_t g, uint8_t b)
{
    return static_cast<TColor>(r | (g << 8) | (b << 16));
}

constexpr uint8_t GetRValue(TColor c) { return static_cast<uint8_t>(c); }
constexpr uint8_t GetGValue(TColor c) { return static_cast<uint8_t>(c >> 8); }
constexpr uint8_t GetBValue(TColor c) { return static_cast<uint8_t>(c >> 16); }

// 0x00BBGGRR <-> 0x00RRGGBB: the fourth byte is kept as it is.
constexpr uint32_t SwapRedBlue(uint32_t value)
{
    return (value & 0xFF00FF00u) | ((value & 0xFFu) << 16) | ((value >> 16) & 0xFFu);
}
