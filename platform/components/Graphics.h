#pragma once

// Fonts, pictures and bitmaps as components see them. A TFont describes the canvas font of a
// control; TPicture holds a decoded bitmap or JPEG picture and is stored in a layout as its
// binary "Data" (a class-name prefix, then the file bytes, as stored forms keep pictures).

#include "platform/canvas/Canvas.h"
#include "platform/components/Classes.h"
#include "platform/types/Color.h"
#include "platform/types/PixelView.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace platform {

// System colours are 0x80000000 + index; these are the ones layouts name.
enum : int32_t {
    clBlack = 0x000000,
    clMaroon = 0x000080,
    clGreen = 0x008000,
    clOlive = 0x008080,
    clNavy = 0x800000,
    clPurple = 0x800080,
    clTeal = 0x808000,
    clGray = 0x808080,
    clSilver = 0xC0C0C0,
    clRed = 0x0000FF,
    clLime = 0x00FF00,
    clYellow = 0x00FFFF,
    clBlue = 0xFF0000,
    clFuchsia = 0xFF00FF,
    clAqua = 0xFFFF00,
    clWhite = 0xFFFFFF,
    clNone = 0x1FFFFFFF,
    clDefault = 0x20000000,
    clScrollBar = int32_t(0x80000000),
    clBackground = int32_t(0x80000001),
    clActiveCaption = int32_t(0x80000002),
    clWindow = int32_t(0x80000005),
    clWindowText = int32_t(0x80000008),
    clBtnFace = int32_t(0x8000000F),
    clBtnText = int32_t(0x80000012),
    clHighlight = int32_t(0x8000000D),
    clHighlightText = int32_t(0x8000000E),
};

// Colour names of the layout syntax.
std::optional<int32_t> ColorFromName(std::string_view name);
const char* ColorName(int32_t color); // nullptr when the colour has no name

using TFontStyles = uint8_t;
enum : TFontStyles { fsBold = 1,
    fsItalic = 2,
    fsUnderline = 4,
    fsStrikeOut = 8 };
enum class TFontPitch : uint8_t { fpDefault,
    fpVariable,
    fpFixed };

class TFont : public TPersistent {
    TORVA_CLASS(TFont)
public:
    TFont();

    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name) { StoreAndNotify(m_name, name); }
    // Negative: character height in pixels; positive: cell height.
    int Height() const { return m_height; }
    void SetHeight(int height) { StoreAndNotify(m_height, height); }
    // Points at 96 pixels per inch.
    int Size() const;
    void SetSize(int size);
    TColor Color() const { return m_color; }
    void SetColor(TColor color) { StoreAndNotify(m_color, color); }
    TFontStyles Style() const { return m_style; }
    void SetStyle(TFontStyles style) { StoreAndNotify(m_style, style); }
    uint8_t Charset() const { return m_charset; }
    void SetCharset(uint8_t charset) { StoreAndNotify(m_charset, charset); }
    TFontPitch Pitch() const { return m_pitch; }
    void SetPitch(TFontPitch pitch) { StoreAndNotify(m_pitch, pitch); }

    // The canvas font this describes (system colours resolved).
    CanvasFont ToCanvasFont() const;
    void Assign(const TPersistent& source) override;

    TNotifyEvent OnChange;

private:
    void Changed() { FireEvent(OnChange, this); }
    template <class T, class V>
    void StoreAndNotify(T& field, const V& value)
    {
        if (ChangeValue(field, value))
            Changed();
    }
    std::string m_name = "MS Sans Serif";
    int m_height = -11;
    TColor m_color = clWindowText;
    TFontStyles m_style = 0;
    uint8_t m_charset = DEFAULT_CHARSET;
    TFontPitch m_pitch = TFontPitch::fpDefault;
};

// A decoded picture in bottom-up 32-bit pixels, as the canvas blits them.
class TBitmap : public TPersistent {
    TORVA_CLASS(TBitmap)
public:
    TBitmap() = default;
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool Empty() const { return m_width == 0 || m_height == 0; }
    void SetSize(int width, int height);
    PixelView View() { return { reinterpret_cast<uint8_t*>(m_pixels.data()), m_width, m_height }; }
    PixelView View() const { return { reinterpret_cast<uint8_t*>(const_cast<uint32_t*>(m_pixels.data())), m_width, m_height }; }
    // Reads a bitmap or JPEG file's bytes; raises EConvertError naming what is wrong, leaving
    // the bitmap as it was.
    void LoadFromBytes(std::span<const uint8_t> bytes);
    // The file bytes the picture came from (kept so a layout writes back what it read).
    const std::vector<uint8_t>& SourceBytes() const { return m_source; }
    void Assign(const TPersistent& source) override;
    void DefineProperties(TFiler& filer) override;

    TNotifyEvent OnChange;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<uint32_t> m_pixels;
    std::vector<uint8_t> m_source;
};

// A picture of a control: empty, a bitmap or a JPEG picture (both decoded into Bitmap()).
// Its "Data" is the picture class name with a length byte ("\x07TBitmap" or
// "\x0CTJPEGImage"), the file's size (32 bits, little-endian), then the file bytes.
class TPicture : public TPersistent {
    TORVA_CLASS(TPicture)
public:
    TPicture() = default;
    bool Empty() const { return m_bitmap.Empty(); }
    int Width() const { return m_bitmap.Width(); }
    int Height() const { return m_bitmap.Height(); }
    const std::string& GraphicClass() const { return m_graphicClass; }
    TBitmap& Bitmap() { return m_bitmap; }
    const TBitmap& Bitmap() const { return m_bitmap; }
    // The file's bytes (bitmap or JPEG, by content); raises EConvertError when unreadable.
    void LoadFromBytes(std::span<const uint8_t> bytes);
    void Clear();
    void Assign(const TPersistent& source) override;
    void DefineProperties(TFiler& filer) override;

    TNotifyEvent OnChange;

private:
    void ReadData(const std::vector<uint8_t>& data);
    std::vector<uint8_t> WriteData() const;
    TBitmap m_bitmap;
    std::string m_graphicClass;
};

}
