#include "tools/artwork/Raster.h"

#include "platform/canvas/Canvas.h"

#include <algorithm>
#include <cmath>

namespace artwork {

Rgb Hex(uint32_t rgb)
{
    return { float((rgb >> 16) & 0xFF), float((rgb >> 8) & 0xFF), float(rgb & 0xFF) };
}

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

float SmoothStep(float edge0, float edge1, float v)
{
    float t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

Raster::Raster(int width, int height, Rgb fill)
    : m_width(width)
    , m_height(height)
    , m_pixels(static_cast<size_t>(width) * height, fill)
    , m_mask(static_cast<size_t>(width) * height, 1.0f)
{
}

void Raster::Blend(int x, int y, Rgb c, float k)
{
    if (!Inside(x, y) || k <= 0)
        return;
    Rgb& p = At(x, y);
    p = Mix(p, c, std::min(k, 1.0f));
}

void Raster::Add(int x, int y, Rgb c, float k)
{
    if (!Inside(x, y) || k <= 0)
        return;
    Rgb& p = At(x, y);
    p = p + c * k;
}

Raster Raster::Crop(int x, int y, int width, int height) const
{
    Raster out(width, height);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i)
            if (Inside(x + i, y + j)) {
                out.At(i, j) = At(x + i, y + j);
                out.Mask(i, j) = Mask(x + i, y + j);
            }
    return out;
}

void Raster::Paste(const Raster& source, int x, int y)
{
    for (int j = 0; j < source.Height(); ++j)
        for (int i = 0; i < source.Width(); ++i)
            if (Inside(x + i, y + j)) {
                At(x + i, y + j) = source.At(i, j);
                Mask(x + i, y + j) = source.Mask(i, j);
            }
}

std::vector<uint32_t> Raster::Pixels() const
{
    auto channel = [](float v) { return static_cast<uint32_t>(std::clamp(std::lround(v), 0L, 255L)); };
    std::vector<uint32_t> out(m_pixels.size());
    for (size_t i = 0; i < m_pixels.size(); ++i) {
        const Rgb& p = m_pixels[i];
        out[i] = channel(m_mask[i] * 255) << 24 | channel(p.r) << 16 | channel(p.g) << 8 | channel(p.b);
    }
    return out;
}

Sdf RoundBox(float x0, float y0, float x1, float y1, float radius)
{
    float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2, hx = (x1 - x0) / 2 - radius, hy = (y1 - y0) / 2 - radius;
    return [=](float x, float y) {
        float qx = std::abs(x - cx) - hx, qy = std::abs(y - cy) - hy;
        float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
        return outside + std::min(std::max(qx, qy), 0.0f) - radius;
    };
}

Sdf Circle(float cx, float cy, float radius)
{
    return [=](float x, float y) { return std::hypot(x - cx, y - cy) - radius; };
}

Sdf Segment(float ax, float ay, float bx, float by, float halfWidth)
{
    return [=](float x, float y) {
        float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
        float len2 = dx * dx + dy * dy;
        float t = len2 > 0 ? Clamp01((px * dx + py * dy) / len2) : 0;
        return std::hypot(px - dx * t, py - dy * t) - halfWidth;
    };
}

Sdf Polygon(std::vector<std::pair<float, float>> points)
{
    return [points = std::move(points)](float x, float y) {
        float best = 1e9f;
        bool inside = false;
        size_t n = points.size();
        for (size_t i = 0, j = n - 1; i < n; j = i++) {
            auto [xi, yi] = points[i];
            auto [xj, yj] = points[j];
            float ex = xj - xi, ey = yj - yi, wx = x - xi, wy = y - yi;
            float len2 = ex * ex + ey * ey;
            float t = len2 > 0 ? Clamp01((wx * ex + wy * ey) / len2) : 0;
            best = std::min(best, std::hypot(wx - ex * t, wy - ey * t));
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
                inside = !inside;
        }
        return inside ? -best : best;
    };
}

Sdf Union(Sdf a, Sdf b)
{
    return [a = std::move(a), b = std::move(b)](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

Sdf Subtract(Sdf a, Sdf b)
{
    return [a = std::move(a), b = std::move(b)](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}

Sdf Intersect(Sdf a, Sdf b)
{
    return [a = std::move(a), b = std::move(b)](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

Sdf Outline(Sdf a, float halfWidth)
{
    return [a = std::move(a), halfWidth](float x, float y) { return std::abs(a(x, y)) - halfWidth; };
}

Sdf Grow(Sdf a, float by)
{
    return [a = std::move(a), by](float x, float y) { return a(x, y) - by; };
}

float Coverage(const Sdf& shape, int x, int y)
{
    return Clamp01(0.5f - shape(x + 0.5f, y + 0.5f));
}

namespace {

Box Clip(const Raster& r, Box area)
{
    if (area.x1 <= area.x0 || area.y1 <= area.y0)
        return r.Bounds();
    return { std::max(area.x0, 0), std::max(area.y0, 0), std::min(area.x1, r.Width()), std::min(area.y1, r.Height()) };
}

}

void Fill(Raster& r, const Sdf& shape, Rgb color, float opacity, Box area)
{
    Box b = Clip(r, area);
    for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x)
            r.Blend(x, y, color, Coverage(shape, x, y) * opacity);
}

void FillWith(Raster& r, const Sdf& shape, const std::function<Rgb(int x, int y, float depth)>& colorAt, Box area)
{
    Box b = Clip(r, area);
    for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x) {
            float d = shape(x + 0.5f, y + 0.5f);
            float k = Clamp01(0.5f - d);
            if (k > 0)
                r.Blend(x, y, colorAt(x, y, std::max(-d, 0.0f)), k);
        }
}

void Glow(Raster& r, const Sdf& shape, Rgb color, float radius, float strength, Box area)
{
    Box b = Clip(r, area);
    for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x) {
            float d = shape(x + 0.5f, y + 0.5f);
            float k = d >= 0 ? std::exp(-(d * d) / (radius * radius / 2)) : std::exp(-(d * d) / (radius * radius / 18));
            r.Add(x, y, color, k * strength);
        }
}

void Bevel(Raster& r, const Sdf& shape, float width, float strength, Box area)
{
    Box b = Clip(r, area);
    const float lx = -0.6f, ly = -0.8f;
    for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x) {
            float px = x + 0.5f, py = y + 0.5f;
            float d = shape(px, py);
            if (d > 0.5f || d < -width)
                continue;
            float gx = shape(px + 0.5f, py) - shape(px - 0.5f, py);
            float gy = shape(px, py + 0.5f) - shape(px, py - 0.5f);
            float len = std::hypot(gx, gy);
            if (len < 1e-4f)
                continue;
            // The outward normal faces the light on the upper-left rim.
            float light = (gx * lx + gy * ly) / len;
            float fade = 1 - SmoothStep(0, width, -d);
            float k = light * fade * strength * Clamp01(0.5f - d);
            if (k > 0)
                r.Blend(x, y, Hex(0xF4F8FF), k);
            else
                r.Blend(x, y, Hex(0x000000), -k);
        }
}

void Shadow(Raster& r, const Sdf& shape, float dx, float dy, float radius, float strength, Box area)
{
    Box b = Clip(r, area);
    for (int y = b.y0; y < b.y1; ++y)
        for (int x = b.x0; x < b.x1; ++x) {
            float d = shape(x + 0.5f - dx, y + 0.5f - dy);
            float k = 1 - SmoothStep(-radius / 2, radius, d);
            r.Blend(x, y, Hex(0x000000), k * strength);
        }
}

float Hash(int x, int y, int seed)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + static_cast<uint32_t>(seed) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / float(0xFFFFFF);
}

float BrushedNoise(int x, int y, int seed)
{
    float streak = 0;
    int segment = x / 23;
    float t = (x % 23) / 23.0f;
    streak = Mix(Rgb { Hash(segment, y, seed), 0, 0 }, Rgb { Hash(segment + 1, y, seed), 0, 0 }, t).r;
    return 0.6f * streak + 0.4f * Hash(x, y, seed + 7);
}

TextMask RenderText(const std::string& text, const std::string& face, int pixelHeight, bool bold)
{
    // The canvas draws whole-pixel glyphs; four times the size, averaged down, gives smooth edges.
    constexpr int Scale = 4;
    platform::TCanvas measure;
    std::vector<uint32_t> probe(1);
    measure.SetTarget(PixelView { reinterpret_cast<uint8_t*>(probe.data()), 1, 1 });
    measure.Font.Name = face;
    measure.Font.Height = -pixelHeight * Scale;
    measure.Font.Bold = bold;
    measure.Font.Charset = platform::EASTEUROPE_CHARSET;
    TSize size = measure.TextExtent(text);
    int pad = Scale * 2;
    int bigW = size.cx + 2 * pad, bigH = size.cy + 2 * pad;
    std::vector<uint32_t> big(static_cast<size_t>(bigW) * bigH, 0);
    platform::TCanvas canvas(PixelView { reinterpret_cast<uint8_t*>(big.data()), bigW, bigH });
    canvas.Font = measure.Font;
    canvas.Font.Color = 0xFFFFFF;
    canvas.Brush.Style = platform::BrushStyle::Clear;
    canvas.TextOut(pad, pad, text);
    PixelView view { reinterpret_cast<uint8_t*>(big.data()), bigW, bigH };

    TextMask mask;
    mask.width = (bigW + Scale - 1) / Scale;
    mask.height = (bigH + Scale - 1) / Scale;
    mask.alpha.assign(static_cast<size_t>(mask.width) * mask.height, 0);
    for (int y = 0; y < bigH; ++y)
        for (int x = 0; x < bigW; ++x)
            if (view.At(x, y) & 0xFF00)
                mask.alpha[static_cast<size_t>(y / Scale) * mask.width + x / Scale] += 1.0f / (Scale * Scale);
    return mask;
}

TextMask BlurMask(const TextMask& mask, int radius)
{
    TextMask out;
    out.width = mask.width + 2 * radius;
    out.height = mask.height + 2 * radius;
    out.alpha.assign(static_cast<size_t>(out.width) * out.height, 0);
    std::vector<float> rows(out.alpha.size(), 0);
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x) {
            float v = mask.At(x, y) / (2 * radius + 1);
            for (int k = 0; k <= 2 * radius; ++k)
                rows[static_cast<size_t>(y + radius) * out.width + x + k] += v;
        }
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) {
            float v = rows[static_cast<size_t>(y) * out.width + x] / (2 * radius + 1);
            for (int k = -radius; k <= radius; ++k)
                if (y + k >= 0 && y + k < out.height)
                    out.alpha[static_cast<size_t>(y + k) * out.width + x] += v;
        }
    return out;
}

void DrawMask(Raster& r, const TextMask& mask, int x, int y, Rgb color, float opacity)
{
    for (int j = 0; j < mask.height; ++j)
        for (int i = 0; i < mask.width; ++i)
            r.Blend(x + i, y + j, color, mask.At(i, j) * opacity);
}

void AddMask(Raster& r, const TextMask& mask, int x, int y, Rgb color, float strength)
{
    for (int j = 0; j < mask.height; ++j)
        for (int i = 0; i < mask.width; ++i)
            r.Add(x + i, y + j, color, mask.At(i, j) * strength);
}

void GlowText(Raster& r, const std::string& text, const std::string& face, int pixelHeight, bool bold, float cx,
    float cy, Rgb color, Rgb glow)
{
    TextMask mask = RenderText(text, face, pixelHeight, bold);
    int x = static_cast<int>(std::lround(cx - mask.width / 2.0f));
    int y = static_cast<int>(std::lround(cy - mask.height / 2.0f));
    int radius = std::max(2, pixelHeight / 6);
    TextMask soft = BlurMask(mask, radius);
    DrawMask(r, soft, x - radius + 1, y - radius + 2, Hex(0x000000), 0.8f);
    AddMask(r, soft, x - radius, y - radius, glow, 0.9f);
    DrawMask(r, mask, x, y, color);
}

}
