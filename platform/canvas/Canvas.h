#pragma once

// The drawing surface controls paint on: a view of 32-bit bottom-up pixel memory that the canvas
// writes straight into, so whatever is drawn here is what the surface's own span routines read
// next. Coordinates are relative to the origin and everything is clipped to the clip rectangle
// (in canvas coordinates) and the target's bounds.

#include "platform/types/Color.h"
#include "platform/types/Geometry.h"
#include "platform/types/PixelView.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

class SizedFont;
struct TextLine;

// DrawTextA format flags, with the window system's values.
enum : uint32_t {
    DT_TOP = 0x0,
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_EXPANDTABS = 0x40,
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
    DT_RTLREADING = 0x20000,
    DT_HIDEPREFIX = 0x100000,
};

// Character sets a font can ask for; text is code page 1250 bytes whatever the set, except that
// a symbol font maps each byte into its private-use range.
enum : uint8_t {
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
    SYMBOL_CHARSET = 2,
    EASTEUROPE_CHARSET = 238,
};

struct CanvasFont {
    std::string Name = "MS Sans Serif";
    // Negative: character height in pixels (em size); positive: cell height; 0: default size.
    int Height = -11;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    uint8_t Charset = DEFAULT_CHARSET;
    TColor Color = 0;
    friend bool operator==(const CanvasFont&, const CanvasFont&) = default;
};

enum class BrushStyle { Solid,
    Clear };
enum class PenStyle { Solid,
    Dot,
    Clear };

struct CanvasBrush {
    TColor Color = 0xFFFFFF;
    BrushStyle Style = BrushStyle::Solid;
};

struct CanvasPen {
    TColor Color = 0;
    PenStyle Style = PenStyle::Solid;
};

// Colour references with the top bit set name system colours (index in the low byte); this
// gives their plain RGB value. Other values keep their low 24 bits.
TColor ColorToRGB(TColor color);

// The pixel a colour reference draws: pixel order with a fourth byte of 0, as the window system's
// drawing calls leave it.
uint32_t ColorToPixel(TColor color);

class TCanvas {
public:
    TCanvas() = default;
    explicit TCanvas(PixelView target);

    void SetTarget(PixelView target);
    const PixelView& Target() const { return m_target; }
    bool HasTarget() const { return !m_target.IsEmpty(); }

    // The point of the target that canvas coordinate (0, 0) addresses.
    void SetOrigin(TPoint origin) { m_origin = origin; }
    TPoint Origin() const { return m_origin; }
    // Drawing is limited to this rectangle (canvas coordinates) as well as to the target.
    void SetClipRect(const TRect& clip);
    void ResetClip();
    TRect ClipRect() const;

    CanvasFont Font;
    CanvasBrush Brush;
    CanvasPen Pen;

    // Called after every drawing operation that may have changed pixels.
    std::function<void()> OnChange;

    // Fills with the brush (nothing when the brush is clear).
    void FillRect(const TRect& rect);
    // Fills with a raw pixel value, fourth byte included.
    void FillPixels(const TRect& rect, uint32_t pixel);
    void FrameRect(const TRect& rect);
    // Outline with the pen, inside filled with the brush; Right and Bottom lie outside.
    void Rectangle(const TRect& rect);
    void MoveTo(int x, int y);
    // A line with the pen from the current position up to, not including, (x, y).
    void LineTo(int x, int y);
    TPoint PenPos() const { return m_penPos; }

    void SetPixel(int x, int y, TColor color);
    // The colour reference at (x, y), or -1 outside the drawable area.
    TColor GetPixel(int x, int y) const;

    // Plain copy of the whole source with its top-left at (x, y).
    void Draw(int x, int y, const PixelView& source);
    // The same, leaving out the source pixels whose colour (the low three bytes) is keyPixel's:
    // what is under them stays.
    void DrawTransparent(int x, int y, const PixelView& source, uint32_t keyPixel);
    // Copies srcRect of the source into destRect, stretching by nearest pixel when the sizes
    // differ (the colour-on-colour mode: no blending, every pixel is a source pixel).
    void CopyRect(const TRect& destRect, const PixelView& source, const TRect& srcRect);
    void StretchDraw(const TRect& destRect, const PixelView& source);

    // DrawTextA: returns the height of the text; with DT_CALCRECT only measures and sets
    // rect's Right and Bottom (Left and Top stay).
    int DrawText(std::string_view text, TRect& rect, uint32_t flags);
    // GetTextExtentPointA: width of the text on one line (no prefix or tab handling) and the
    // font's cell height.
    TSize TextExtent(std::string_view text);
    int TextWidth(std::string_view text) { return TextExtent(text).cx; }
    int TextHeight(std::string_view text) { return TextExtent(text).cy; }
    // Text with its cell's top-left at (x, y); the cell gets the brush unless the brush is clear.
    void TextOut(int x, int y, std::string_view text);

private:
    TRect DeviceClip() const;
    SizedFont& CurrentFont();
    void PaintLine(SizedFont& font, const TextLine& line, int x, int y, uint32_t pixel, const TRect& clip);
    void FillDevice(const TRect& deviceRect, uint32_t pixel);
    void Changed();

    PixelView m_target;
    TPoint m_origin;
    TRect m_clip;
    bool m_hasClip = false;
    TPoint m_penPos;
    std::shared_ptr<SizedFont> m_font;
    CanvasFont m_fontKey;
    uint64_t m_fontGeneration = 0;
};

}
