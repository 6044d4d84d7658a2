#pragma once

// A view of 32-bit pixel memory that the platform draws into (canvas, text, presents) without
// owning it. Memory order of a pixel: blue, green, red, fourth byte. Rows are stored bottom-up
// (the first row in memory is the bottom row of the picture) with no padding, as the surfaces
// keep them.

#include <cstdint>

struct PixelView {
    uint8_t* bits = nullptr;
    int width = 0;
    int height = 0;

    bool IsEmpty() const { return bits == nullptr || width <= 0 || height <= 0; }

    // Row y counted from the top of the picture.
    uint32_t* Row(int y) const
    {
        return reinterpret_cast<uint32_t*>(bits) + static_cast<int64_t>(height - 1 - y) * width;
    }
    uint32_t& At(int x, int y) const { return Row(y)[x]; }
};
