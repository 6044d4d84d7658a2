#pragma once

// One face at one pixel size, rendering glyphs as one-bit masks: text never blends with what is
// under it, so a colour-keyed working surface keeps exactly its key or exactly the text colour.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace platform {

struct Glyph {
    int left = 0; // from the pen position to the first column
    int top = 0;  // from the baseline up to the first row
    int width = 0;
    int rows = 0;
    int pitch = 0; // bytes per row of `bits`, most significant bit first
    int advance = 0;
    std::vector<uint8_t> bits;

    bool Covers(int x, int y) const { return (bits[y * pitch + (x >> 3)] >> (7 - (x & 7))) & 1; }
};

struct FontMetrics {
    int ascent = 0;
    int descent = 0;
    int height = 0; // ascent + descent: the cell height of a line
    int internalLeading = 0;
    int aveCharWidth = 0;
    int underlinePosition = 0; // rows below the baseline
    int underlineThickness = 1;
    int strikeoutPosition = 0; // rows above the baseline
};

struct FontMatch;

// The character set whose fonts map each byte into the private-use range.
inline constexpr uint8_t SymbolCharsetValue = 2;

class SizedFont {
public:
    // height as the window system takes it: negative = character height, positive = cell height.
    static std::shared_ptr<SizedFont> Create(const FontMatch& match, int height, bool bold, bool italic, uint8_t charset);
    // A face without glyphs, for when no font file can be opened at all.
    static std::shared_ptr<SizedFont> Empty(int height);
    ~SizedFont();

    const FontMetrics& Metrics() const { return m_metrics; }
    // The glyph of a code page 1250 byte (or a symbol font's byte).
    const Glyph& ByteGlyph(uint8_t byte);
    int ByteAdvance(uint8_t byte) { return ByteGlyph(byte).advance; }
    // Every byte's advance, for laying out text without asking glyph by glyph.
    const std::array<int, 256>& Advances();

private:
    struct Impl;
    SizedFont() = default;
    Glyph Render(uint8_t byte);

    std::unique_ptr<Impl> m_impl;
    FontMetrics m_metrics;
    std::array<std::optional<Glyph>, 256> m_glyphs;
    std::optional<std::array<int, 256>> m_advances;
};

}
