// Uncompressed bottom-up bitmaps with a plain 40-byte header: what every reader accepts.

#include "platform/picture/Picture.h"

#include <cstdint>
#include <string>

namespace platform {

namespace {

constexpr size_t FileHeaderBytes = 14;
constexpr size_t InfoHeaderBytes = 40;
constexpr size_t FileSignature = 0;
constexpr size_t FileSize = 2;
constexpr size_t FilePixelOffset = 10;
constexpr size_t InfoHeaderSize = FileHeaderBytes + 0;
constexpr size_t InfoWidth = FileHeaderBytes + 4;
constexpr size_t InfoHeight = FileHeaderBytes + 8;
constexpr size_t InfoPlanes = FileHeaderBytes + 12;
constexpr size_t InfoBitCount = FileHeaderBytes + 14;
constexpr size_t InfoSizeImage = FileHeaderBytes + 20;
constexpr size_t InfoXPelsPerMeter = FileHeaderBytes + 24;
constexpr size_t InfoYPelsPerMeter = FileHeaderBytes + 28;
constexpr uint32_t PelsPerMeterAt96Dpi = 3780;

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    Put16(out, at, v & 0xFFFF);
    Put16(out, at + 2, v >> 16);
}

}

std::vector<uint8_t> EncodeBitmap(const Picture& picture, int bitsPerPixel)
{
    if (bitsPerPixel != 24 && bitsPerPixel != 32)
        throw PictureError("bitmap: can only write 24 or 32 bits per pixel, not " + std::to_string(bitsPerPixel));
    if (picture.width <= 0 || picture.height <= 0 || picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height)
        throw PictureError("bitmap: nothing to write");
    const size_t bytesPerPixel = bitsPerPixel / 8;
    const size_t stride = (picture.width * bytesPerPixel + 3) / 4 * 4;
    const size_t dataBytes = stride * picture.height;
    const size_t offset = FileHeaderBytes + InfoHeaderBytes;
    if (offset + dataBytes > 0xFFFFFFFFu)
        throw PictureError("bitmap: picture too large for the format");

    std::vector<uint8_t> out(offset + dataBytes, 0);
    out[FileSignature] = 'B';
    out[FileSignature + 1] = 'M';
    Put32(out, FileSize, static_cast<uint32_t>(out.size()));
    Put32(out, FilePixelOffset, static_cast<uint32_t>(offset));
    Put32(out, InfoHeaderSize, InfoHeaderBytes);
    Put32(out, InfoWidth, static_cast<uint32_t>(picture.width));
    Put32(out, InfoHeight, static_cast<uint32_t>(picture.height));
    Put16(out, InfoPlanes, 1);
    Put16(out, InfoBitCount, static_cast<uint32_t>(bitsPerPixel));
    Put32(out, InfoSizeImage, static_cast<uint32_t>(dataBytes));
    Put32(out, InfoXPelsPerMeter, PelsPerMeterAt96Dpi);
    Put32(out, InfoYPelsPerMeter, PelsPerMeterAt96Dpi);

    for (int y = 0; y < picture.height; ++y) {
        uint8_t* dst = out.data() + offset + static_cast<size_t>(picture.height - 1 - y) * stride;
        const uint32_t* src = picture.pixels.data() + static_cast<size_t>(y) * picture.width;
        for (int x = 0; x < picture.width; ++x, dst += bytesPerPixel) {
            uint32_t p = src[x];
            dst[0] = static_cast<uint8_t>(p);
            dst[1] = static_cast<uint8_t>(p >> 8);
            dst[2] = static_cast<uint8_t>(p >> 16);
            if (bytesPerPixel == 4)
                dst[3] = static_cast<uint8_t>(p >> 24);
        }
    }
    return out;
}

}
