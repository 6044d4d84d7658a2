#include "torvaxp/WindowIcon.h"

#include <algorithm>
#include <cmath>

namespace {

uint32_t Mix(uint32_t from, uint32_t to, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    auto channel = [&](int shift) {
        double a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
        return static_cast<uint32_t>(std::lround(a + (b - a) * t)) << shift;
    };
    return channel(16) | channel(8) | channel(0);
}

}

// The same disc as the scalable icon: a silver face lit from the top left, a dark rim, the
// hub, and an orange arc on the left.
std::vector<uint32_t> DrawWindowIcon(int size)
{
    constexpr uint32_t Light = 0xE8EEF2, Middle = 0x8A99A6, Dark = 0x3B4650, Rim = 0x1D242A, Hub = 0xC7D2DA, Arc = 0xFFB347;
    std::vector<uint32_t> pixels(static_cast<size_t>(size) * size, 0);
    const double unit = size / 64.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double px = (x + 0.5) / unit, py = (y + 0.5) / unit;
            const double r = std::hypot(px - 32, py - 32);
            if (r > 30)
                continue;
            uint32_t color;
            if (r > 28)
                color = Rim;
            else if (r <= 4)
                color = Hub;
            else if (r <= 9)
                color = Rim;
            else {
                const double light = std::hypot(px - 25.6, py - 22.4) / 48.0;
                color = light < 0.55 ? Mix(Light, Middle, light / 0.55) : Mix(Middle, Dark, (light - 0.55) / 0.45);
                // The arc runs from below the left (about 160 degrees) round to the top left (225).
                const double angle = std::atan2(py - 32, px - 32) + (py < 32 ? 2 * M_PI : 0);
                if (r > 20.5 && r < 23.5 && angle > 2.75 && angle < 3.95)
                    color = Arc;
            }
            pixels[static_cast<size_t>(y) * size + x] = 0xFF000000u | color;
        }
    }
    return pixels;
}
