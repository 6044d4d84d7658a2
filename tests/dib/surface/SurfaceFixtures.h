#pragma once

// Tiny surfaces built from and compared with rows of pixels written top row first.

#include "dib/surface/cDIB.h"

#include <cstdint>
#include <random>
#include <vector>

using PixelRows = std::vector<std::vector<uint32_t>>;

inline void PutRows(TAbstractSuperDIB& surface, const PixelRows& rows)
{
    surface.SetSize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x)
            surface.SetPixel(x, y, rows[y][x]);
}

inline PixelRows GetRows(const TAbstractSuperDIB& surface)
{
    PixelRows rows(surface.Height(), std::vector<uint32_t>(surface.Width()));
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x)
            rows[y][x] = surface.Pixels(x, y);
    return rows;
}

inline void FillRandom(TAbstractSuperDIB& surface, std::mt19937& random)
{
    for (int y = 0; y < surface.Height(); ++y)
        for (int x = 0; x < surface.Width(); ++x)
            surface.SetPixel(x, y, static_cast<uint32_t>(random()));
}
