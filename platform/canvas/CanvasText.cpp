#include "platform/canvas/Canvas.h"

#include "platform/canvas/TextLayout.h"
#include "platform/fonts/FontRegistry.h"

#include <algorithm>

namespace platform {

SizedFont& TCanvas::CurrentFont()
{
    FontRegistry& registry = FontRegistry::Default();
    if (!m_font || !(m_fontKey == Font) || m_fontGeneration != registry.Generation()) {
        m_font = registry.Open(Font.Name, Font.Height, Font.Bold, Font.Italic, Font.Charset);
        m_fontKey = Font;
        m_fontGeneration = registry.Generation();
    }
    return *m_font;
}

namespace {

TextMeasure MeasureOf(SizedFont& font)
{
    TextMeasure measure;
    measure.advances = font.Advances();
    measure.lineHeight = font.Metrics().height;
    measure.aveCharWidth = font.Metrics().aveCharWidth;
    return measure;
}

// Glyph pixels are solid: a set bit takes the text colour, a clear bit leaves the pixel alone.
void PaintGlyph(const PixelView& target, const Glyph& glyph, int left, int top, uint32_t pixel, const TRect& clip)
{
    int y0 = std::max(0, clip.Top - top), y1 = std::min(glyph.rows, clip.Bottom - top);
    int x0 = std::max(0, clip.Left - left), x1 = std::min(glyph.width, clip.Right - left);
    for (int gy = y0; gy < y1; ++gy) {
        uint32_t* row = target.Row(top + gy) + left;
        const uint8_t* bits = glyph.bits.data() + static_cast<size_t>(gy) * glyph.pitch;
        for (int gx = x0; gx < x1; ++gx)
            if ((bits[gx >> 3] >> (7 - (gx & 7))) & 1)
                row[gx] = pixel;
    }
}

void FillClipped(const PixelView& target, TRect rect, const TRect& clip, uint32_t pixel)
{
    rect = Intersect(rect, clip);
    for (int y = rect.Top; y < rect.Bottom; ++y)
        std::fill(target.Row(y) + rect.Left, target.Row(y) + rect.Right, pixel);
}

}

void TCanvas::PaintLine(SizedFont& font, const TextLine& line, int x, int y, uint32_t pixel, const TRect& clip)
{
    const FontMetrics& m = font.Metrics();
    int baseline = y + m.ascent;
    if (Brush.Style == BrushStyle::Solid)
        FillClipped(m_target, { x, y, x + line.width, y + m.height }, clip, ColorToPixel(Brush.Color));
    for (const PlacedChar& ch : line.chars) {
        const Glyph& glyph = font.ByteGlyph(ch.byte);
        if (glyph.width > 0 && ch.byte != '\t')
            PaintGlyph(m_target, glyph, x + ch.x + glyph.left, baseline - glyph.top, pixel, clip);
        if (ch.underlined) {
            int underlineTop = baseline + m.underlinePosition - (m.underlineThickness + 1) / 2 + 1;
            FillClipped(m_target, { x + ch.x, underlineTop, x + ch.x + glyph.advance, underlineTop + m.underlineThickness }, clip, pixel);
        }
    }
    if (Font.Underline) {
        int underlineTop = baseline + m.underlinePosition - (m.underlineThickness + 1) / 2 + 1;
        FillClipped(m_target, { x, underlineTop, x + line.width, underlineTop + m.underlineThickness }, clip, pixel);
    }
    if (Font.StrikeOut) {
        int strikeTop = baseline - m.strikeoutPosition;
        FillClipped(m_target, { x, strikeTop, x + line.width, strikeTop + m.underlineThickness }, clip, pixel);
    }
}

int TCanvas::DrawText(std::string_view text, TRect& rect, uint32_t flags)
{
    SizedFont& font = CurrentFont();
    TextLayout layout = LayOutText(text, rect.Width(), flags, MeasureOf(font));
    if (flags & DT_CALCRECT) {
        rect.Right = rect.Left + layout.width;
        rect.Bottom = rect.Top + layout.height;
        return layout.height;
    }
    int top = rect.Top;
    bool singleLine = flags & DT_SINGLELINE;
    if (singleLine && (flags & DT_VCENTER))
        top = rect.Top + (rect.Height() - layout.height) / 2;
    else if (singleLine && (flags & DT_BOTTOM))
        top = rect.Bottom - layout.height;
    int result = (singleLine && (flags & (DT_VCENTER | DT_BOTTOM))) ? top - rect.Top + layout.height : layout.height;
    if (m_target.IsEmpty() || layout.lines.empty())
        return result;

    TRect clip = DeviceClip();
    if (!(flags & DT_NOCLIP))
        clip = Intersect(clip, rect.Offset(m_origin.X, m_origin.Y));
    uint32_t pixel = ColorToPixel(Font.Color);
    int lineHeight = font.Metrics().height;
    for (size_t i = 0; i < layout.lines.size(); ++i) {
        const TextLine& line = layout.lines[i];
        int x = rect.Left;
        if (flags & DT_CENTER)
            x = rect.Left + (rect.Width() - line.width) / 2;
        else if (flags & DT_RIGHT)
            x = rect.Right - line.width;
        int y = top + static_cast<int>(i) * lineHeight;
        if (y + m_origin.Y >= clip.Bottom)
            break;
        if (y + lineHeight + m_origin.Y > clip.Top)
            PaintLine(font, line, x + m_origin.X, y + m_origin.Y, pixel, clip);
    }
    Changed();
    return result;
}

TSize TCanvas::TextExtent(std::string_view text)
{
    SizedFont& font = CurrentFont();
    int width = 0;
    for (char ch : text)
        width += font.ByteAdvance(static_cast<uint8_t>(ch));
    return { width, font.Metrics().height };
}

void TCanvas::TextOut(int x, int y, std::string_view text)
{
    SizedFont& font = CurrentFont();
    TextLine line;
    int advance = 0;
    for (char ch : text) {
        line.chars.push_back({ static_cast<uint8_t>(ch), advance, false });
        advance += font.ByteAdvance(static_cast<uint8_t>(ch));
    }
    line.width = advance;
    m_penPos = { x + advance, y };
    if (m_target.IsEmpty())
        return;
    PaintLine(font, line, x + m_origin.X, y + m_origin.Y, ColorToPixel(Font.Color), DeviceClip());
    Changed();
}

}
