#include "platform/components/Graphics.h"

#include "platform/bytes/ByteReader.h"
#include "platform/bytes/ByteWriter.h"
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
// store a size, a 32-bit little-endian byte count and the file bytes. A bitmap's own data is
// that count and file alone.
constexpr size_t ClassNameLengthOffset = 0;
constexpr size_t ClassNameOffset = 1;
constexpr size_t BitmapSizeOffset = 0;
constexpr size_t SizeFieldBytes = 4;

// The file behind the byte count at `sizeOffset`; `owner` names the data when either is cut short.
std::span<const uint8_t> SizedFile(const ByteReader& data, uint64_t sizeOffset, const std::string& owner)
{
    if (!data.Holds(sizeOffset, SizeFieldBytes))
        throw EConvertError(owner + " data is truncated");
    const uint32_t size = data.U32(sizeOffset);
    if (!data.Holds(sizeOffset + SizeFieldBytes, size))
        throw EConvertError(owner + " data is truncated");
    return data.Bytes(sizeOffset + SizeFieldBytes, size);
}

void AppendSizedFile(ByteWriter& out, const std::vector<uint8_t>& file)
{
    out.Append32(static_cast<uint32_t>(file.size()));
    out.AppendBytes(file);
}

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
    auto decoded = DecodePicture(bytes, {});
    if (!decoded)
        throw EConvertError(decoded.Error().Message());
    const Picture& picture = *decoded;
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
        [this](const std::vector<uint8_t>& data) { LoadFromBytes(SizedFile(ByteReader(data), BitmapSizeOffset, "Bitmap")); },
        [this]() {
            ByteWriter out;
            AppendSizedFile(out, m_source);
            return out.Take();
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
    const ByteReader fields(data);
    if (data.empty())
        throw EConvertError("Picture data is empty");
    const size_t nameLength = fields.U8(ClassNameLengthOffset);
    if (!fields.Holds(ClassNameOffset, nameLength))
        throw EConvertError("Picture data is truncated");
    const std::span<const uint8_t> name = fields.Bytes(ClassNameOffset, nameLength);
    const std::string className(name.begin(), name.end());
    if (className.empty()) {
        Clear();
        return;
    }
    if (!EqualsNoCase(className, "TBitmap") && !EqualsNoCase(className, "TJPEGImage"))
        throw EConvertError("Picture data holds an unknown graphic class " + className);
    m_bitmap.LoadFromBytes(SizedFile(fields, ClassNameOffset + nameLength, "Picture"));
    m_graphicClass = EqualsNoCase(className, "TBitmap") ? "TBitmap" : "TJPEGImage";
    FireEvent(OnChange, this);
}

std::vector<uint8_t> TPicture::WriteData() const
{
    ByteWriter out;
    out.Append8(static_cast<uint8_t>(m_graphicClass.size()));
    out.AppendText(m_graphicClass);
    AppendSizedFile(out, m_bitmap.SourceBytes());
    return out.Take();
}

void TPicture::DefineProperties(TFiler& filer)
{
    filer.DefineBinaryProperty(
        "Data", [this](const std::vector<uint8_t>& data) { ReadData(data); }, [this]() { return WriteData(); },
        !m_bitmap.SourceBytes().empty());
}

}
