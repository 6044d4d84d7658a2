#pragma once

// A bitmap's info header written field by field, so that tests can build bitmap files and AVI
// video formats with any values, sound or not.

#include "platform/bytes/ByteWriter.h"
#include "platform/picture/BitmapHeaders.h"

#include <cstdint>
#include <vector>

namespace torva::test {

// A two by two picture of eight bits a pixel, unless a test says otherwise.
struct InfoHeaderFields {
    int32_t width = 2, height = 2;
    uint16_t bitCount = 8;
    uint32_t compression = 0, clrUsed = 0;
};

inline void AppendInfoHeader(platform::ByteWriter& out, const InfoHeaderFields& f)
{
    using namespace platform::bitmap;
    const uint64_t at = out.Size();
    out.AppendBytes(std::vector<uint8_t>(HeaderBytes::Info, 0));
    out.Put32(at + InfoHeader::Size, HeaderBytes::Info);
    out.Put32(at + InfoHeader::Width, static_cast<uint32_t>(f.width));
    out.Put32(at + InfoHeader::Height, static_cast<uint32_t>(f.height));
    out.Put16(at + InfoHeader::Planes, 1);
    out.Put16(at + InfoHeader::BitCount, f.bitCount);
    out.Put32(at + InfoHeader::Compression, f.compression);
    out.Put32(at + InfoHeader::ClrUsed, f.clrUsed);
}

// Palette entries as stored: blue, green, red, unused.
inline void AppendPalette(platform::ByteWriter& out, const std::vector<uint32_t>& palette)
{
    for (uint32_t colour : palette)
        out.Append32(colour);
}

}
