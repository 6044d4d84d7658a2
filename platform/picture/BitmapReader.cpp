// Windows and OS/2 bitmap files: every depth, RLE4 and RLE8, bit fields, both row orders.
// Every size is checked against the file before anything is allocated, and anything that
// would make us guess (a run past its row, an index past the palette) rejects the file.

#include "platform/bytes/ByteReader.h"
#include "platform/picture/BitmapHeaders.h"
#include "platform/picture/Picture.h"
#include "platform/picture/RleDecoder.h"

#include <array>
#include <bit>
#include <cstring>
#include <cstdint>
#include <string>

namespace platform {

namespace {

namespace File = bitmap::FileHeader;
namespace Core = bitmap::CoreHeader;
namespace Info = bitmap::InfoHeader;
namespace HeaderBytes = bitmap::HeaderBytes;
namespace Compression = bitmap::Compression;
static_assert(Info::AlphaMask == Info::RedMask + 12, "the four masks lie side by side");

// No scanner or printer resolves finer than this; a larger density is a corrupt header.
constexpr int32_t MaxPelsPerMeter = 1000000;
// Real run-length pictures stay far below this many pixels per byte of data; a huge picture
// made of a few skip codes would only make us allocate for nothing.
constexpr uint64_t MaxRlePixelsPerByte = 256;

constexpr uint32_t Opaque = 0xFF000000u;

enum class Channel { Red,
    Green,
    Blue,
    Alpha };

struct Header {
    uint32_t headerBytes = 0;
    bool os2 = false; // OS/2 headers: 3-byte palette entries (1.x) or their own compressions (2.x)
    int32_t width = 0;
    int32_t height = 0; // always positive; topDown tells the row order
    bool topDown = false;
    uint16_t bitCount = 0;
    uint32_t compression = Compression::Rgb;
    uint32_t clrUsed = 0;
    std::array<uint32_t, 4> masks {}; // red, green, blue, alpha
    bool masksGiven = false;
    uint64_t headerEnd = 0; // first byte after the header and any separate masks
    uint64_t pixelOffset = 0;
};

struct ChannelField {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    uint8_t Extract(uint32_t value) const
    {
        uint32_t v = (value & mask) >> shift;
        if (bits >= 8)
            return static_cast<uint8_t>(v >> (bits - 8));
        uint32_t max = (1u << bits) - 1;
        return static_cast<uint8_t>((v * 255 + max / 2) / max);
    }
};

std::string Str(uint64_t value) { return std::to_string(value); }

[[noreturn]] void Fail(const std::string& message) { throw PictureError("bitmap: " + message); }

Header ReadHeader(const ByteReader& in)
{
    Header h;
    in.Require(0, File::Bytes, "file header");
    if (in.U8(File::Signature, "signature") != bitmap::Signature[0] || in.U8(File::Signature + 1, "signature") != bitmap::Signature[1])
        Fail("no \"BM\" signature");
    uint32_t declaredSize = in.U32(File::FileSize, "file size");
    if (declaredSize > in.Size())
        Fail("file is " + Str(in.Size()) + " bytes but its header says " + Str(declaredSize) + " (truncated?)");
    h.pixelOffset = in.U32(File::PixelOffset, "pixel data offset");

    const uint64_t info = File::Bytes;
    h.headerBytes = in.U32(info + Info::Size, "info header size");
    uint32_t planes = 0;
    switch (h.headerBytes) {
    case HeaderBytes::Core:
        in.Require(info, HeaderBytes::Core, "info header");
        h.os2 = true;
        h.width = in.U16(info + Core::Width, "width");
        h.height = in.U16(info + Core::Height, "height");
        planes = in.U16(info + Core::Planes, "planes");
        h.bitCount = in.U16(info + Core::BitCount, "bit count");
        break;
    case HeaderBytes::Os2Short:
    case HeaderBytes::Info:
    case HeaderBytes::V2:
    case HeaderBytes::V3:
    case HeaderBytes::Os2:
    case HeaderBytes::V4:
    case HeaderBytes::V5: {
        in.Require(info, h.headerBytes, "info header");
        h.os2 = h.headerBytes == HeaderBytes::Os2Short || h.headerBytes == HeaderBytes::Os2;
        h.width = in.I32(info + Info::Width, "width");
        int32_t height = in.I32(info + Info::Height, "height");
        planes = in.U16(info + Info::Planes, "planes");
        h.bitCount = in.U16(info + Info::BitCount, "bit count");
        if (height == INT32_MIN)
            Fail("height out of range");
        h.topDown = height < 0;
        h.height = height < 0 ? -height : height;
        if (h.headerBytes >= HeaderBytes::Info) {
            h.compression = in.U32(info + Info::Compression, "compression");
            h.clrUsed = in.U32(info + Info::ClrUsed, "colours used");
            uint32_t sizeImage = in.U32(info + Info::SizeImage, "image size");
            int32_t xDensity = in.I32(info + Info::XPelsPerMeter, "horizontal density");
            int32_t yDensity = in.I32(info + Info::YPelsPerMeter, "vertical density");
            if (xDensity < 0 || yDensity < 0 || xDensity > MaxPelsPerMeter || yDensity > MaxPelsPerMeter)
                Fail("pixel density " + std::to_string(xDensity) + " x " + std::to_string(yDensity) + " per metre is not plausible");
            if (h.pixelOffset <= in.Size() && sizeImage > in.Size() - h.pixelOffset)
                Fail("image size " + Str(sizeImage) + " exceeds the file");
        }
        break;
    }
    default:
        Fail("unknown info header size " + Str(h.headerBytes));
    }
    if (planes != 1)
        Fail("planes is " + Str(planes) + ", expected 1");
    h.headerEnd = info + h.headerBytes;
    return h;
}

void CheckGeometry(const Header& h)
{
    if (h.width <= 0 || h.height <= 0)
        Fail("size " + std::to_string(h.width) + " x " + std::to_string(h.height) + " is not a picture");
    if (h.width > MaxPictureSide || h.height > MaxPictureSide
        || static_cast<int64_t>(h.width) * h.height > MaxPicturePixels)
        Fail("size " + std::to_string(h.width) + " x " + std::to_string(h.height) + " is too large");
}

void CheckBitCount(const Header& h)
{
    switch (h.bitCount) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        Fail("unsupported bit count " + Str(h.bitCount));
    }
}

void CheckCompression(const Header& h)
{
    if (h.os2 && h.headerBytes == HeaderBytes::Os2 && (h.compression == Compression::BitFields || h.compression == Compression::Jpeg))
        Fail("OS/2 Huffman and RLE24 compression are not supported");
    switch (h.compression) {
    case Compression::Rgb:
        return;
    case Compression::Rle8:
    case Compression::Rle4:
        if (h.bitCount != (h.compression == Compression::Rle8 ? 8 : 4))
            Fail("run-length compression with bit count " + Str(h.bitCount));
        if (h.topDown)
            Fail("run-length compressed pictures cannot be top-down");
        return;
    case Compression::BitFields:
    case Compression::AlphaBitFields:
        if (h.bitCount != 16 && h.bitCount != 32)
            Fail("bit fields with bit count " + Str(h.bitCount));
        return;
    case Compression::Jpeg:
    case Compression::Png:
        Fail("embedded JPEG or PNG data is not supported");
    default:
        Fail("unknown compression " + Str(h.compression));
    }
}

void ReadMasks(const ByteReader& in, Header& h)
{
    if (h.compression != Compression::BitFields && h.compression != Compression::AlphaBitFields)
        return;
    h.masksGiven = true;
    uint64_t count = h.compression == Compression::AlphaBitFields ? 4 : 3;
    uint64_t at = File::Bytes + Info::RedMask;
    if (h.headerBytes == HeaderBytes::Info) {
        at = h.headerEnd; // masks follow a plain info header
        h.headerEnd += count * 4;
    } else if (h.headerBytes >= HeaderBytes::V3) {
        count = 4;
    }
    for (uint64_t i = 0; i < count; ++i)
        h.masks[i] = in.U32(at + i * 4, "colour masks");
    if (h.headerBytes == HeaderBytes::V2)
        h.masks[3] = 0;
}

void CheckMasks(const Header& h)
{
    static const char* names[] = { "red", "green", "blue", "alpha" };
    uint64_t limit = h.bitCount == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    uint32_t seen = 0;
    for (int i = 0; i < 4; ++i) {
        uint32_t m = h.masks[i];
        if (m == 0) {
            if (i < 3)
                Fail(std::string("empty ") + names[i] + " mask");
            continue;
        }
        uint32_t shifted = m >> std::countr_zero(m);
        if ((shifted & (shifted + 1)) != 0)
            Fail(std::string(names[i]) + " mask is not contiguous");
        if (m > limit)
            Fail(std::string(names[i]) + " mask lies outside the pixel");
        if (m & seen)
            Fail(std::string(names[i]) + " mask overlaps another");
        seen |= m;
    }
}

ChannelField FieldOf(uint32_t mask)
{
    ChannelField f;
    f.mask = mask;
    if (mask != 0) {
        f.shift = std::countr_zero(mask);
        f.bits = std::popcount(mask);
    }
    return f;
}

std::vector<uint32_t> ReadPalette(const ByteReader& in, const Header& h)
{
    const uint64_t entryBytes = h.headerBytes == HeaderBytes::Core ? bitmap::CorePaletteEntryBytes : bitmap::PaletteEntryBytes;
    const uint64_t depthEntries = uint64_t(1) << h.bitCount;
    if (h.pixelOffset < h.headerEnd)
        Fail("pixel data offset " + Str(h.pixelOffset) + " lies inside the header");
    const uint64_t room = (h.pixelOffset - h.headerEnd) / entryBytes;
    uint64_t count = h.clrUsed == 0 ? depthEntries : h.clrUsed;
    if (h.clrUsed == 0) {
        count = std::min(count, room); // implicit size: a shorter table is what the writer meant
    } else if (count > room) {
        Fail("palette of " + Str(count) + " colours does not fit before the pixel data");
    }
    in.Require(h.headerEnd, count * entryBytes, "palette");
    count = std::min(count, depthEntries);
    if (count == 0)
        Fail("no palette");
    std::vector<uint32_t> palette(count);
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* e = in.Bytes(h.headerEnd + i * entryBytes, entryBytes, "palette").data();
        palette[i] = Opaque | (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
    }
    return palette;
}

uint32_t PaletteColour(const std::vector<uint32_t>& palette, uint32_t index)
{
    if (index >= palette.size())
        Fail("palette index " + Str(index) + " outside the " + Str(palette.size()) + "-colour palette");
    return palette[index];
}

class PixelRows {
public:
    PixelRows(Picture& picture, bool topDown)
        : m_picture(picture)
        , m_topDown(topDown)
    {
    }
    // Row n in file order.
    uint32_t* FileRow(int n) const
    {
        int y = m_topDown ? n : m_picture.height - 1 - n;
        return m_picture.pixels.data() + static_cast<size_t>(y) * m_picture.width;
    }

private:
    Picture& m_picture;
    bool m_topDown;
};

void DecodeIndexed(const ByteReader& in, const Header& h, uint64_t stride, Picture& out)
{
    std::vector<uint32_t> palette = ReadPalette(in, h);
    PixelRows rows(out, h.topDown);
    const int bits = h.bitCount;
    const uint32_t indexMask = (1u << bits) - 1;
    for (int n = 0; n < h.height; ++n) {
        const uint8_t* src = in.Bytes(h.pixelOffset + n * stride, stride, "pixel data").data();
        uint32_t* dst = rows.FileRow(n);
        for (int x = 0; x < h.width; ++x) {
            uint64_t bit = uint64_t(x) * bits;
            uint32_t index = (src[bit / 8] >> (8 - bits - bit % 8)) & indexMask;
            dst[x] = PaletteColour(palette, index);
        }
    }
}

void DecodeTrueColour(const ByteReader& in, const Header& h, uint64_t stride, Picture& out)
{
    PixelRows rows(out, h.topDown);
    for (int n = 0; n < h.height; ++n) {
        const uint8_t* src = in.Bytes(h.pixelOffset + n * stride, stride, "pixel data").data();
        uint32_t* dst = rows.FileRow(n);
        for (int x = 0; x < h.width; ++x, src += 3)
            dst[x] = Opaque | (uint32_t(src[2]) << 16) | (uint32_t(src[1]) << 8) | src[0];
    }
}

void DecodeFields(const ByteReader& in, const Header& h, uint64_t stride, Picture& out)
{
    std::array<uint32_t, 4> masks = h.masks;
    if (!h.masksGiven)
        masks = h.bitCount == 16 ? std::array<uint32_t, 4> { 0x7C00, 0x03E0, 0x001F, 0 }
                                 : std::array<uint32_t, 4> { 0xFF0000, 0xFF00, 0xFF, 0xFF000000u };
    const ChannelField red = FieldOf(masks[0]), green = FieldOf(masks[1]), blue = FieldOf(masks[2]), alpha = FieldOf(masks[3]);
    const int bytes = h.bitCount / 8;
    PixelRows rows(out, h.topDown);
    uint32_t alphaSeen = 0;
    // The common layout is already ours: rows are copied whole.
    const bool native = bytes == 4 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF
        && (masks[3] == 0 || masks[3] == 0xFF000000u);
    for (int n = 0; native && n < h.height; ++n) {
        uint32_t* dst = rows.FileRow(n);
        std::memcpy(dst, in.Bytes(h.pixelOffset + n * stride, stride, "pixel data").data(), static_cast<size_t>(h.width) * 4);
        for (int x = 0; x < h.width; ++x) {
            alphaSeen |= dst[x];
            dst[x] |= masks[3] == 0 ? Opaque : 0;
        }
    }
    alphaSeen &= Opaque;
    for (int n = 0; !native && n < h.height; ++n) {
        const uint8_t* src = in.Bytes(h.pixelOffset + n * stride, stride, "pixel data").data();
        uint32_t* dst = rows.FileRow(n);
        for (int x = 0; x < h.width; ++x, src += bytes) {
            uint32_t v = bytes == 2 ? uint32_t(src[0] | (src[1] << 8))
                                    : uint32_t(src[0]) | (uint32_t(src[1]) << 8) | (uint32_t(src[2]) << 16) | (uint32_t(src[3]) << 24);
            uint32_t a = alpha.mask ? alpha.Extract(v) : 255u;
            alphaSeen |= a;
            dst[x] = (a << 24) | (uint32_t(red.Extract(v)) << 16) | (uint32_t(green.Extract(v)) << 8) | blue.Extract(v);
        }
    }
    out.hasAlpha = alpha.mask != 0;
    // An uncompressed 32-bit bitmap's fourth byte is only alpha when someone put values there.
    if (!h.masksGiven && alphaSeen == 0) {
        for (uint32_t& p : out.pixels)
            p |= Opaque;
        out.hasAlpha = false;
    }
}

// Run-length data may skip pixels: those stay transparent, and the picture then has alpha.
void DecodeRunLength(const ByteReader& in, const Header& h, Picture& out)
{
    std::vector<uint32_t> palette = ReadPalette(in, h);
    const size_t pixels = out.pixels.size();
    std::vector<uint8_t> indices(pixels), written(pixels);
    RleDecoder decoder(h.bitCount, h.width, h.height, RleDecoder::Overflow::Strict);
    RleOutcome outcome = decoder.Decode(in.Data().subspan(h.pixelOffset), indices, written);
    switch (outcome.stop) {
    case RleStop::EndOfBitmap:
        break;
    case RleStop::DataEnds:
        Fail("file ends inside the run-length data");
    case RleStop::PastLastRow:
        Fail("run-length data runs past the last row");
    case RleStop::PastRowEnd:
        Fail("run-length run passes the end of row " + Str(uint64_t(outcome.row)));
    case RleStop::SkipLeaves:
        Fail("run-length skip leaves the picture");
    }
    PixelRows rows(out, false);
    uint64_t count = 0;
    for (int y = 0; y < h.height; ++y) {
        uint32_t* dst = rows.FileRow(y);
        for (int x = 0; x < h.width; ++x) {
            size_t at = size_t(y) * size_t(h.width) + size_t(x);
            if (written[at]) {
                dst[x] = PaletteColour(palette, indices[at]);
                ++count;
            }
        }
    }
    out.hasAlpha = count < pixels;
}

Picture Decode(const ByteReader& in)
{
    Header h = ReadHeader(in);
    CheckGeometry(h);
    CheckCompression(h);
    CheckBitCount(h);
    ReadMasks(in, h);
    if (h.masksGiven)
        CheckMasks(h);
    if (h.pixelOffset < h.headerEnd || h.pixelOffset >= in.Size())
        Fail("pixel data offset " + Str(h.pixelOffset) + " lies outside the file's data");

    const bool rle = h.compression == Compression::Rle8 || h.compression == Compression::Rle4;
    const uint64_t pixels = static_cast<uint64_t>(h.width) * h.height;
    const uint64_t stride = bitmap::RowStride(static_cast<uint64_t>(h.width), h.bitCount);
    const uint64_t dataBytes = in.Size() - h.pixelOffset;
    if (rle) {
        if (pixels > dataBytes * MaxRlePixelsPerByte)
            Fail("run-length data of " + Str(dataBytes) + " bytes cannot hold a " + std::to_string(h.width) + " x " + std::to_string(h.height) + " picture");
    } else {
        in.Require(h.pixelOffset, stride * h.height, "pixel data");
    }

    Picture out;
    out.width = h.width;
    out.height = h.height;
    out.pixels.assign(pixels, 0);
    if (rle)
        DecodeRunLength(in, h, out);
    else if (h.bitCount <= 8)
        DecodeIndexed(in, h, stride, out);
    else if (h.bitCount == 24)
        DecodeTrueColour(in, h, stride, out);
    else
        DecodeFields(in, h, stride, out);
    return out;
}

}

Result<Picture> DecodeBitmap(std::span<const uint8_t> bytes, const std::string& file)
{
    return RefusedOn<PictureError>(file, [&]() -> Picture {
        try {
            return Decode(ByteReader(bytes));
        } catch (const ByteRangeError& e) {
            Fail("file ends inside the " + e.Field());
        }
    });
}

}
