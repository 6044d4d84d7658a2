// JPEG through the picture loader's dispatch on arbitrary bytes: decodes or is refused with a reason.
#include "platform/picture/Picture.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto decoded = platform::DecodeJpeg({ data, size }, "fuzz.jpg");
    if (!decoded) {
        if (decoded.Error().reason.empty())
            std::abort();
        return 0;
    }
    const platform::Picture& p = *decoded;
    if (p.width <= 0 || p.height <= 0 || p.pixels.size() != static_cast<size_t>(p.width) * p.height)
        std::abort();
    for (uint32_t pixel : p.pixels)
        if ((pixel >> 24) != 0xFF)
            std::abort();
    return 0;
}
