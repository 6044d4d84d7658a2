#pragma once

// The headers of Windows bitmaps: the file header, then the info header (or the OS/2 1.x core
// header), which on its own also starts packed bitmaps on the clipboard and the video format of
// AVI clips. Field offsets count from the start of their own header.

#include <cstdint>

namespace platform::bitmap {

namespace FileHeader {
constexpr uint64_t Signature = 0; // "BM"
constexpr uint64_t FileSize = 2;
constexpr uint64_t PixelOffset = 10;
constexpr uint64_t Bytes = 14;
}
constexpr uint8_t Signature[2] = { 'B', 'M' };

// OS/2 1.x: sizes in 16 bits, 3-byte palette entries.
namespace CoreHeader {
constexpr uint64_t Size = 0;
constexpr uint64_t Width = 4;
constexpr uint64_t Height = 6;
constexpr uint64_t Planes = 8;
constexpr uint64_t BitCount = 10;
}

namespace InfoHeader {
constexpr uint64_t Size = 0;
constexpr uint64_t Width = 4;
constexpr uint64_t Height = 8; // negative: rows stored top-down
constexpr uint64_t Planes = 12;
constexpr uint64_t BitCount = 14;
constexpr uint64_t Compression = 16;
constexpr uint64_t SizeImage = 20;
constexpr uint64_t XPelsPerMeter = 24;
constexpr uint64_t YPelsPerMeter = 28;
constexpr uint64_t ClrUsed = 32;
constexpr uint64_t RedMask = 40; // in the longer headers; red, green, blue, alpha side by side
constexpr uint64_t AlphaMask = 52;
}

// The header's size tells its version.
namespace HeaderBytes {
enum : uint32_t { Core = 12,
    Os2Short = 16,
    Info = 40,
    V2 = 52,
    V3 = 56,
    Os2 = 64,
    V4 = 108,
    V5 = 124 };
}

namespace Compression {
enum : uint32_t { Rgb = 0,
    Rle8 = 1,
    Rle4 = 2,
    BitFields = 3,
    Jpeg = 4,
    Png = 5,
    AlphaBitFields = 6 };
}

constexpr uint64_t PaletteEntryBytes = 4; // blue, green, red, unused
constexpr uint64_t CorePaletteEntryBytes = 3;
// Three masks follow a plain info header with bit-field compression.
constexpr uint64_t SeparateMaskBytes = 12;

// Rows are padded to whole 32-bit words.
constexpr uint64_t RowStride(uint64_t width, uint64_t bitCount) { return (width * bitCount + 31) / 32 * 4; }

}
