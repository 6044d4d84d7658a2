#pragma once

// A picture a pixel test owns: 32-bit pixels, all one colour to begin with, and the view that
// addresses them.

#include "platform/types/PixelView.h"

#include <cstdint>
#include <vector>

namespace torva::test {

struct PixelBuffer {
    PixelBuffer(int width, int height, uint32_t fill = 0)
        : pixels(static_cast<size_t>(width) * height, fill)
        , view { reinterpret_cast<uint8_t*>(pixels.data()), width, height }
    {
    }
    // The view points into this buffer's own pixels.
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;

    std::vector<uint32_t> pixels;
    PixelView view;
};

}
