#pragma once

// The generator's drawing board: floating-point RGB pixels with a coverage mask, top-down, and
// shapes given as signed distance functions (negative inside), so edges, bevels and glows all
// come from one distance value per pixel.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace artwork {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) { return { a.r + b.r, a.g + b.g, a.b + b.b }; }
inline Rgb operator-(Rgb a, Rgb b) { return { a.r - b.r, a.g - b.g, a.b - b.b }; }
inline Rgb operator*(Rgb a, float k) { return { a.r * k, a.g * k, a.b * k }; }
inline Rgb Mix(Rgb a, Rgb b, float t) { return a + (b - a) * t; }
// 0xRRGGBB to a colour with channels 0..255.
Rgb Hex(uint32_t rgb);
float Clamp01(float v);
float SmoothStep(float edge0, float edge1, float v);

struct Box {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0; // x1, y1 exclusive
};

class Raster {
public:
    Raster() = default;
    Raster(int width, int height, Rgb fill = {});

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    Box Bounds() const { return { 0, 0, m_width, m_height }; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    Rgb& At(int x, int y) { return m_pixels[static_cast<size_t>(y) * m_width + x]; }
    const Rgb& At(int x, int y) const { return m_pixels[static_cast<size_t>(y) * m_width + x]; }
    // The fourth byte of the written pixels, 0..1.
    float& Mask(int x, int y) { return m_mask[static_cast<size_t>(y) * m_width + x]; }
    float Mask(int x, int y) const { return m_mask[static_cast<size_t>(y) * m_width + x]; }

    // Moves the pixel toward c by k (0..1); ignores points outside.
    void Blend(int x, int y, Rgb c, float k);
    void Add(int x, int y, Rgb c, float k);

    Raster Crop(int x, int y, int width, int height) const;
    void Paste(const Raster& source, int x, int y);

    // Top-down 0xAARRGGBB words, channels rounded and clamped; the fourth byte is the mask.
    std::vector<uint32_t> Pixels() const;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<Rgb> m_pixels;
    std::vector<float> m_mask;
};

using Sdf = std::function<float(float x, float y)>;

Sdf RoundBox(float x0, float y0, float x1, float y1, float radius);
Sdf Circle(float cx, float cy, float radius);
// A stroke from a to b with round ends.
Sdf Segment(float ax, float ay, float bx, float by, float halfWidth);
Sdf Polygon(std::vector<std::pair<float, float>> points);
Sdf Union(Sdf a, Sdf b);
Sdf Subtract(Sdf a, Sdf b);
Sdf Intersect(Sdf a, Sdf b);
// The band of half-width w around the outline.
Sdf Outline(Sdf a, float halfWidth);
Sdf Grow(Sdf a, float by);

// Pixel centres are at integer + 0.5; coverage is anti-aliased over one pixel.
float Coverage(const Sdf& shape, int x, int y);

void Fill(Raster& r, const Sdf& shape, Rgb color, float opacity = 1, Box area = {});
// colorAt gets the pixel and its depth inside the shape (distance from the edge, >= 0).
void FillWith(Raster& r, const Sdf& shape, const std::function<Rgb(int x, int y, float depth)>& colorAt, Box area = {});
// A soft light around the outline, fading over radius outside and a third of it inside.
void Glow(Raster& r, const Sdf& shape, Rgb color, float radius, float strength, Box area = {});
// Raised edge lit from the upper left (a negative strength sinks it).
void Bevel(Raster& r, const Sdf& shape, float width, float strength, Box area = {});
void Shadow(Raster& r, const Sdf& shape, float dx, float dy, float radius, float strength, Box area = {});

// Deterministic noise in 0..1.
float Hash(int x, int y, int seed);
// Streaks along x, as brushed metal shows.
float BrushedNoise(int x, int y, int seed);

// Anti-aliased glyph coverage of a text line (code page 1250) in a face found by name.
struct TextMask {
    int width = 0;
    int height = 0;
    std::vector<float> alpha;
    float At(int x, int y) const { return alpha[static_cast<size_t>(y) * width + x]; }
};
TextMask RenderText(const std::string& text, const std::string& face, int pixelHeight, bool bold);
TextMask BlurMask(const TextMask& mask, int radius);
void DrawMask(Raster& r, const TextMask& mask, int x, int y, Rgb color, float opacity = 1);
void AddMask(Raster& r, const TextMask& mask, int x, int y, Rgb color, float strength);
// Text centred on (cx, cy) with a glow and a dark drop shadow.
void GlowText(Raster& r, const std::string& text, const std::string& face, int pixelHeight, bool bold, float cx,
    float cy, Rgb color, Rgb glow);

}
