// The bitmap reader on arbitrary bytes: it either decodes a consistent picture or raises.
#include "platform/picture/Picture.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        platform::Picture p = platform::DecodeBitmap({ data, size });
        if (p.width <= 0 || p.height <= 0 || p.pixels.size() != static_cast<size_t>(p.width) * p.height)
            std::abort();
        // What it reads it can write, and read back the same.
        platform::Picture back = platform::DecodeBitmap(platform::EncodeBitmap(p, 32));
        if (back.width != p.width || back.height != p.height)
            std::abort();
    } catch (const platform::PictureError&) {
    }
    return 0;
}
