#include "tools/sampledisc/GalleryArt.h"

#include "platform/avi/AviClip.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace sampledisc {

using namespace artwork;

namespace {

constexpr float Pi = 3.14159265f;

struct Scheme {
    uint32_t skyTop, skyBottom, ground, accent, glow;
};

// Dusk, sea, lava, forest, ice, violet night, desert, steel.
const Scheme Schemes[] = {
    { 0x0B1340, 0xF07A3A, 0x1A0F22, 0xFFD36B, 0xFF8A1E },
    { 0x04263F, 0x3FB8D8, 0x062032, 0xE8FBFF, 0x38E0FF },
    { 0x1A0505, 0xC8341A, 0x120404, 0xFFB040, 0xFF5A1E },
    { 0x0A2416, 0x8CCB6A, 0x0C1A0E, 0xF4FFB0, 0x9CFF6A },
    { 0x1C3550, 0xDDEBF5, 0x6C8294, 0xFFFFFF, 0xA8E8FF },
    { 0x0E0624, 0x7A3AB8, 0x12081E, 0xFFB8F4, 0xD060FF },
    { 0x3A1C08, 0xF2C27A, 0x5E3A18, 0xFFF2C8, 0xFFC060 },
    { 0x141A22, 0x7A8898, 0x0E1218, 0xD8F4FF, 0x38E0FF },
};

uint32_t Seed(const std::string& name)
{
    uint32_t h = 2166136261u;
    for (unsigned char c : name)
        h = (h ^ c) * 16777619u;
    return h;
}

float Noise1(float x, uint32_t seed)
{
    int i = static_cast<int>(std::floor(x));
    float t = x - i;
    t = t * t * (3 - 2 * t);
    return Hash(i, 0, static_cast<int>(seed)) * (1 - t) + Hash(i + 1, 0, static_cast<int>(seed)) * t;
}

void Sky(Raster& r, const Scheme& s, float horizon)
{
    for (int y = 0; y < r.Height(); ++y) {
        float t = Clamp01(y / (horizon * r.Height()));
        Rgb c = Mix(Hex(s.skyTop), Hex(s.skyBottom), t * t);
        for (int x = 0; x < r.Width(); ++x)
            r.At(x, y) = c;
    }
}

void Stars(Raster& r, uint32_t seed, float horizon)
{
    int count = r.Width() * r.Height() / 900;
    for (int i = 0; i < count; ++i) {
        int x = static_cast<int>(Hash(i, 1, int(seed)) * r.Width());
        int y = static_cast<int>(Hash(i, 2, int(seed)) * r.Height() * horizon * 0.8f);
        r.Add(x, y, Hex(0xFFFFFF), 0.3f + 0.7f * Hash(i, 3, int(seed)));
    }
}

void Hills(Raster& r, const Scheme& s, uint32_t seed, float horizon, int layers)
{
    for (int layer = 0; layer < layers; ++layer) {
        float depth = layer / float(std::max(layers - 1, 1));
        Rgb color = Mix(Mix(Hex(s.skyBottom), Hex(s.ground), 0.55f), Hex(s.ground), depth);
        float base = horizon * r.Height() + depth * r.Height() * 0.18f;
        float amplitude = r.Height() * (0.14f - depth * 0.06f);
        for (int x = 0; x < r.Width(); ++x) {
            float u = x / float(r.Width());
            float top = base - amplitude * (Noise1(u * (3 + layer * 2.0f), seed + layer) * 0.7f + Noise1(u * 11, seed + 9 + layer) * 0.3f);
            for (int y = std::max(0, static_cast<int>(top)); y < r.Height(); ++y)
                r.Blend(x, y, color, y == static_cast<int>(top) ? top - std::floor(top) : 1);
        }
    }
}

void Grid(Raster& r, const Scheme& s, float horizon)
{
    float hy = horizon * r.Height();
    for (int y = static_cast<int>(hy); y < r.Height(); ++y) {
        float depth = (y - hy + 1) / (r.Height() - hy);
        for (int x = 0; x < r.Width(); ++x)
            r.At(x, y) = Mix(Hex(s.ground), Hex(s.skyTop), 0.2f * (1 - depth));
    }
    // Receding lines: evenly spaced in depth, fanning out from the vanishing point.
    for (int i = 1; i < 14; ++i) {
        float z = i / 14.0f;
        float y = hy + (r.Height() - hy) * z * z;
        Fill(r, Segment(0, y, float(r.Width()), y, 0.6f), Hex(s.glow), 0.5f + 0.5f * z, { 0, int(y) - 3, r.Width(), int(y) + 4 });
    }
    float cx = r.Width() / 2.0f;
    for (int i = -12; i <= 12; ++i)
        Fill(r, Segment(cx + i * 6.0f, hy, cx + i * r.Width() * 0.12f, float(r.Height()), 0.6f), Hex(s.glow), 0.6f,
            { 0, int(hy), r.Width(), r.Height() });
}

void Planet(Raster& r, const Scheme& s, uint32_t seed)
{
    float cx = r.Width() * (0.25f + 0.5f * Hash(1, 1, int(seed))), cy = r.Height() * (0.2f + 0.15f * Hash(2, 2, int(seed)));
    float radius = r.Height() * (0.12f + 0.1f * Hash(3, 3, int(seed)));
    Sdf disc = Circle(cx, cy, radius);
    Box area { int(cx - radius * 2), int(cy - radius * 2), int(cx + radius * 2), int(cy + radius * 2) };
    Glow(r, disc, Hex(s.glow), radius * 0.6f, 0.6f, area);
    FillWith(
        r, disc, [&](int x, int y, float) {
            float light = Clamp01(0.5f - ((x - cx) + (y - cy)) / (2.5f * radius));
            return Mix(Hex(s.ground), Hex(s.accent), light);
        },
        area);
}

void Bubbles(Raster& r, const Scheme& s, uint32_t seed)
{
    for (int i = 0; i < 14; ++i) {
        float cx = Hash(i, 5, int(seed)) * r.Width(), cy = Hash(i, 6, int(seed)) * r.Height();
        float radius = r.Height() * (0.03f + 0.08f * Hash(i, 7, int(seed)));
        Box area { int(cx - radius - 2), int(cy - radius - 2), int(cx + radius + 3), int(cy + radius + 3) };
        Fill(r, Circle(cx, cy, radius), (i % 2) ? Hex(s.glow) : Hex(s.accent), 0.12f + 0.18f * Hash(i, 8, int(seed)), area);
    }
}

void Stripes(Raster& r, const Scheme& s, uint32_t seed)
{
    float angle = 0.3f + Hash(4, 4, int(seed)) * 0.6f;
    float ca = std::cos(angle), sa = std::sin(angle);
    for (int y = 0; y < r.Height(); ++y)
        for (int x = 0; x < r.Width(); ++x) {
            float u = (x * ca + y * sa) / (r.Height() * 0.09f);
            float band = 0.5f + 0.5f * std::sin(u * Pi);
            if (band > 0.92f)
                r.Blend(x, y, Hex(s.accent), (band - 0.92f) * 3);
        }
}

void Vignette(Raster& r)
{
    for (int y = 0; y < r.Height(); ++y)
        for (int x = 0; x < r.Width(); ++x) {
            float dx = (x - r.Width() / 2.0f) / (r.Width() / 2.0f), dy = (y - r.Height() / 2.0f) / (r.Height() / 2.0f);
            r.At(x, y) = r.At(x, y) * (1 - 0.35f * Clamp01(dx * dx * 0.6f + dy * dy * 0.8f));
        }
}

void Scene(Raster& r, const std::string& baseName, int number, uint32_t seed)
{
    const Scheme& s = Schemes[(Seed(baseName) + static_cast<uint32_t>(number) * 3) % std::size(Schemes)];
    float horizon = 0.55f + 0.15f * Hash(number, 9, int(seed));
    Sky(r, s, horizon);
    switch ((seed + static_cast<uint32_t>(number)) % 4) {
    case 0:
        Stars(r, seed, horizon);
        Planet(r, s, seed);
        Hills(r, s, seed, horizon, 3);
        break;
    case 1:
        Stripes(r, s, seed);
        Hills(r, s, seed, horizon, 4);
        break;
    case 2:
        Stars(r, seed, horizon);
        Grid(r, s, horizon);
        break;
    default:
        Bubbles(r, s, seed);
        Hills(r, s, seed, horizon + 0.1f, 2);
        break;
    }
    Vignette(r);
}

// The title and subtitle in a band across the lower third, sized to fit the picture.
void Titles(Raster& r, const CardText& text, const Scheme& s, int number)
{
    int titleSize = std::max(10, r.Height() / 8);
    TextMask title = RenderText(text.title, "Play", titleSize, true);
    while (title.width > r.Width() - 16 && titleSize > 8) {
        titleSize -= 2;
        title = RenderText(text.title, "Play", titleSize, true);
    }
    // Still too wide at the smallest size: shortened, ending in an ellipsis (0x85).
    std::string shortened = text.title;
    while (title.width > r.Width() - 16 && shortened.size() > 1) {
        shortened.pop_back();
        title = RenderText(shortened + "\x85", "Play", titleSize, true);
    }
    int bandTop = r.Height() * 2 / 3 - title.height / 2;
    int bandHeight = title.height + (text.subtitle.empty() ? 8 : titleSize);
    for (int y = bandTop; y < bandTop + bandHeight && y < r.Height(); ++y)
        for (int x = 0; x < r.Width(); ++x)
            r.Blend(x, y, Hex(0x000000), 0.45f);
    Fill(r, Segment(0, float(bandTop), float(r.Width()), float(bandTop), 0.6f), Hex(s.glow), 1, { 0, bandTop - 2, r.Width(), bandTop + 3 });
    int x = (r.Width() - title.width) / 2, y = bandTop + 2;
    int blur = std::max(2, titleSize / 8);
    AddMask(r, BlurMask(title, blur), x - blur, y - blur, Hex(s.glow), 0.8f);
    DrawMask(r, title, x, y, Hex(0xFFFFFF));
    if (!text.subtitle.empty()) {
        TextMask sub = RenderText(text.subtitle, "Play", std::max(8, titleSize / 2), false);
        DrawMask(r, sub, (r.Width() - sub.width) / 2, y + title.height - 2, Hex(s.accent));
    }
    if (number > 0) {
        TextMask counter = RenderText(std::to_string(number), "Play", std::max(8, r.Height() / 20), true);
        DrawMask(r, counter, r.Width() - counter.width - 8, 6, Hex(s.accent), 0.9f);
    }
}

}

Raster TitleCard(const std::string& baseName, int number, int width, int height, const CardText& text)
{
    Raster r(width, height);
    uint32_t seed = Seed(baseName) + static_cast<uint32_t>(number) * 7919u;
    Scene(r, baseName, number, seed);
    Titles(r, text, Schemes[(Seed(baseName) + static_cast<uint32_t>(number) * 3) % std::size(Schemes)], number);
    return r;
}

std::vector<uint8_t> FilmClip(const std::string& baseName, const CardText& text)
{
    constexpr int Width = 160, Height = 120, Frames = 36;
    Raster still = TitleCard(baseName, 1, Width, Height, { text.title, "" });
    platform::Rle8ClipSource source;
    source.width = Width;
    source.height = Height;
    source.microSecPerFrame = 83333;
    // A 6 x 7 x 6 colour cube: plenty for a preview clip and needs no search.
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 7; ++g)
            for (int b = 0; b < 6; ++b)
                source.palette.push_back(uint32_t(r * 51) << 16 | uint32_t(g * 255 / 6) << 8 | uint32_t(b * 51));
    for (int f = 0; f < Frames; ++f) {
        Raster frame = still;
        float t = f / float(Frames);
        float cx = Width * (0.1f + 0.8f * t), cy = Height * 0.35f + std::sin(t * 2 * Pi) * 12;
        Glow(frame, Circle(cx, cy, 5), Hex(0xFFFFFF), 14, 0.8f);
        std::vector<uint8_t> indices(static_cast<size_t>(Width) * Height);
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x) {
                // Ordered dithering keeps the cube's steps from banding the skies.
                float dither = (((x & 1) ^ (y & 1)) * 2 + (y & 1)) / 4.0f - 0.375f;
                const Rgb& p = frame.At(x, y);
                auto level = [&](float v, int steps) { return std::clamp(static_cast<int>(std::lround(v / 255.0f * (steps - 1) + dither)), 0, steps - 1); };
                indices[static_cast<size_t>(y) * Width + x] = static_cast<uint8_t>(level(p.r, 6) * 42 + level(p.g, 7) * 6 + level(p.b, 6));
            }
        source.frames.push_back(std::move(indices));
    }
    return platform::WriteRle8Avi(source);
}

}
