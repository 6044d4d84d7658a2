// Clips come from the program's resources or from discs: any bytes must give a clip or be
// refused with a reason, and decoding any frame of an accepted clip must stay inside its buffers.
#include "platform/avi/AviClip.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto read = platform::AviClip::FromBytes({ data, size }, "fuzz.avi");
    if (!read) {
        if (read.Error().reason.empty())
            std::abort();
        return 0;
    }
    platform::AviClip& clip = *read;
    std::vector<uint32_t> pixels(size_t(clip.Width()) * clip.Height());
    PixelView view { reinterpret_cast<uint8_t*>(pixels.data()), clip.Width(), clip.Height() };
    int frames = std::min(clip.FrameCount(), 64);
    try {
        for (int n = 0; n < frames; ++n)
            clip.DecodeFrame(n, view);
        if (frames > 1)
            clip.DecodeFrame(frames / 2, view); // backwards: decoding starts over
    } catch (const platform::AviError&) {
    }
    return 0;
}
