#include "shelf/ShelfIndex.h"

#include "platform/image/ImageCache.h"
#include "platform/ini/ProfileFile.h"
#include "shelf/DiscFinder.h"
#include "shelf/DiscReader.h"
#include "shelf/ShelfCache.h"

#include <algorithm>
#include <map>
#include <set>

namespace shelf {

namespace fs = std::filesystem;

namespace {

// A file this small holds no ISO 9660 volume (its descriptors start at the 17th sector); unless
// its name says it is an image, it is not opened at all.
constexpr uint64_t SmallestImage = 17 * 2048;

// Items of these pages are installed and recorded in the state file; the others never are.
bool Installable(CategoryCode category)
{
    switch (category) {
    case CategoryCode::Demos:
    case CategoryCode::Extra:
    case CategoryCode::Shareware:
    case CategoryCode::Drivers:
    case CategoryCode::Readers:
    case CategoryCode::Fulls:
    case CategoryCode::Extra2:
        return true;
    default:
        return false;
    }
}

// The file whose state stands for a candidate's: a disc folder's catalogue, else the file.
const fs::path& OwnFile(const DiscCandidate& candidate)
{
    return candidate.folder ? candidate.catalogue : candidate.path;
}

bool StillValid(const CacheEntry& entry, const DiscCandidate& candidate)
{
    if (entry.files.empty() || entry.files.front().path != OwnFile(candidate))
        return false;
    return std::all_of(entry.files.begin(), entry.files.end(), [](const StampedFile& file) { return platform::StampOf(file.path) == file.stamp; });
}

bool Under(const fs::path& path, const std::vector<fs::path>& folders)
{
    return std::any_of(folders.begin(), folders.end(), [&](const fs::path& folder) {
        auto [end, at] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
        return end == folder.end();
    });
}

// Reads a candidate the cache cannot answer for; the entry has no files when a file's state
// could not be taken, and is then not kept.
CacheEntry ReadCandidate(const DiscCandidate& candidate)
{
    std::optional<ReadResult> result;
    std::vector<fs::path> files { OwnFile(candidate) };
    if (candidate.folder) {
        result = DiscReader::ReadFolder(candidate.path, candidate.catalogue);
    } else {
        bool named = NamedAsImage(candidate.path);
        auto stamp = platform::StampOf(candidate.path);
        if (named || (stamp && stamp->size >= SmallestImage))
            result = DiscReader::ReadImage(candidate.path, named);
    }
    CacheEntry entry;
    if (result) {
        files = result->files;
        entry.disc = std::move(result->disc);
    }
    for (const fs::path& file : files) {
        auto stamp = platform::StampOf(file);
        if (!stamp) {
            entry.files.clear();
            break;
        }
        entry.files.push_back({ file, *stamp });
    }
    return entry;
}

}

fs::path ShelfIndex::DefaultCacheFile()
{
    // Beside the unpacked images, in the program's own cache folder.
    return platform::ImageCache::DefaultRoot().parent_path() / "shelf" / "index";
}

std::optional<fs::path> ShelfIndex::StateFileIn(const fs::path& prefixRoot)
{
    fs::path windows = ChildNamed(prefixRoot / "drive_c", "windows", true);
    fs::path state = windows.empty() ? fs::path() : ChildNamed(windows, "torva.ini", false);
    return state.empty() ? std::nullopt : std::optional<fs::path>(state);
}

// One build's walk over the candidates: what the cache had, what it will keep, and the data
// files of cue sheets, which are no discs of their own.
struct ShelfIndex::Pass {
    CacheEntries cached;
    // Entries to store; the discs of those found now are in the index, at `discAt`, and join
    // them only when the cache is stored.
    CacheEntries kept;
    std::map<std::string, size_t> discAt;
    std::set<fs::path> claimed;
    bool readDiscs = true;

    // Adds the candidate's disc to the index from the cache, or read afresh; true when read.
    bool Take(ShelfIndex& index, const DiscCandidate& candidate)
    {
        if (claimed.count(candidate.path))
            return false;
        std::string key = candidate.path.string();
        auto hit = cached.find(key);
        CacheEntry entry;
        bool read = false;
        if (hit != cached.end() && StillValid(hit->second, candidate)) {
            // Taken, not copied: the entry goes on in `kept`, which KeepOthers leaves alone.
            entry = std::move(hit->second);
            ++index.m_stats.discsCached;
        } else if (readDiscs) {
            entry = ReadCandidate(candidate);
            read = true;
            ++index.m_stats.discsRead;
        } else {
            if (candidate.folder || NamedAsImage(candidate.path))
                index.m_unindexed.push_back(candidate.path);
            ++index.m_stats.unindexed;
        }
        for (size_t f = 1; f < entry.files.size(); ++f)
            claimed.insert(entry.files[f].path);
        if (entry.disc) {
            index.m_discs.push_back(std::move(*entry.disc));
            index.m_discs.back().source = candidate.path;
            entry.disc.emplace();
            if (!entry.files.empty())
                discAt[key] = index.m_discs.size() - 1;
        }
        if (!entry.files.empty())
            kept.insert_or_assign(key, std::move(entry));
        return read;
    }

    bool Store(const fs::path& file, const std::vector<ShelfDisc>& discs)
    {
        for (const auto& [key, at] : discAt)
            kept[key].disc = discs[at];
        return ShelfCache::Store(file, kept);
    }

    // Keeps the entries of other shelves; those of discs gone from these folders go. True when
    // any went.
    bool KeepOthers(const std::vector<fs::path>& folders)
    {
        bool dropped = false;
        for (auto& [key, entry] : cached) {
            if (kept.count(key))
                continue;
            if (Under(fs::path(key), folders))
                dropped = true;
            else if (kept.size() < ShelfCache::MaxEntries)
                kept.emplace(key, std::move(entry));
        }
        return dropped;
    }
};

ShelfIndex ShelfIndex::Build(const ShelfOptions& options, const ShelfProgressReport& progress, std::stop_token stop)
{
    std::vector<fs::path> folders;
    for (const fs::path& folder : options.folders) {
        fs::path normal = fs::absolute(folder).lexically_normal();
        // "shelf/" names the folder "shelf"; its entries' paths do not go through an empty name.
        folders.push_back(normal.has_filename() ? normal : normal.parent_path());
    }
    fs::path cacheFile = options.cacheFile.empty() ? DefaultCacheFile() : options.cacheFile;
    Pass pass { ShelfCache::Load(cacheFile), {}, {}, {}, options.readDiscs };
    std::vector<DiscCandidate> candidates = DiscFinder::Find(folders);

    ShelfIndex index;
    for (size_t i = 0; i < candidates.size() && !index.m_stats.stopped; ++i) {
        bool read = pass.Take(index, candidates[i]);
        if (progress)
            progress({ i + 1, candidates.size(), candidates[i].path, read });
        index.m_stats.stopped = stop.stop_requested();
    }
    if (options.readDiscs && !index.m_stats.stopped) {
        bool dropped = pass.KeepOthers(folders);
        if (dropped || index.m_stats.discsRead > 0)
            index.m_stats.cacheWritten = pass.Store(cacheFile, index.m_discs);
    }

    std::stable_sort(index.m_discs.begin(), index.m_discs.end(), [](const ShelfDisc& a, const ShelfDisc& b) { return a.source < b.source; });
    std::sort(index.m_unindexed.begin(), index.m_unindexed.end());
    if (options.stateFile)
        index.MarkInstalled(*options.stateFile);
    index.m_search = ShelfSearch(index.m_discs);
    return index;
}

void ShelfIndex::MarkInstalled(const fs::path& stateFile)
{
    std::shared_ptr<const platform::IniDocument> state = platform::LoadExistingProfile(stateFile);
    for (ShelfDisc& disc : m_discs) {
        disc.installed = 0;
        std::string section = "CD" + disc.discId;
        for (ShelfItem& item : disc.items) {
            // The menu records an item under its name as the list shows it, with its folder.
            item.installed = state && !disc.discId.empty() && Installable(item.category)
                && !platform::ProfileString(*state, section, item.name, "").empty();
            disc.installed += item.installed ? 1 : 0;
        }
    }
}

}
