#include "dib/format/cDIBFormat.h"

#include "dib/surface/cDIB.h"
#include "platform/bytes/ByteReader.h"
#include "platform/bytes/ByteWriter.h"
#include "platform/text/Text.h"

#include <array>
#include <cstring>

namespace {

struct FormatRegistry {
    std::vector<std::unique_ptr<TAbstractDIBFormat>> formats;

    FormatRegistry() { formats.push_back(std::make_unique<TDIBRSBFormat>()); }
};

FormatRegistry& Registry()
{
    static FormatRegistry registry;
    return registry;
}

constexpr const char* RsbExtension = ".RSB";
constexpr const char* RsbFilter = "Rogue spear bitmap (*.rsb)|*.rsb";
constexpr int MaxChannelBits = 8;
constexpr int PixelBits = 16;

struct RsbLayout {
    uint32_t width;
    uint32_t height;
    int red;
    int green;
    int blue;
    int fourth;
};

[[noreturn]] void Malformed(const std::string& what) { throw EDIBFormatError("RSB: " + what); }

RsbLayout CheckHeader(const platform::ByteReader& header, uint64_t pixelBytesAvailable)
{
    RsbLayout layout {};
    layout.width = header.U32(TDIBRSBFormat::WidthOffset);
    layout.height = header.U32(TDIBRSBFormat::HeightOffset);
    const uint32_t counts[4] = { header.U32(TDIBRSBFormat::RedBitsOffset), header.U32(TDIBRSBFormat::GreenBitsOffset),
        header.U32(TDIBRSBFormat::BlueBitsOffset), header.U32(TDIBRSBFormat::FourthBitsOffset) };
    uint32_t total = 0;
    for (uint32_t count : counts) {
        if (count > MaxChannelBits)
            Malformed("a channel of " + std::to_string(count) + " bits does not fit its byte.");
        total += count;
    }
    if (total > PixelBits)
        Malformed("channels of " + std::to_string(total) + " bits do not fit a 16-bit pixel.");
    layout.red = static_cast<int>(counts[0]);
    layout.green = static_cast<int>(counts[1]);
    layout.blue = static_cast<int>(counts[2]);
    layout.fourth = static_cast<int>(counts[3]);

    const std::string size = std::to_string(layout.width) + " x " + std::to_string(layout.height);
    if (layout.width == 0 || layout.height == 0)
        Malformed("a picture of " + size + " pixels has no pixels.");
    if (layout.width > uint32_t(TAbstractSuperDIB::MaxDimension) || layout.height > uint32_t(TAbstractSuperDIB::MaxDimension)
        || uint64_t(layout.width) * layout.height > uint64_t(TAbstractSuperDIB::MaxPixels))
        Malformed("a picture of " + size + " pixels is too large.");
    if (uint64_t(layout.width) * layout.height * 2 > pixelBytesAvailable)
        Malformed("the file ends before the last of its " + size + " pixels.");
    return layout;
}

// The field's bits as the top bits of a byte, the lower bits 0.
uint32_t Field(uint32_t pixel, int shift, int bits)
{
    if (bits == 0)
        return 0;
    return ((pixel >> shift) & ((1u << bits) - 1)) << (MaxChannelBits - bits);
}

// The fourth channel is a mask: its bits are repeated downwards so that a full field is fully
// opaque (255) and an empty one fully see-through.
uint32_t MaskField(uint32_t pixel, int shift, int bits)
{
    if (bits == 0)
        return 0;
    const uint32_t value = (pixel >> shift) & ((1u << bits) - 1);
    uint32_t result = 0;
    for (int filled = 0; filled < MaxChannelBits; filled += bits) {
        const int at = MaxChannelBits - filled - bits;
        result |= at >= 0 ? value << at : value >> -at;
    }
    return result;
}
}

bool TAbstractDIBFormat::AcceptsLoadExtension(const std::string&) const { return false; }
bool TAbstractDIBFormat::AcceptsSaveExtension(const std::string&) const { return false; }
void TAbstractDIBFormat::AddLoadFilters(std::vector<std::string>&) const {}
void TAbstractDIBFormat::AddSaveFilters(std::vector<std::string>&) const {}

void TDIBRSBFormat::LoadFromStream(TAbstractSuperDIB& dib, TDIBStream& stream)
{
    std::array<uint8_t, HeaderSize> headerBytes;
    if (stream.Remaining() < HeaderSize)
        Malformed("the file is shorter than its 28-byte header.");
    stream.ReadBuffer(headerBytes.data(), headerBytes.size());
    const platform::ByteReader header(headerBytes);
    if (header.U32(VersionOffset) != SupportedVersion)
        throw EDIBFormatError("Only RSB version 1 is supported.");
    const RsbLayout layout = CheckHeader(header, stream.Remaining());

    const size_t width = layout.width;
    const size_t height = layout.height;
    std::vector<uint8_t> file(width * height * 2);
    stream.ReadBuffer(file.data(), file.size());
    const platform::ByteReader values(file);

    // Decoded fully before the surface is touched, so a failure leaves it as it was.
    std::vector<uint32_t> pixels(width * height);
    const int greenShift = layout.blue;
    const int redShift = greenShift + layout.green;
    const int fourthShift = redShift + layout.red;
    for (size_t y = 0; y < height; ++y) {
        uint32_t* out = pixels.data() + (height - 1 - y) * width; // memory rows run bottom-up
        const uint8_t* row = values.Bytes(y * width * 2, width * 2).data();
        for (size_t x = 0; x < width; ++x) {
            const uint32_t value = platform::LoadU16(row + x * 2);
            out[x] = Field(value, 0, layout.blue) | Field(value, greenShift, layout.green) << 8
                | Field(value, redShift, layout.red) << 16 | MaskField(value, fourthShift, layout.fourth) << 24;
        }
        Progress(static_cast<int>((y + 1) * 100 / height));
    }
    dib.SetSize(static_cast<int>(width), static_cast<int>(height));
    std::memcpy(dib.Bits(), pixels.data(), pixels.size() * 4);
    if (layout.fourth > 0)
        dib.SetMasked(true);
    dib.Changed();
}

void TDIBRSBFormat::SaveToStream(const TAbstractSuperDIB& dib, TDIBStream& stream)
{
    if (!dib.Bits())
        throw EDIBFormatError("RSB: the surface has no pixels to save.");
    const bool masked = dib.Masked();
    const size_t width = static_cast<size_t>(dib.Width());
    const size_t height = static_cast<size_t>(dib.Height());

    platform::ByteWriter header(HeaderSize);
    header.Put32(VersionOffset, SupportedVersion);
    header.Put32(WidthOffset, static_cast<uint32_t>(width));
    header.Put32(HeightOffset, static_cast<uint32_t>(height));
    header.Put32(RedBitsOffset, masked ? 4 : 5);
    header.Put32(GreenBitsOffset, masked ? 4 : 6);
    header.Put32(BlueBitsOffset, masked ? 4 : 5);
    header.Put32(FourthBitsOffset, masked ? 4 : 0);
    stream.WriteBytes(header.Bytes());

    std::vector<uint8_t> row(width * 2);
    for (size_t y = 0; y < height; ++y) {
        const uint32_t* in = dib.ScanLine(static_cast<int>(y));
        for (size_t x = 0; x < width; ++x) {
            const uint32_t p = in[x];
            const uint32_t b = p & 0xFF, g = (p >> 8) & 0xFF, r = (p >> 16) & 0xFF, a = p >> 24;
            const uint32_t value = masked ? (a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4)
                                          : (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
            platform::StoreU16(row.data() + x * 2, static_cast<uint16_t>(value));
        }
        stream.WriteBytes(row);
        Progress(static_cast<int>((y + 1) * 100 / height));
    }
}

bool TDIBRSBFormat::AcceptsLoadExtension(const std::string& extension) const
{
    return platform::EqualsNoCase(extension, RsbExtension);
}

bool TDIBRSBFormat::AcceptsSaveExtension(const std::string& extension) const
{
    return platform::EqualsNoCase(extension, RsbExtension);
}

void TDIBRSBFormat::AddLoadFilters(std::vector<std::string>& filters) const { filters.push_back(RsbFilter); }
void TDIBRSBFormat::AddSaveFilters(std::vector<std::string>& filters) const { filters.push_back(RsbFilter); }

void RegisterDIBFormat(std::unique_ptr<TAbstractDIBFormat> format)
{
    if (format)
        Registry().formats.push_back(std::move(format));
}

std::vector<TAbstractDIBFormat*> DIBFormats()
{
    std::vector<TAbstractDIBFormat*> list;
    for (const auto& format : Registry().formats)
        list.push_back(format.get());
    return list;
}

TAbstractDIBFormat* FindDIBFormatForLoading(const std::string& extension)
{
    for (const auto& format : Registry().formats) {
        if (format->CanLoad() && format->AcceptsLoadExtension(extension))
            return format.get();
    }
    return nullptr;
}

TAbstractDIBFormat* FindDIBFormatForSaving(const std::string& extension)
{
    for (const auto& format : Registry().formats) {
        if (format->CanSave() && format->AcceptsSaveExtension(extension))
            return format.get();
    }
    return nullptr;
}
