// JPEG through the picture loader's dispatch on arbitrary bytes: decodes or is refused with a reason.
#include "fuzz/platform/picture/DecodedPicture.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto decoded = platform::DecodeJpeg({ data, size }, "fuzz.jpg");
    const platform::Picture* picture = DecodedPicture(decoded);
    if (!picture)
        return 0;
    const platform::Picture& p = *picture;
    for (uint32_t pixel : p.pixels)
        if ((pixel >> 24) != 0xFF)
            std::abort();
    return 0;
}
