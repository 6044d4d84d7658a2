#pragma once

// What the picture fuzz targets ask of any decoding: a refusal says why, and an accepted picture
// has a size and exactly its pixels. Aborts otherwise, so the fuzzer keeps the input.

#include "platform/picture/Picture.h"

#include <cstdlib>

inline const platform::Picture* DecodedPicture(const platform::Result<platform::Picture>& decoded)
{
    if (!decoded) {
        if (decoded.Error().reason.empty())
            std::abort();
        return nullptr;
    }
    const platform::Picture& p = *decoded;
    if (p.width <= 0 || p.height <= 0 || p.pixels.size() != static_cast<size_t>(p.width) * p.height)
        std::abort();
    return &p;
}
