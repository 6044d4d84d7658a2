// The end of an NRG file of any bytes: its footer and chunks give a track inside the file, or
// a reason why not.
#include "platform/image/NrgLayout.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string file(reinterpret_cast<const char*>(data), size);
    auto read = [&](uint64_t offset, size_t length) -> std::optional<std::string> {
        if (offset > file.size())
            return std::nullopt;
        return file.substr(static_cast<size_t>(offset), length);
    };
    auto track = platform::ReadNrgLayout(file.size(), read, "fuzz.nrg");
    if (track && (track->offset + track->bytes > file.size() || track->bytes == 0 || track->sectorSize < 2048))
        std::abort();
    if (!track && (track.Error().file != "fuzz.nrg" || track.Error().reason.empty()))
        std::abort();
    return 0;
}
