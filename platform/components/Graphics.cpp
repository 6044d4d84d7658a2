#include "platform/components/Graphics.h"

#include "platform/picture/Picture.h"
#include "platform/text/Text.h"

#include <cmath>
#include <cstring>

namespace platform {

namespace {

struct NamedColor {
    const char* name;
    int32_t value;
};

constexpr NamedColor NamedColors[] = {
    { "clBlack", clBlack },
    { "clMaroon", clMaroon },
    { "clGreen", clGreen },
    { "clOlive", clOlive },
    { "clNavy", clNavy },
    { "clPurple", clPurple },
    { "clTeal", clTeal },
    { "clGray", clGray },
    { "clSilver", clSilver },
    { "clRed", clRed },
    { "clLime", clLime },
    { "clYellow", clYellow },
    { "clBlue", clBlue },
    { "clFuchsia", clFuchsia },
    { "clAqua", clAqua },
    { "clWhite", clWhite },
    { "clNone", clNone },
    { "clDefault", clDefault },
    { "clScrollBar", clScrollBar },
    { "clBackground", clBackground },
    { "clActiveCaption", clActiveCaption },
    { "clWindow", clWindow },
    { "clWindowText", clWindowText },
    { "clBtnFace", clBtnFace },
    { "clBtnText", clBtnText },
    { "clHighlight", clHighlight },
    { "clHighlightText", clHighlightText },
};

// Offsets in a picture's stored data: a length-prefixed class name, then for graphics that
// store a size, a 32-bit little-endian byte count and the file bytes.
constexpr size_t ClassNameLengthOffset = 0;
constexpr size_t ClassNameOffset = 1;
constexpr size_t SizeFieldBytes = 4;

}

std::optional<int32_t> ColorFromName(std::string_view name)
{
    for (const NamedColor& c : NamedColors) {
        if (EqualsNoCase(c.name, name))
            return c.value;
    }
    return std::nullopt;
}

const char* ColorName(int32_t color)
{
    for (const NamedColor& c : NamedColors) {
        if (c.value == color)
            return c.name;
    }
    return nullptr;
}

// ---- TFont ----------------------------------------------------------------------------------

static const EnumInfo& FontStyleEnum()
{
    static const EnumInfo info { "TFontStyle", { { "fsBold", 0 }, { "fsItalic", 1 }, { "fsUnderline", 2 }, { "fsStrikeOut", 3 } } };
    return info;
}

static const EnumInfo& FontPitchEnum()
{
    static const EnumInfo info { "TFontPitch", { { "fpDefault", 0 }, { "fpVariable", 1 }, { "fpFixed", 2 } } };
    return info;
}

const ClassInfo& TFont::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TFont>("TFont", &TPersistent::StaticClass())
                                      .Integer("Charset", &TFont::Charset, &TFont::SetCharset, int64_t(DEFAULT_CHARSET))
                                      .Color("Color", &TFont::Color, &TFont::SetColor, clWindowText)
                                      .Integer("Height", &TFont::Height, &TFont::SetHeight, -11)
                                      .String("Name", &TFont::Name, &TFont::SetName, std::string("MS Sans Serif"))
                                      .Enum("Pitch", FontPitchEnum(), &TFont::Pitch, &TFont::SetPitch, 0)
                                      .Integer("Size", &TFont::Size, &TFont::SetSize, std::nullopt)
                                      .NotStored()
                                      .Set("Style", FontStyleEnum(), &TFont::Style, &TFont::SetStyle, 0u)
                                      .Build();
    return info;
}

TFont::TFont() = default;

int TFont::Size() const
{
    // MulDiv(-Height, 72, 96), rounded half away from zero.
    int h = -m_height;
    int64_t n = int64_t(h) * 72;
    return static_cast<int>(n >= 0 ? (n + 48) / 96 : -((-n + 48) / 96));
}

void TFont::SetSize(int size)
{
    int64_t n = int64_t(size) * 96;
    SetHeight(-static_cast<int>(n >= 0 ? (n + 36) / 72 : -((-n + 36) / 72)));
}

CanvasFont TFont::ToCanvasFont() const
{
    CanvasFont f;
    f.Name = m_name;
    f.Height = m_height;
    f.Bold = (m_style & fsBold) != 0;
    f.Italic = (m_style & fsItalic) != 0;
    f.Underline = (m_style & fsUnderline) != 0;
    f.StrikeOut = (m_style & fsStrikeOut) != 0;
    f.Charset = m_charset;
    f.Color = ColorToRGB(m_color);
    return f;
}

void TFont::Assign(const TPersistent& source)
{
    auto* other = dynamic_cast<const TFont*>(&source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    bool changed = m_name != other->m_name || m_height != other->m_height || m_color != other->m_color
        || m_style != other->m_style || m_charset != other->m_charset || m_pitch != other->m_pitch;
    m_name = other->m_name;
    m_height = other->m_height;
    m_color = other->m_color;
    m_style = other->m_style;
    m_charset = other->m_charset;
    m_pitch = other->m_pitch;
    if (changed)
        Changed();
}

// ---- TBitmap --------------------------------------------------------------------------------

const ClassInfo& TBitmap::StaticClass()
{
    static const ClassInfo info("TBitmap", &TPersistent::StaticClass());
    return info;
}

void TBitmap::SetSize(int width, int height)
{
    if (width < 0 || height < 0 || int64_t(width) * height > MaxPicturePixels)
        throw EConvertError("Bitmap size " + std::to_string(width) + " x " + std::to_string(height) + " is not allowed");
    m_width = width;
    m_height = height;
    m_pixels.assign(static_cast<size_t>(width) * height, 0);
    m_source.clear();
    FireEvent(OnChange, this);
}

void TBitmap::LoadFromBytes(std::span<const uint8_t> bytes)
{
    Picture picture;
    try {
        picture = DecodePicture(bytes);
    } catch (const PictureError& e) {
        throw EConvertError(e.what());
    }
    std::vector<uint32_t> pixels(picture.pixels.size());
    // Decoded rows run top-down; ours run bottom-up.
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(&pixels[static_cast<size_t>(picture.height - 1 - y) * picture.width],
            &picture.pixels[static_cast<size_t>(y) * picture.width], sizeof(uint32_t) * picture.width);
    m_width = picture.width;
    m_height = picture.height;
    m_pixels = std::move(pixels);
    m_source.assign(bytes.begin(), bytes.end());
    FireEvent(OnChange, this);
}

void TBitmap::Assign(const TPersistent& source)
{
    auto* other = dynamic_cast<const TBitmap*>(&source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    m_width = other->m_width;
    m_height = other->m_height;
    m_pixels = other->m_pixels;
    m_source = other->m_source;
    FireEvent(OnChange, this);
}

void TBitmap::DefineProperties(TFiler& filer)
{
    filer.DefineBinaryProperty(
        "Data",
        [this](const std::vector<uint8_t>& data) {
            // A size field, then the file.
            if (data.size() < SizeFieldBytes)
                throw EConvertError("Bitmap data is truncated");
            uint32_t size = data[0] | (data[1] << 8) | (data[2] << 16) | (uint32_t(data[3]) << 24);
            if (size > data.size() - SizeFieldBytes)
                throw EConvertError("Bitmap data is truncated");
            LoadFromBytes(std::span<const uint8_t>(data).subspan(SizeFieldBytes, size));
        },
        [this]() {
            std::vector<uint8_t> out(SizeFieldBytes);
            uint32_t size = static_cast<uint32_t>(m_source.size());
            for (size_t i = 0; i < SizeFieldBytes; ++i)
                out[i] = static_cast<uint8_t>(size >> (8 * i));
            out.insert(out.end(), m_source.begin(), m_source.end());
            return out;
        },
        !m_source.empty());
}

// ---- TPicture -------------------------------------------------------------------------------

const ClassInfo& TPicture::StaticClass()
{
    static const ClassInfo info("TPicture", &TPersistent::StaticClass());
    return info;
}

void TPicture::LoadFromBytes(std::span<const uint8_t> bytes)
{
    m_bitmap.LoadFromBytes(bytes);
    m_graphicClass = SniffPictureFormat(bytes) == PictureFormat::Jpeg ? "TJPEGImage" : "TBitmap";
    FireEvent(OnChange, this);
}

void TPicture::Clear()
{
    m_bitmap.SetSize(0, 0);
    m_graphicClass.clear();
    FireEvent(OnChange, this);
}

void TPicture::Assign(const TPersistent& source)
{
    if (auto* other = dynamic_cast<const TPicture*>(&source)) {
        m_bitmap.Assign(other->m_bitmap);
        m_graphicClass = other->m_graphicClass;
    } else if (auto* bitmap = dynamic_cast<const TBitmap*>(&source)) {
        m_bitmap.Assign(*bitmap);
        m_graphicClass = "TBitmap";
    } else {
        TPersistent::Assign(source);
        return;
    }
    FireEvent(OnChange, this);
}

void TPicture::ReadData(const std::vector<uint8_t>& data)
{
    if (data.empty())
        throw EConvertError("Picture data is empty");
    size_t nameLength = data[ClassNameLengthOffset];
    if (ClassNameOffset + nameLength > data.size())
        throw EConvertError("Picture data is truncated");
    std::string className(data.begin() + ClassNameOffset, data.begin() + ClassNameOffset + nameLength);
    size_t sizeOffset = ClassNameOffset + nameLength;
    if (className.empty()) {
        Clear();
        return;
    }
    if (!EqualsNoCase(className, "TBitmap") && !EqualsNoCase(className, "TJPEGImage"))
        throw EConvertError("Picture data holds an unknown graphic class " + className);
    if (data.size() - sizeOffset < SizeFieldBytes)
        throw EConvertError("Picture data is truncated");
    const uint8_t* s = data.data() + sizeOffset;
    uint32_t size = s[0] | (s[1] << 8) | (s[2] << 16) | (uint32_t(s[3]) << 24);
    size_t fileOffset = sizeOffset + SizeFieldBytes;
    if (size > data.size() - fileOffset)
        throw EConvertError("Picture data is truncated");
    m_bitmap.LoadFromBytes(std::span<const uint8_t>(data).subspan(fileOffset, size));
    m_graphicClass = EqualsNoCase(className, "TBitmap") ? "TBitmap" : "TJPEGImage";
    FireEvent(OnChange, this);
}

std::vector<uint8_t> TPicture::WriteData() const
{
    std::vector<uint8_t> out;
    out.push_back(static_cast<uint8_t>(m_graphicClass.size()));
    out.insert(out.end(), m_graphicClass.begin(), m_graphicClass.end());
    const std::vector<uint8_t>& file = m_bitmap.SourceBytes();
    uint32_t size = static_cast<uint32_t>(file.size());
    for (size_t i = 0; i < SizeFieldBytes; ++i)
        out.push_back(static_cast<uint8_t>(size >> (8 * i)));
    out.insert(out.end(), file.begin(), file.end());
    return out;
}

void TPicture::DefineProperties(TFiler& filer)
{
    filer.DefineBinaryProperty(
        "Data", [this](const std::vector<uint8_t>& data) { ReadData(data); }, [this]() { return WriteData(); },
        !m_bitmap.SourceBytes().empty());
}

}
