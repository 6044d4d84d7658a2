// Uncompressed bottom-up bitmaps with a plain 40-byte header: what every reader accepts.

#include "platform/bytes/ByteWriter.h"
#include "platform/picture/BitmapHeaders.h"
#include "platform/picture/Picture.h"

#include <cstdint>
#include <string>

namespace platform {

namespace {

namespace File = bitmap::FileHeader;
namespace Info = bitmap::InfoHeader;
constexpr uint32_t PelsPerMeterAt96Dpi = 3780;

}

std::vector<uint8_t> BitmapHeaders(int width, int height, int bitsPerPixel, std::span<const uint32_t> palette)
{
    const uint64_t dataBytes = bitmap::RowStride(uint64_t(width), uint64_t(bitsPerPixel)) * uint64_t(height);
    const uint64_t offset = File::Bytes + bitmap::HeaderBytes::Info + palette.size() * bitmap::PaletteEntryBytes;
    if (offset + dataBytes > 0xFFFFFFFFu)
        throw PictureError("bitmap: picture too large for the format");

    ByteWriter out(File::Bytes + bitmap::HeaderBytes::Info);
    out.Put8(File::Signature, bitmap::Signature[0]);
    out.Put8(File::Signature + 1, bitmap::Signature[1]);
    out.Put32(File::FileSize, static_cast<uint32_t>(offset + dataBytes));
    out.Put32(File::PixelOffset, static_cast<uint32_t>(offset));
    out.Put32(File::Bytes + Info::Size, bitmap::HeaderBytes::Info);
    out.Put32(File::Bytes + Info::Width, static_cast<uint32_t>(width));
    out.Put32(File::Bytes + Info::Height, static_cast<uint32_t>(height));
    out.Put16(File::Bytes + Info::Planes, 1);
    out.Put16(File::Bytes + Info::BitCount, static_cast<uint16_t>(bitsPerPixel));
    out.Put32(File::Bytes + Info::SizeImage, static_cast<uint32_t>(dataBytes));
    out.Put32(File::Bytes + Info::XPelsPerMeter, PelsPerMeterAt96Dpi);
    out.Put32(File::Bytes + Info::YPelsPerMeter, PelsPerMeterAt96Dpi);
    out.Put32(File::Bytes + Info::ClrUsed, static_cast<uint32_t>(palette.size()));
    for (uint32_t colour : palette)
        out.Append32(colour & 0x00FFFFFFu);
    return out.Take();
}

std::vector<uint8_t> EncodeBitmap(const Picture& picture, int bitsPerPixel)
{
    if (bitsPerPixel != 24 && bitsPerPixel != 32)
        throw PictureError("bitmap: can only write 24 or 32 bits per pixel, not " + std::to_string(bitsPerPixel));
    if (picture.width <= 0 || picture.height <= 0 || picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height)
        throw PictureError("bitmap: nothing to write");
    const size_t bytesPerPixel = bitsPerPixel / 8;
    const size_t stride = bitmap::RowStride(picture.width, bitsPerPixel);
    std::vector<uint8_t> out = BitmapHeaders(picture.width, picture.height, bitsPerPixel);
    const size_t offset = out.size();
    out.resize(offset + stride * picture.height, 0);

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
