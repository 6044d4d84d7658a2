// The ten side animations. Each clip plays over the part of the window background its player
// covers: a band of light sweeps along the metal and a few lamps flicker, strongest halfway,
// so the first and last frames are the background itself and a player that stays on its last
// frame leaves no seam. Frames share one palette found by median cut over every frame.

#include "tools/artwork/Art.h"
#include "tools/artwork/Geometry.h"

#include "platform/avi/AviClip.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace artwork {

namespace {

constexpr int Bins = 32 * 32 * 32;

int BinOf(const Rgb& c)
{
    auto q = [](float v) { return std::clamp(static_cast<int>(v) >> 3, 0, 31); };
    return q(c.r) << 10 | q(c.g) << 5 | q(c.b);
}

struct Histogram {
    std::vector<uint32_t> count = std::vector<uint32_t>(Bins, 0);
    std::vector<std::array<double, 3>> sum = std::vector<std::array<double, 3>>(Bins, { 0, 0, 0 });
};

struct ColorBox {
    std::vector<int> bins;
    uint64_t weight = 0;
    int Spread(int axis) const
    {
        int lo = 31, hi = 0;
        for (int bin : bins) {
            int v = (bin >> (10 - 5 * axis)) & 31;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        return hi - lo;
    }
};

// Up to 256 colours (pixel order 0x00RRGGBB) that represent the histogram's occupied bins.
std::vector<uint32_t> MedianCut(const Histogram& h)
{
    ColorBox all;
    for (int bin = 0; bin < Bins; ++bin)
        if (h.count[bin]) {
            all.bins.push_back(bin);
            all.weight += h.count[bin];
        }
    std::vector<ColorBox> boxes { all };
    while (boxes.size() < 256) {
        // Split the box whose widest side, weighted by its pixels, is largest.
        size_t pick = boxes.size();
        double best = 0;
        int axis = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].bins.size() < 2)
                continue;
            for (int a = 0; a < 3; ++a) {
                double score = boxes[i].Spread(a) * std::sqrt(double(boxes[i].weight));
                if (score > best) {
                    best = score;
                    pick = i;
                    axis = a;
                }
            }
        }
        if (pick == boxes.size())
            break;
        ColorBox box = std::move(boxes[pick]);
        int shift = 10 - 5 * axis;
        std::sort(box.bins.begin(), box.bins.end(), [&](int a, int b) { return ((a >> shift) & 31) < ((b >> shift) & 31); });
        uint64_t half = box.weight / 2, run = 0;
        size_t cut = 1;
        for (; cut < box.bins.size(); ++cut) {
            run += h.count[box.bins[cut - 1]];
            if (run >= half)
                break;
        }
        cut = std::clamp<size_t>(cut, 1, box.bins.size() - 1);
        ColorBox left, right;
        left.bins.assign(box.bins.begin(), box.bins.begin() + static_cast<long>(cut));
        right.bins.assign(box.bins.begin() + static_cast<long>(cut), box.bins.end());
        for (int bin : left.bins)
            left.weight += h.count[bin];
        for (int bin : right.bins)
            right.weight += h.count[bin];
        boxes[pick] = std::move(left);
        boxes.push_back(std::move(right));
    }
    std::vector<uint32_t> palette;
    for (const ColorBox& box : boxes) {
        std::array<double, 3> s { 0, 0, 0 };
        for (int bin : box.bins)
            for (int c = 0; c < 3; ++c)
                s[c] += h.sum[bin][c];
        auto channel = [&](int c) { return static_cast<uint32_t>(std::clamp(std::lround(s[c] / double(box.weight)), 0L, 255L)); };
        palette.push_back(channel(0) << 16 | channel(1) << 8 | channel(2));
    }
    return palette;
}

uint8_t Nearest(const std::vector<uint32_t>& palette, int bin)
{
    int r = ((bin >> 10) & 31) * 8 + 4, g = ((bin >> 5) & 31) * 8 + 4, b = (bin & 31) * 8 + 4;
    int best = 0, bestDistance = 1 << 30;
    for (size_t i = 0; i < palette.size(); ++i) {
        int dr = int(palette[i] >> 16 & 0xFF) - r, dg = int(palette[i] >> 8 & 0xFF) - g, db = int(palette[i] & 0xFF) - b;
        int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return static_cast<uint8_t>(best);
}

Raster Frame(const Raster& base, int seed, float t)
{
    Raster r = base;
    float strength = std::sin(t * 3.14159f);
    if (strength <= 0.001f)
        return r;
    int w = r.Width(), h = r.Height();
    bool tall = h > w;
    float length = float(tall ? h : w), band = std::max(10.0f, length * 0.18f);
    float centre = -band + t * (length + 2 * band);
    Rgb sweep = (seed % 3 == 0) ? Hex(palette::Orange) : Hex(palette::Cyan);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float along = tall ? y + x * 0.35f : x + y * 0.35f;
            float d = (along - centre) / band;
            float k = std::exp(-d * d * 2) * strength;
            const Rgb& p = base.At(x, y);
            // The light catches bright metal more than the dark seams.
            float lum = (p.r + p.g + p.b) / (3 * 255.0f);
            r.Add(x, y, sweep, k * (0.25f + 0.6f * lum));
        }
    for (int i = 0; i < 4; ++i) {
        float lx = 4 + Hash(i, seed, 71) * (w - 8), ly = 4 + Hash(seed, i, 73) * (h - 8);
        float flicker = strength * (0.5f + 0.5f * std::sin(t * 25 + i * 2.1f));
        Rgb lamp = (i % 2) ? Hex(palette::Orange) : Hex(palette::Cyan);
        Box area { int(lx) - 10, int(ly) - 10, int(lx) + 11, int(ly) + 11 };
        Glow(r, Circle(lx, ly, 1.5f), lamp, 6, 0.7f * flicker, area);
    }
    return r;
}

}

std::vector<uint8_t> SideClip(const Raster& background, const ClipEntry& clip)
{
    Raster base = background.Crop(clip.x, clip.y, clip.width, clip.height);
    int frameCount = clip.stopFrame + 1;
    int seed = clip.x * 7 + clip.y * 13;
    std::vector<Raster> frames;
    Histogram histogram;
    for (int f = 0; f < frameCount; ++f) {
        frames.push_back(Frame(base, seed, f / float(frameCount - 1)));
        for (int y = 0; y < clip.height; ++y)
            for (int x = 0; x < clip.width; ++x) {
                Rgb c = frames.back().At(x, y);
                c = { std::clamp(c.r, 0.0f, 255.0f), std::clamp(c.g, 0.0f, 255.0f), std::clamp(c.b, 0.0f, 255.0f) };
                int bin = BinOf(c);
                histogram.count[bin] += 1;
                histogram.sum[bin][0] += c.r;
                histogram.sum[bin][1] += c.g;
                histogram.sum[bin][2] += c.b;
            }
    }
    platform::Rle8ClipSource source;
    source.width = clip.width;
    source.height = clip.height;
    source.microSecPerFrame = 66666;
    source.palette = MedianCut(histogram);
    std::vector<int> lookup(Bins, -1);
    for (const Raster& frame : frames) {
        std::vector<uint8_t> indices(static_cast<size_t>(clip.width) * clip.height);
        for (int y = 0; y < clip.height; ++y)
            for (int x = 0; x < clip.width; ++x) {
                int bin = BinOf(frame.At(x, y));
                if (lookup[bin] < 0)
                    lookup[bin] = Nearest(source.palette, bin);
                indices[static_cast<size_t>(y) * clip.width + x] = static_cast<uint8_t>(lookup[bin]);
            }
        source.frames.push_back(std::move(indices));
    }
    return platform::WriteRle8Avi(source);
}

}
