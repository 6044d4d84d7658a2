// The bitmap reader on arbitrary bytes: it either decodes a consistent picture or is refused
// with a reason.
#include "fuzz/platform/picture/DecodedPicture.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto decoded = platform::DecodeBitmap({ data, size }, "fuzz.bmp");
    const platform::Picture* picture = DecodedPicture(decoded);
    if (!picture)
        return 0;
    const platform::Picture& p = *picture;
    // What it reads it can write, and read back the same.
    auto back = platform::DecodeBitmap(platform::EncodeBitmap(p, 32), "fuzz.bmp");
    if (!back || back->width != p.width || back->height != p.height)
        std::abort();
    return 0;
}
