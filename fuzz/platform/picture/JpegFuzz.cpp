// JPEG through the picture loader's dispatch on arbitrary bytes: decodes or raises.
#include "platform/picture/Picture.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        platform::Picture p = platform::DecodeJpeg({ data, size });
        if (p.width <= 0 || p.height <= 0 || p.pixels.size() != static_cast<size_t>(p.width) * p.height)
            std::abort();
        for (uint32_t pixel : p.pixels)
            if ((pixel >> 24) != 0xFF)
                std::abort();
    } catch (const platform::PictureError&) {
    }
    return 0;
}
