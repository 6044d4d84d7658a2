#pragma once

// How DrawTextA places text, apart from any font: line breaks, "&" prefixes, tab stops, word
// wrapping and the measured size. The canvas feeds it a font's advances and paints the result.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

struct TextMeasure {
    std::array<int, 256> advances {}; // by code page 1250 byte
    int lineHeight = 0;
    int aveCharWidth = 0;
};

struct PlacedChar {
    uint8_t byte = 0;
    int x = 0; // from the line's start
    bool underlined = false;
};

struct TextLine {
    std::vector<PlacedChar> chars;
    int width = 0;
};

struct TextLayout {
    std::vector<TextLine> lines;
    int width = 0;  // widest line
    int height = 0; // lines x line height
};

// maxWidth only matters with DT_WORDBREAK.
TextLayout LayOutText(std::string_view text, int maxWidth, uint32_t flags, const TextMeasure& measure);

}
