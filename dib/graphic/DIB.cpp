#include "dib/graphic/DIB.h"

#include "platform/bytes/ByteReader.h"
#include "platform/bytes/ByteWriter.h"
#include "platform/picture/BitmapHeaders.h"

#include <algorithm>
#include <cctype>
#include <cstring>

using namespace platform;

namespace {

namespace File = bitmap::FileHeader;
namespace Core = bitmap::CoreHeader;
namespace Info = bitmap::InfoHeader;
namespace HeaderBytes = bitmap::HeaderBytes;

// Where the pixels of a packed bitmap start: after its header, colour masks and colour table.
size_t PackedPixelOffset(const ByteReader& packed)
{
    if (!packed.Holds(0, HeaderBytes::Core))
        throw EDIBGraphicError("Invalid bitmap: header truncated");
    const uint32_t headerSize = packed.U32(Info::Size);
    if (headerSize != HeaderBytes::Core && (headerSize < HeaderBytes::Info || headerSize > packed.Size()))
        throw EDIBGraphicError("Invalid bitmap: unknown header size " + std::to_string(headerSize));
    const bool core = headerSize == HeaderBytes::Core;
    const uint16_t bitCount = packed.U16(core ? Core::BitCount : Info::BitCount);
    uint64_t colours = core ? 0 : packed.U32(Info::ClrUsed);
    if (colours == 0 && bitCount <= 8)
        colours = uint64_t(1) << bitCount;
    uint64_t offset = headerSize + colours * (core ? bitmap::CorePaletteEntryBytes : bitmap::PaletteEntryBytes);
    if (!core && headerSize == HeaderBytes::Info && packed.U32(Info::Compression) == bitmap::Compression::BitFields)
        offset += bitmap::SeparateMaskBytes;
    if (offset > packed.Size())
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
    if (bytes.size() < File::Bytes || bytes[File::Signature] != bitmap::Signature[0] || bytes[File::Signature + 1] != bitmap::Signature[1])
        throw EDIBGraphicError("Invalid bitmap: no \"BM\" file header");
    auto decoded = DecodeBitmap(bytes, {});
    if (!decoded)
        throw EDIBGraphicError(decoded.Error().Message());
    m_picture = std::move(decoded).Value();
}

std::vector<uint8_t> TDIB::SaveToBytes() const
{
    if (Empty())
        throw EDIBGraphicError("Cannot save an empty bitmap");
    return EncodeBitmap(m_picture, 32);
}

void TDIB::LoadFromPackedDIB(std::span<const uint8_t> packed)
{
    const size_t pixels = PackedPixelOffset(ByteReader(packed));
    ByteWriter file(File::Bytes);
    file.Put8(File::Signature, bitmap::Signature[0]);
    file.Put8(File::Signature + 1, bitmap::Signature[1]);
    file.Put32(File::FileSize, static_cast<uint32_t>(File::Bytes + packed.size()));
    file.Put32(File::PixelOffset, static_cast<uint32_t>(File::Bytes + pixels));
    file.AppendBytes(packed);
    LoadFromBytes(file.Bytes());
}

std::vector<uint8_t> TDIB::SaveToPackedDIB() const
{
    const std::vector<uint8_t> file = SaveToBytes();
    return std::vector<uint8_t>(file.begin() + File::Bytes, file.end());
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
