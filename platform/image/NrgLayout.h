#pragma once

// Where an NRG image keeps its first track: the footer at the file's end points at a list of
// chunks, whose track list (ETN2 or ETNF when written track at once, DAOX or DAOI when written
// disc at once) gives the track's byte offset and sector size.

#include "platform/types/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <functional>

namespace platform {

struct NrgTrack {
    uint64_t offset = 0;     // of the track's first sector in the file
    uint64_t bytes = 0;      // of the track (0: to the chunk list)
    uint32_t sectorSize = 0; // 2048, 2336, 2352 or 2448 (raw with subchannel)
};

// Reads `length` bytes at `offset` of the file; empty when it cannot.
using NrgReader = std::function<std::optional<std::string>(uint64_t offset, size_t length)>;

// The first track of the image `file` of `fileBytes` bytes; refused when the footer, the chunk
// list or the track list is missing or does not fit the file.
Result<NrgTrack> ReadNrgLayout(uint64_t fileBytes, const NrgReader& read, const std::string& file);

}
