// A cue sheet of any bytes parses or is refused with a reason, and what it gives stays in range.
#include "platform/image/CueSheet.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string error;
    auto sheet = platform::ParseCueSheet(std::string_view(reinterpret_cast<const char*>(data), size), &error);
    if (!sheet) {
        if (error.empty())
            std::abort();
        return 0;
    }
    for (const platform::CueFile& file : sheet->files)
        for (const platform::CueTrack& track : file.tracks)
            if (track.number < 1 || track.number > 99 || platform::TrackDataOffset(track.mode) >= platform::TrackSectorSize(track.mode))
                std::abort();
    return 0;
}
