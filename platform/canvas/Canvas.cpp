#include "platform/canvas/Canvas.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace platform {

namespace {

// The classic scheme's system colours, indexed by COLOR_ number.
constexpr std::array<TColor, 31> SystemColors = {
    0xC0C0C0,
    0x808000,
    0x800000,
    0x808080,
    0xC0C0C0,
    0xFFFFFF,
    0x000000,
    0x000000,
    0x000000,
    0xFFFFFF,
    0xC0C0C0,
    0xC0C0C0,
    0x808080,
    0x800000,
    0xFFFFFF,
    0xC0C0C0,
    0x808080,
    0x808080,
    0x000000,
    0xC0C0C0,
    0xFFFFFF,
    0x000000,
    0xC0C0C0,
    0x000000,
    0xE1FFFF,
    0x000000,
    0xFF0000,
    0xD08410,
    0xB5B5B5,
    0x800000,
    0xC0C0C0,
};

constexpr uint32_t SystemColorFlag = 0x80000000u;

}

TColor ColorToRGB(TColor color)
{
    uint32_t value = static_cast<uint32_t>(color);
    if (value & SystemColorFlag) {
        uint32_t index = value & 0xFFu;
        return index < SystemColors.size() ? SystemColors[index] : 0;
    }
    return static_cast<TColor>(value & 0x00FFFFFFu);
}

uint32_t ColorToPixel(TColor color)
{
    return SwapRedBlue(static_cast<uint32_t>(ColorToRGB(color))) & 0x00FFFFFFu;
}

TCanvas::TCanvas(PixelView target)
    : m_target(target)
{
}

void TCanvas::SetTarget(PixelView target)
{
    m_target = target;
}

void TCanvas::SetClipRect(const TRect& clip)
{
    m_clip = clip;
    m_hasClip = true;
}

void TCanvas::ResetClip()
{
    m_hasClip = false;
}

TRect TCanvas::ClipRect() const
{
    return DeviceClip().Offset(-m_origin.X, -m_origin.Y);
}

TRect TCanvas::DeviceClip() const
{
    if (m_target.IsEmpty())
        return {};
    TRect bounds { 0, 0, m_target.width, m_target.height };
    return m_hasClip ? Intersect(bounds, m_clip.Offset(m_origin.X, m_origin.Y)) : bounds;
}

void TCanvas::Changed()
{
    if (OnChange)
        OnChange();
}

void TCanvas::FillDevice(const TRect& deviceRect, uint32_t pixel)
{
    TRect r = Intersect(deviceRect, DeviceClip());
    if (r.IsEmpty())
        return;
    for (int y = r.Top; y < r.Bottom; ++y)
        std::fill(m_target.Row(y) + r.Left, m_target.Row(y) + r.Right, pixel);
}

void TCanvas::FillRect(const TRect& rect)
{
    if (Brush.Style == BrushStyle::Clear)
        return;
    FillDevice(rect.Offset(m_origin.X, m_origin.Y), ColorToPixel(Brush.Color));
    Changed();
}

void TCanvas::FillPixels(const TRect& rect, uint32_t pixel)
{
    FillDevice(rect.Offset(m_origin.X, m_origin.Y), pixel);
    Changed();
}

void TCanvas::FrameRect(const TRect& rect)
{
    if (rect.IsEmpty() || Brush.Style == BrushStyle::Clear)
        return;
    uint32_t pixel = ColorToPixel(Brush.Color);
    TRect r = rect.Offset(m_origin.X, m_origin.Y);
    FillDevice({ r.Left, r.Top, r.Right, r.Top + 1 }, pixel);
    FillDevice({ r.Left, r.Bottom - 1, r.Right, r.Bottom }, pixel);
    FillDevice({ r.Left, r.Top, r.Left + 1, r.Bottom }, pixel);
    FillDevice({ r.Right - 1, r.Top, r.Right, r.Bottom }, pixel);
    Changed();
}

void TCanvas::Rectangle(const TRect& rect)
{
    if (rect.IsEmpty())
        return;
    if (Brush.Style != BrushStyle::Clear)
        FillDevice({ rect.Left + 1 + m_origin.X, rect.Top + 1 + m_origin.Y, rect.Right - 1 + m_origin.X, rect.Bottom - 1 + m_origin.Y }, ColorToPixel(Brush.Color));
    TPoint saved = m_penPos;
    MoveTo(rect.Left, rect.Top);
    LineTo(rect.Right - 1, rect.Top);
    LineTo(rect.Right - 1, rect.Bottom - 1);
    LineTo(rect.Left, rect.Bottom - 1);
    LineTo(rect.Left, rect.Top);
    m_penPos = saved;
    Changed();
}

void TCanvas::MoveTo(int x, int y)
{
    m_penPos = { x, y };
}

void TCanvas::LineTo(int x, int y)
{
    TPoint from = m_penPos;
    m_penPos = { x, y };
    if (Pen.Style == PenStyle::Clear || m_target.IsEmpty())
        return;
    uint32_t pixel = ColorToPixel(Pen.Color);
    TRect clip = DeviceClip();
    int x0 = from.X + m_origin.X, y0 = from.Y + m_origin.Y;
    int x1 = x + m_origin.X, y1 = y + m_origin.Y;
    int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    // Long lines far outside the target are cut to the steps that can land in it.
    long steps = std::max<long>(dx, -dy);
    for (long step = 0; step < steps; ++step) {
        bool dotOn = Pen.Style != PenStyle::Dot || (step & 1) == 0;
        if (dotOn && clip.Contains({ x0, y0 }))
            m_target.At(x0, y0) = pixel;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
    Changed();
}

void TCanvas::SetPixel(int x, int y, TColor color)
{
    TPoint p { x + m_origin.X, y + m_origin.Y };
    if (DeviceClip().Contains(p)) {
        m_target.At(p.X, p.Y) = ColorToPixel(color);
        Changed();
    }
}

TColor TCanvas::GetPixel(int x, int y) const
{
    TPoint p { x + m_origin.X, y + m_origin.Y };
    if (!DeviceClip().Contains(p))
        return -1;
    return static_cast<TColor>(SwapRedBlue(m_target.At(p.X, p.Y)) & 0x00FFFFFFu);
}

void TCanvas::Draw(int x, int y, const PixelView& source)
{
    if (source.IsEmpty())
        return;
    CopyRect(Bounds(x, y, source.width, source.height), source, { 0, 0, source.width, source.height });
}

void TCanvas::DrawTransparent(int x, int y, const PixelView& source, uint32_t keyPixel)
{
    if (source.IsEmpty() || m_target.IsEmpty())
        return;
    TRect dest = Bounds(x + m_origin.X, y + m_origin.Y, source.width, source.height);
    TRect visible = Intersect(dest, DeviceClip());
    if (visible.IsEmpty())
        return;
    const uint32_t key = keyPixel & 0xFFFFFFu;
    for (int ty = visible.Top; ty < visible.Bottom; ++ty) {
        const uint32_t* srcRow = source.Row(ty - dest.Top);
        uint32_t* dstRow = m_target.Row(ty);
        for (int tx = visible.Left; tx < visible.Right; ++tx) {
            uint32_t pixel = srcRow[tx - dest.Left];
            if ((pixel & 0xFFFFFFu) != key)
                dstRow[tx] = pixel;
        }
    }
    Changed();
}

void TCanvas::StretchDraw(const TRect& destRect, const PixelView& source)
{
    if (source.IsEmpty())
        return;
    CopyRect(destRect, source, { 0, 0, source.width, source.height });
}

void TCanvas::CopyRect(const TRect& destRect, const PixelView& source, const TRect& srcRect)
{
    if (source.IsEmpty() || destRect.IsEmpty() || srcRect.IsEmpty() || m_target.IsEmpty())
        return;
    TRect dest = destRect.Offset(m_origin.X, m_origin.Y);
    TRect visible = Intersect(dest, DeviceClip());
    if (visible.IsEmpty())
        return;
    int64_t srcW = srcRect.Width(), srcH = srcRect.Height();
    int64_t dstW = dest.Width(), dstH = dest.Height();
    TRect sourceBounds { 0, 0, source.width, source.height };
    if (srcW == dstW && srcH == dstH) {
        // Same size: row copies of whatever part of the source exists.
        TRect wanted = Intersect(visible.Offset(srcRect.Left - dest.Left, srcRect.Top - dest.Top), sourceBounds);
        if (wanted.IsEmpty())
            return;
        int dx = dest.Left - srcRect.Left, dy = dest.Top - srcRect.Top;
        for (int sy = wanted.Top; sy < wanted.Bottom; ++sy)
            std::copy(source.Row(sy) + wanted.Left, source.Row(sy) + wanted.Right, m_target.Row(sy + dy) + wanted.Left + dx);
        Changed();
        return;
    }
    // Nearest pixel: destination column c shows source column srcLeft + c * srcW / dstW.
    for (int y = visible.Top; y < visible.Bottom; ++y) {
        int sy = srcRect.Top + static_cast<int>((y - dest.Top) * srcH / dstH);
        if (sy < 0 || sy >= source.height)
            continue;
        const uint32_t* srcRow = source.Row(sy);
        uint32_t* dstRow = m_target.Row(y);
        for (int x = visible.Left; x < visible.Right; ++x) {
            int sx = srcRect.Left + static_cast<int>((x - dest.Left) * srcW / dstW);
            if (sx >= 0 && sx < source.width)
                dstRow[x] = srcRow[sx];
        }
    }
    Changed();
}

}
