// Windows and OS/2 bitmap files: every depth, RLE4 and RLE8, bit fields, both row orders.
// Every size is checked against the file before anything is allocated, and anything that
// would make us guess (a run past its row, an index past the palette) rejects the file.

#include "platform/picture/ByteSpan.h"
#include "platform/picture/Picture.h"

#include <array>
#include <bit>
#include <cstring>
#include <cstdint>
#include <string>

namespace platform {

namespace {

using picture_detail::ByteSpan;

// File header.
constexpr uint64_t FileHeaderSize = 14;
constexpr uint64_t FileSignature = 0;
constexpr uint64_t FileSize = 2;
constexpr uint64_t FilePixelOffset = 10;

// Info header, offsets from its start (FileHeaderSize).
constexpr uint64_t InfoHeaderSize = 0;
constexpr uint64_t CoreWidth = 4; // 16-bit fields in the OS/2 1.x header
constexpr uint64_t CoreHeight = 6;
constexpr uint64_t CorePlanes = 8;
constexpr uint64_t CoreBitCount = 10;
constexpr uint64_t InfoWidth = 4;
constexpr uint64_t InfoHeight = 8;
constexpr uint64_t InfoPlanes = 12;
constexpr uint64_t InfoBitCount = 14;
constexpr uint64_t InfoCompression = 16;
constexpr uint64_t InfoSizeImage = 20;
constexpr uint64_t InfoXPelsPerMeter = 24;
constexpr uint64_t InfoYPelsPerMeter = 28;
constexpr uint64_t InfoClrUsed = 32;
constexpr uint64_t InfoRedMask = 40;
constexpr uint64_t InfoAlphaMask = 52;
static_assert(InfoAlphaMask == InfoRedMask + 12, "the four masks lie side by side");

constexpr uint32_t CoreHeaderBytes = 12;
constexpr uint32_t Os2ShortHeaderBytes = 16;
constexpr uint32_t InfoHeaderBytes = 40;
constexpr uint32_t V2HeaderBytes = 52;
constexpr uint32_t V3HeaderBytes = 56;
constexpr uint32_t Os2HeaderBytes = 64;
constexpr uint32_t V4HeaderBytes = 108;
constexpr uint32_t V5HeaderBytes = 124;

constexpr uint32_t BiRgb = 0;
constexpr uint32_t BiRle8 = 1;
constexpr uint32_t BiRle4 = 2;
constexpr uint32_t BiBitFields = 3;
constexpr uint32_t BiJpeg = 4;
constexpr uint32_t BiPng = 5;
constexpr uint32_t BiAlphaBitFields = 6;

// No scanner or printer resolves finer than this; a larger density is a corrupt header.
constexpr int32_t MaxPelsPerMeter = 1000000;
// Real run-length pictures stay far below this many pixels per byte of data; a huge picture
// made of a few skip codes would only make us allocate for nothing.
constexpr uint64_t MaxRlePixelsPerByte = 256;

constexpr uint32_t Opaque = 0xFF000000u;

enum class Channel { Red, Green, Blue, Alpha };

struct Header {
    uint32_t headerBytes = 0;
    bool os2 = false; // OS/2 headers: 3-byte palette entries (1.x) or their own compressions (2.x)
    int32_t width = 0;
    int32_t height = 0; // always positive; topDown tells the row order
    bool topDown = false;
    uint16_t bitCount = 0;
    uint32_t compression = BiRgb;
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

Header ReadHeader(const ByteSpan& in)
{
    Header h;
    in.Require(0, FileHeaderSize, "file header");
    if (in.U8(FileSignature, "signature") != 'B' || in.U8(FileSignature + 1, "signature") != 'M')
        in.Fail("no \"BM\" signature");
    uint32_t declaredSize = in.U32(FileSize, "file size");
    if (declaredSize > in.Size())
        in.Fail("file is " + Str(in.Size()) + " bytes but its header says " + Str(declaredSize) + " (truncated?)");
    h.pixelOffset = in.U32(FilePixelOffset, "pixel data offset");

    const uint64_t info = FileHeaderSize;
    h.headerBytes = in.U32(info + InfoHeaderSize, "info header size");
    uint32_t planes = 0;
    switch (h.headerBytes) {
    case CoreHeaderBytes:
        in.Require(info, CoreHeaderBytes, "info header");
        h.os2 = true;
        h.width = in.U16(info + CoreWidth, "width");
        h.height = in.U16(info + CoreHeight, "height");
        planes = in.U16(info + CorePlanes, "planes");
        h.bitCount = in.U16(info + CoreBitCount, "bit count");
        break;
    case Os2ShortHeaderBytes:
    case InfoHeaderBytes:
    case V2HeaderBytes:
    case V3HeaderBytes:
    case Os2HeaderBytes:
    case V4HeaderBytes:
    case V5HeaderBytes: {
        in.Require(info, h.headerBytes, "info header");
        h.os2 = h.headerBytes == Os2ShortHeaderBytes || h.headerBytes == Os2HeaderBytes;
        h.width = in.I32(info + InfoWidth, "width");
        int32_t height = in.I32(info + InfoHeight, "height");
        planes = in.U16(info + InfoPlanes, "planes");
        h.bitCount = in.U16(info + InfoBitCount, "bit count");
        if (height == INT32_MIN)
            in.Fail("height out of range");
        h.topDown = height < 0;
        h.height = height < 0 ? -height : height;
        if (h.headerBytes >= InfoHeaderBytes) {
            h.compression = in.U32(info + InfoCompression, "compression");
            h.clrUsed = in.U32(info + InfoClrUsed, "colours used");
            uint32_t sizeImage = in.U32(info + InfoSizeImage, "image size");
            int32_t xDensity = in.I32(info + InfoXPelsPerMeter, "horizontal density");
            int32_t yDensity = in.I32(info + InfoYPelsPerMeter, "vertical density");
            if (xDensity < 0 || yDensity < 0 || xDensity > MaxPelsPerMeter || yDensity > MaxPelsPerMeter)
                in.Fail("pixel density " + std::to_string(xDensity) + " x " + std::to_string(yDensity) + " per metre is not plausible");
            if (h.pixelOffset <= in.Size() && sizeImage > in.Size() - h.pixelOffset)
                in.Fail("image size " + Str(sizeImage) + " exceeds the file");
        }
        break;
    }
    default:
        in.Fail("unknown info header size " + Str(h.headerBytes));
    }
    if (planes != 1)
        in.Fail("planes is " + Str(planes) + ", expected 1");
    h.headerEnd = info + h.headerBytes;
    return h;
}

void CheckGeometry(const ByteSpan& in, const Header& h)
{
    if (h.width <= 0 || h.height <= 0)
        in.Fail("size " + std::to_string(h.width) + " x " + std::to_string(h.height) + " is not a picture");
    if (h.width > MaxPictureSide || h.height > MaxPictureSide
        || static_cast<int64_t>(h.width) * h.height > MaxPicturePixels)
        in.Fail("size " + std::to_string(h.width) + " x " + std::to_string(h.height) + " is too large");
}

void CheckBitCount(const ByteSpan& in, const Header& h)
{
    switch (h.bitCount) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32:
        break;
    default:
        in.Fail("unsupported bit count " + Str(h.bitCount));
    }
}

void CheckCompression(const ByteSpan& in, const Header& h)
{
    if (h.os2 && h.headerBytes == Os2HeaderBytes && (h.compression == BiBitFields || h.compression == BiJpeg))
        in.Fail("OS/2 Huffman and RLE24 compression are not supported");
    switch (h.compression) {
    case BiRgb:
        return;
    case BiRle8:
    case BiRle4:
        if (h.bitCount != (h.compression == BiRle8 ? 8 : 4))
            in.Fail("run-length compression with bit count " + Str(h.bitCount));
        if (h.topDown)
            in.Fail("run-length compressed pictures cannot be top-down");
        return;
    case BiBitFields:
    case BiAlphaBitFields:
        if (h.bitCount != 16 && h.bitCount != 32)
            in.Fail("bit fields with bit count " + Str(h.bitCount));
        return;
    case BiJpeg:
    case BiPng:
        in.Fail("embedded JPEG or PNG data is not supported");
    default:
        in.Fail("unknown compression " + Str(h.compression));
    }
}

void ReadMasks(const ByteSpan& in, Header& h)
{
    if (h.compression != BiBitFields && h.compression != BiAlphaBitFields)
        return;
    h.masksGiven = true;
    uint64_t count = h.compression == BiAlphaBitFields ? 4 : 3;
    uint64_t at = FileHeaderSize + InfoRedMask;
    if (h.headerBytes == InfoHeaderBytes) {
        at = h.headerEnd; // masks follow a plain info header
        h.headerEnd += count * 4;
    } else if (h.headerBytes >= V3HeaderBytes) {
        count = 4;
    }
    for (uint64_t i = 0; i < count; ++i)
        h.masks[i] = in.U32(at + i * 4, "colour masks");
    if (h.headerBytes == V2HeaderBytes)
        h.masks[3] = 0;
}

void CheckMasks(const ByteSpan& in, const Header& h)
{
    static const char* names[] = { "red", "green", "blue", "alpha" };
    uint64_t limit = h.bitCount == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    uint32_t seen = 0;
    for (int i = 0; i < 4; ++i) {
        uint32_t m = h.masks[i];
        if (m == 0) {
            if (i < 3)
                in.Fail(std::string("empty ") + names[i] + " mask");
            continue;
        }
        uint32_t shifted = m >> std::countr_zero(m);
        if ((shifted & (shifted + 1)) != 0)
            in.Fail(std::string(names[i]) + " mask is not contiguous");
        if (m > limit)
            in.Fail(std::string(names[i]) + " mask lies outside the pixel");
        if (m & seen)
            in.Fail(std::string(names[i]) + " mask overlaps another");
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

std::vector<uint32_t> ReadPalette(const ByteSpan& in, const Header& h)
{
    const uint64_t entryBytes = h.headerBytes == CoreHeaderBytes ? 3 : 4;
    const uint64_t depthEntries = uint64_t(1) << h.bitCount;
    if (h.pixelOffset < h.headerEnd)
        in.Fail("pixel data offset " + Str(h.pixelOffset) + " lies inside the header");
    const uint64_t room = (h.pixelOffset - h.headerEnd) / entryBytes;
    uint64_t count = h.clrUsed == 0 ? depthEntries : h.clrUsed;
    if (h.clrUsed == 0) {
        count = std::min(count, room); // implicit size: a shorter table is what the writer meant
    } else if (count > room) {
        in.Fail("palette of " + Str(count) + " colours does not fit before the pixel data");
    }
    in.Require(h.headerEnd, count * entryBytes, "palette");
    count = std::min(count, depthEntries);
    if (count == 0)
        in.Fail("no palette");
    std::vector<uint32_t> palette(count);
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* e = in.At(h.headerEnd + i * entryBytes);
        palette[i] = Opaque | (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
    }
    return palette;
}

uint32_t PaletteColour(const ByteSpan& in, const std::vector<uint32_t>& palette, uint32_t index)
{
    if (index >= palette.size())
        in.Fail("palette index " + Str(index) + " outside the " + Str(palette.size()) + "-colour palette");
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

void DecodeIndexed(const ByteSpan& in, const Header& h, uint64_t stride, Picture& out)
{
    std::vector<uint32_t> palette = ReadPalette(in, h);
    PixelRows rows(out, h.topDown);
    const int bits = h.bitCount;
    const uint32_t indexMask = (1u << bits) - 1;
    for (int n = 0; n < h.height; ++n) {
        const uint8_t* src = in.At(h.pixelOffset + n * stride);
        uint32_t* dst = rows.FileRow(n);
        for (int x = 0; x < h.width; ++x) {
            uint64_t bit = uint64_t(x) * bits;
            uint32_t index = (src[bit / 8] >> (8 - bits - bit % 8)) & indexMask;
            dst[x] = PaletteColour(in, palette, index);
        }
    }
}

void DecodeTrueColour(const ByteSpan& in, const Header& h, uint64_t stride, Picture& out)
{
    PixelRows rows(out, h.topDown);
    for (int n = 0; n < h.height; ++n) {
        const uint8_t* src = in.At(h.pixelOffset + n * stride);
        uint32_t* dst = rows.FileRow(n);
        for (int x = 0; x < h.width; ++x, src += 3)
            dst[x] = Opaque | (uint32_t(src[2]) << 16) | (uint32_t(src[1]) << 8) | src[0];
    }
}

void DecodeFields(const ByteSpan& in, const Header& h, uint64_t stride, Picture& out)
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
        std::memcpy(dst, in.At(h.pixelOffset + n * stride), static_cast<size_t>(h.width) * 4);
        for (int x = 0; x < h.width; ++x) {
            alphaSeen |= dst[x];
            dst[x] |= masks[3] == 0 ? Opaque : 0;
        }
    }
    alphaSeen &= Opaque;
    for (int n = 0; !native && n < h.height; ++n) {
        const uint8_t* src = in.At(h.pixelOffset + n * stride);
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

class RleDecoder {
public:
    RleDecoder(const ByteSpan& in, const Header& h, Picture& out)
        : m_in(in)
        , m_header(h)
        , m_out(out)
        , m_palette(ReadPalette(in, h))
        , m_rows(out, false)
    {
    }

    void Run()
    {
        uint64_t at = m_header.pixelOffset;
        for (;;) {
            uint8_t count = m_in.U8(at, "run-length data");
            uint8_t code = m_in.U8(at + 1, "run-length data");
            at += 2;
            if (count > 0) {
                Encoded(count, code);
                continue;
            }
            if (code == 0) { // end of line
                m_x = 0;
                ++m_y;
            } else if (code == 1) { // end of picture
                break;
            } else if (code == 2) { // skip
                m_x += m_in.U8(at, "run-length skip");
                m_y += m_in.U8(at + 1, "run-length skip");
                at += 2;
                if (m_x > m_header.width || m_y > m_header.height)
                    m_in.Fail("run-length skip leaves the picture");
            } else {
                at = Literal(at, code);
            }
        }
        m_out.hasAlpha = m_written < static_cast<uint64_t>(m_header.width) * m_header.height;
    }

private:
    void Put(uint32_t index)
    {
        if (m_y >= m_header.height)
            m_in.Fail("run-length data runs past the last row");
        if (m_x >= m_header.width)
            m_in.Fail("run-length run passes the end of row " + Str(m_y));
        m_rows.FileRow(m_y)[m_x++] = PaletteColour(m_in, m_palette, index);
        ++m_written;
    }

    void Encoded(uint8_t count, uint8_t value)
    {
        for (int i = 0; i < count; ++i)
            Put(m_header.bitCount == 8 ? value : (i % 2 == 0 ? value >> 4 : value & 0x0F));
    }

    uint64_t Literal(uint64_t at, uint8_t count)
    {
        uint64_t bytes = m_header.bitCount == 8 ? count : (count + 1u) / 2;
        m_in.Require(at, bytes, "run-length literal");
        const uint8_t* src = m_in.At(at);
        for (int i = 0; i < count; ++i)
            Put(m_header.bitCount == 8 ? src[i] : (i % 2 == 0 ? src[i / 2] >> 4 : src[i / 2] & 0x0F));
        return at + bytes + (bytes & 1); // literals keep 16-bit alignment
    }

    const ByteSpan& m_in;
    const Header& m_header;
    Picture& m_out;
    std::vector<uint32_t> m_palette;
    PixelRows m_rows;
    int m_x = 0;
    int m_y = 0;
    uint64_t m_written = 0;
};

}

Picture DecodeBitmap(std::span<const uint8_t> bytes)
{
    ByteSpan in(bytes, "bitmap");
    Header h = ReadHeader(in);
    CheckGeometry(in, h);
    CheckCompression(in, h);
    CheckBitCount(in, h);
    ReadMasks(in, h);
    if (h.masksGiven)
        CheckMasks(in, h);
    if (h.pixelOffset < h.headerEnd || h.pixelOffset >= in.Size())
        in.Fail("pixel data offset " + Str(h.pixelOffset) + " lies outside the file's data");

    const bool rle = h.compression == BiRle8 || h.compression == BiRle4;
    const uint64_t pixels = static_cast<uint64_t>(h.width) * h.height;
    const uint64_t stride = (static_cast<uint64_t>(h.width) * h.bitCount + 31) / 32 * 4;
    const uint64_t dataBytes = in.Size() - h.pixelOffset;
    if (rle) {
        if (pixels > dataBytes * MaxRlePixelsPerByte)
            in.Fail("run-length data of " + Str(dataBytes) + " bytes cannot hold a " + std::to_string(h.width) + " x " + std::to_string(h.height) + " picture");
    } else {
        in.Require(h.pixelOffset, stride * h.height, "pixel data");
    }

    Picture out;
    out.width = h.width;
    out.height = h.height;
    out.pixels.assign(pixels, 0);
    if (rle)
        RleDecoder(in, h, out).Run();
    else if (h.bitCount <= 8)
        DecodeIndexed(in, h, stride, out);
    else if (h.bitCount == 24)
        DecodeTrueColour(in, h, stride, out);
    else
        DecodeFields(in, h, stride, out);
    return out;
}

}
