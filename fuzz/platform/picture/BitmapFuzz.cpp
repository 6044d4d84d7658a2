// The bitmap reader on arbitrary bytes: it either decodes a consistent picture or is refused
// with a reason.
#include "platform/picture/Picture.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto decoded = platform::DecodeBitmap({ data, size }, "fuzz.bmp");
    if (!decoded) {
        if (decoded.Error().reason.empty())
            std::abort();
        return 0;
    }
    const platform::Picture& p = *decoded;
    if (p.width <= 0 || p.height <= 0 || p.pixels.size() != static_cast<size_t>(p.width) * p.height)
        std::abort();
    // What it reads it can write, and read back the same.
    auto back = platform::DecodeBitmap(platform::EncodeBitmap(p, 32), "fuzz.bmp");
    if (!back || back->width != p.width || back->height != p.height)
        std::abort();
    return 0;
}
