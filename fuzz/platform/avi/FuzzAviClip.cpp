// Clips come from the program's resources or from discs: any bytes must give a clip or an
// AviError, and decoding any frame of an accepted clip must stay inside its buffers.
#include "platform/avi/AviClip.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        auto clip = platform::AviClip::FromBytes({ data, size });
        std::vector<uint32_t> pixels(size_t(clip.Width()) * clip.Height());
        PixelView view { reinterpret_cast<uint8_t*>(pixels.data()), clip.Width(), clip.Height() };
        int frames = std::min(clip.FrameCount(), 64);
        for (int n = 0; n < frames; ++n)
            clip.DecodeFrame(n, view);
        if (frames > 1)
            clip.DecodeFrame(frames / 2, view); // backwards: decoding starts over
    } catch (const platform::AviError&) {
    }
    return 0;
}
