#pragma once

// The shelf: every disc found on a set of folders (disc images and disc folders), each with what
// its catalogue holds, read straight from the images and kept in a cache file keyed by the
// state of the files each disc was read from; how many of each disc's items the state file
// records as installed; and a search across all of them.
//
// A window lists Discs(), shows Search()'s hits, and opens a disc's `source` on a hit's
// category and number.

#include "shelf/ShelfDisc.h"
#include "shelf/ShelfSearch.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <string_view>
#include <vector>

namespace shelf {

struct ShelfOptions {
    std::vector<std::filesystem::path> folders;
    // Where the index is kept; DefaultCacheFile() when empty.
    std::filesystem::path cacheFile;
    // The state file that remembers installations (a prefix's C:\WINDOWS\torva.ini), when known.
    std::optional<std::filesystem::path> stateFile;
    // False lists the discs the cache knows and marks the others unindexed instead of reading
    // them; the cache file is then left as it is.
    bool readDiscs = true;
};

struct ShelfProgress {
    size_t done = 0;  // candidates looked at so far, this one included
    size_t total = 0; // candidates found on the folders
    std::filesystem::path current;
    bool read = false; // this one was read, not taken from the cache
};
using ShelfProgressReport = std::function<void(const ShelfProgress&)>;

// What one build did.
struct ShelfStats {
    size_t discsRead = 0;   // read from their images or folders
    size_t discsCached = 0; // taken from the cache
    size_t unindexed = 0;   // neither (readDiscs off)
    bool cacheWritten = false;
    bool stopped = false;
};

class ShelfIndex {
public:
    // $XDG_CACHE_HOME/torva/shelf/index, else ~/.cache/torva/shelf/index.
    static std::filesystem::path DefaultCacheFile();
    // The state file of a machine prefix, C:\WINDOWS\torva.ini, found as Windows finds it;
    // nothing when the prefix has none yet.
    static std::optional<std::filesystem::path> StateFileIn(const std::filesystem::path& prefixRoot);

    // Finds the discs and reads those the cache does not know or whose files changed; never
    // stops on a bad disc, which is listed with its problem instead. Asked to stop, it ends after
    // the disc it is reading, leaves the cache file as it is and says it stopped.
    static ShelfIndex Build(const ShelfOptions& options, const ShelfProgressReport& progress = {}, std::stop_token stop = {});

    // In the order found: by path, folder by folder.
    const std::vector<ShelfDisc>& Discs() const { return m_discs; }
    // The discs readDiscs off found but the cache did not know, by their source.
    const std::vector<std::filesystem::path>& Unindexed() const { return m_unindexed; }
    const ShelfStats& Stats() const { return m_stats; }

    // See ShelfSearch::Find.
    std::vector<ShelfHit> Search(std::string_view cp1250Query) const { return m_search.Find(cp1250Query); }
    const ShelfItem& ItemOf(const ShelfHit& hit) const { return m_discs.at(hit.disc).items.at(hit.item); }

    // Counts the items the state file records as installed, in each disc's section ("CD" and
    // its identifier). Build does it when given a state file.
    void MarkInstalled(const std::filesystem::path& stateFile);

private:
    struct Pass;

    std::vector<ShelfDisc> m_discs;
    std::vector<std::filesystem::path> m_unindexed;
    ShelfStats m_stats;
    ShelfSearch m_search;
};

}
