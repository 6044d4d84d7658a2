#pragma once

// The index's cache file: what was read of each disc, under the state of the files it was read
// from, so that a later start reads the folders' listings and this file alone. The file is
// text: a header line, then values each written as its length, ":", its bytes and a line
// break, so that no value needs escaping and a cut or altered file is told by its lengths.
// The cache is outside input: a file that does not parse whole is rejected, and the index is
// then read afresh.

#include "platform/files/FileStamp.h"
#include "shelf/ShelfDisc.h"

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shelf {

struct StampedFile {
    std::filesystem::path path;
    platform::FileStamp stamp;

    bool operator==(const StampedFile&) const = default;
};

struct CacheEntry {
    // The files the entry was read from; it holds while each of them keeps its stamp.
    std::vector<StampedFile> files;
    // Nothing for a file that is no disc image.
    std::optional<ShelfDisc> disc;

    bool operator==(const CacheEntry&) const = default;
};

// Entries by their source's path.
using CacheEntries = std::map<std::string, CacheEntry>;

class ShelfCache {
public:
    // Bounds on what a parse accepts: far beyond a real shelf, and they keep a damaged file from
    // asking for more than it could hold.
    static constexpr size_t MaxEntries = 1u << 20;
    static constexpr size_t MaxFiles = 4;
    static constexpr size_t MaxCounts = 32;
    static constexpr size_t MaxItems = 4096;
    static constexpr uint64_t MaxFileBytes = 1ull << 30;

    static std::string Write(const CacheEntries& entries);
    // Nothing when the text is not a whole cache file of this version.
    static std::optional<CacheEntries> Parse(std::string_view text);

    // Reads the file; an empty cache when it is missing or rejected.
    static CacheEntries Load(const std::filesystem::path& file);
    // Replaces the file whole in one step, making its folder; false when it cannot.
    static bool Store(const std::filesystem::path& file, const CacheEntries& entries);
};

}
