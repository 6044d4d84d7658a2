#pragma once

// Run-length coded pixel indices, as bitmaps and AVI frames store them: runs of one index,
// literal stretches padded to 16 bits, and end-of-line, skip and end-of-bitmap codes; 8 or 4 bits
// to a pixel. Rows count from the first one stored, the picture's bottom row.

#include <cstdint>
#include <span>

namespace platform {

// Codes that start with a zero byte; any other first byte is the length of a run.
namespace RleCode {
constexpr uint8_t Escape = 0;
constexpr uint8_t EndOfLine = 0;
constexpr uint8_t EndOfBitmap = 1;
constexpr uint8_t Skip = 2; // then columns and rows to move
}

enum class RleStop {
    EndOfBitmap,
    DataEnds,    // the data ran out first, also in the middle of a code
    PastLastRow, // a pixel above the last row (strict only)
    PastRowEnd,  // a run or literal passed the end of its row (strict only)
    SkipLeaves,  // a skip left the picture (strict only)
};

struct RleOutcome {
    RleStop stop = RleStop::EndOfBitmap;
    int64_t row = 0; // where decoding stopped
};

class RleDecoder {
public:
    // Strict stops at the first pixel outside the grid: a picture file whose data would leave
    // us guessing. Clip drops such pixels and ends at the top of the grid, as video players
    // draw a damaged frame.
    enum class Overflow { Strict,
        Clip };

    RleDecoder(int bitsPerPixel, int width, int height, Overflow overflow);

    // Writes each coded pixel's index into `indices` (width x height, row 0 first) and marks it
    // in `written` when that is not empty; pixels the data skips keep what they held.
    RleOutcome Decode(std::span<const uint8_t> data, std::span<uint8_t> indices, std::span<uint8_t> written = {});

private:
    bool Next();
    bool Put(uint8_t index);
    bool Run(uint8_t count, uint8_t value);
    bool Literal(uint8_t count);
    bool SkipAhead();
    bool Stop(RleStop stop);

    int m_bits;
    int64_t m_width;
    int64_t m_height;
    Overflow m_overflow;
    std::span<const uint8_t> m_data;
    std::span<uint8_t> m_indices;
    std::span<uint8_t> m_written;
    size_t m_pos = 0;
    int64_t m_x = 0;
    int64_t m_y = 0;
    RleStop m_stop = RleStop::EndOfBitmap;
};

}
