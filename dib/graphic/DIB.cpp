#include "dib/graphic/DIB.h"

#include <algorithm>
#include <cctype>
#include <cstring>

using namespace platform;

namespace {

constexpr size_t FileHeaderSize = 14;
constexpr size_t FileSignature = 0;
constexpr size_t FileSize = 2;
constexpr size_t FilePixelOffset = 10;
// Offsets within the device-independent bitmap that follows the file header.
constexpr size_t HeaderSize = 0;
constexpr size_t CoreHeaderSize = 12;
constexpr size_t CoreBitCount = 10;
constexpr size_t InfoBitCount = 14;
constexpr size_t InfoCompression = 16;
constexpr size_t InfoClrUsed = 32;
constexpr size_t InfoHeaderSize = 40;
constexpr uint32_t BitFields = 3;

uint32_t U32(std::span<const uint8_t> b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

uint16_t U16(std::span<const uint8_t> b, size_t at)
{
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Where the pixels of a packed bitmap start: after its header, colour masks and colour table.
size_t PackedPixelOffset(std::span<const uint8_t> packed)
{
    if (packed.size() < CoreHeaderSize)
        throw EDIBGraphicError("Invalid bitmap: header truncated");
    const uint32_t headerSize = U32(packed, HeaderSize);
    if (headerSize != CoreHeaderSize && (headerSize < InfoHeaderSize || headerSize > packed.size()))
        throw EDIBGraphicError("Invalid bitmap: unknown header size " + std::to_string(headerSize));
    const bool core = headerSize == CoreHeaderSize;
    const uint16_t bitCount = U16(packed, core ? CoreBitCount : InfoBitCount);
    uint64_t colours = core ? 0 : U32(packed, InfoClrUsed);
    if (colours == 0 && bitCount <= 8)
        colours = uint64_t(1) << bitCount;
    uint64_t offset = headerSize + colours * (core ? 3 : 4);
    if (!core && headerSize == InfoHeaderSize && U32(packed, InfoCompression) == BitFields)
        offset += 12;
    if (offset > packed.size())
        throw EDIBGraphicError("Invalid bitmap: colour table beyond the data");
    return static_cast<size_t>(offset);
}

std::vector<TGraphicFileFormat>& Formats()
{
    static std::vector<TGraphicFileFormat> formats;
    return formats;
}

bool SameExtension(std::string_view a, std::string_view b)
{
    if (!a.empty() && a.front() == '.')
        a.remove_prefix(1);
    if (!b.empty() && b.front() == '.')
        b.remove_prefix(1);
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::tolower(uint8_t(x)) == std::tolower(uint8_t(y)); });
}

std::optional<std::vector<uint8_t>>& Clipboard()
{
    static std::optional<std::vector<uint8_t>> content;
    return content;
}

struct DIBFormatRegistration {
    DIBFormatRegistration()
    {
        RegisterGraphicFileFormat({ "dib", "Device Independent Bitmap", &TDIB::StaticClass(), [](std::span<const uint8_t> bytes) {
                                       auto graphic = std::make_unique<TDIB>();
                                       graphic->LoadFromBytes(bytes);
                                       return graphic;
                                   } });
    }
} dibFormatRegistration;

}

const ClassInfo& TDIB::StaticClass()
{
    static const ClassInfo info("TDIB", &TPersistent::StaticClass());
    return info;
}

void TDIB::LoadFromBytes(std::span<const uint8_t> bytes)
{
    if (bytes.size() < FileHeaderSize || bytes[FileSignature] != 'B' || bytes[FileSignature + 1] != 'M')
        throw EDIBGraphicError("Invalid bitmap: no \"BM\" file header");
    try {
        m_picture = DecodeBitmap(bytes);
    } catch (const PictureError& e) {
        throw EDIBGraphicError(e.what());
    }
}

std::vector<uint8_t> TDIB::SaveToBytes() const
{
    if (Empty())
        throw EDIBGraphicError("Cannot save an empty bitmap");
    return EncodeBitmap(m_picture, 32);
}

void TDIB::LoadFromPackedDIB(std::span<const uint8_t> packed)
{
    const size_t pixels = PackedPixelOffset(packed);
    std::vector<uint8_t> file(FileHeaderSize + packed.size());
    file[FileSignature] = 'B';
    file[FileSignature + 1] = 'M';
    Put32(file, FileSize, static_cast<uint32_t>(file.size()));
    Put32(file, FilePixelOffset, static_cast<uint32_t>(FileHeaderSize + pixels));
    std::copy(packed.begin(), packed.end(), file.begin() + FileHeaderSize);
    LoadFromBytes(file);
}

std::vector<uint8_t> TDIB::SaveToPackedDIB() const
{
    const std::vector<uint8_t> file = SaveToBytes();
    return std::vector<uint8_t>(file.begin() + FileHeaderSize, file.end());
}

bool TDIB::PasteFromClipboard()
{
    const auto content = dibclipboard::GetDIB();
    if (!content)
        return false;
    LoadFromPackedDIB(*content);
    return true;
}

void TDIB::CopyToClipboard() const
{
    dibclipboard::SetDIB(SaveToPackedDIB());
}

void TDIB::DrawTo(TAbstractSuperDIB& surface) const
{
    if (Empty())
        throw EDIBGraphicError("Cannot draw an empty bitmap");
    surface.LoadPicture(m_picture);
}

void TDIB::Assign(const TPersistent& source)
{
    if (auto* other = dynamic_cast<const TDIB*>(&source)) {
        m_picture = other->m_picture;
        return;
    }
    if (auto* surface = dynamic_cast<const TAbstractSuperDIB*>(&source)) {
        platform::Picture picture;
        picture.width = surface->Width();
        picture.height = surface->Height();
        picture.hasAlpha = true;
        for (int y = 0; y < picture.height && surface->Bits(); ++y)
            picture.pixels.insert(picture.pixels.end(), surface->ScanLine(y), surface->ScanLine(y) + picture.width);
        m_picture = std::move(picture);
        return;
    }
    TPersistent::Assign(source);
}

void RegisterGraphicFileFormat(TGraphicFileFormat format)
{
    auto& formats = Formats();
    auto same = std::find_if(formats.begin(), formats.end(), [&](const TGraphicFileFormat& f) { return SameExtension(f.extension, format.extension); });
    if (same != formats.end())
        *same = std::move(format);
    else
        formats.push_back(std::move(format));
}

const TGraphicFileFormat* FindGraphicFileFormat(std::string_view extension)
{
    for (const TGraphicFileFormat& format : Formats()) {
        if (SameExtension(format.extension, extension))
            return &format;
    }
    return nullptr;
}

namespace dibclipboard {

void SetDIB(std::vector<uint8_t> packed)
{
    Clipboard() = std::move(packed);
}

std::optional<std::vector<uint8_t>> GetDIB()
{
    return Clipboard();
}

void Clear()
{
    Clipboard().reset();
}

}
