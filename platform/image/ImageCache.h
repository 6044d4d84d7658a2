#pragma once

// Disc images become real folders before anything runs from them: Wine and the setups need
// real files, and an image cannot be mounted without root. Each image is unpacked once into the
// cache ($XDG_CACHE_HOME/torva/images/<identity>), keyed by the image's identity (its volume
// descriptors and its files' sizes and times), so a second opening costs no more than opening a
// folder. The folder is read-only like a CD and holds the image's files alone: the drive's label
// and serial go to the drive's own folder in the prefix (Machine::MapDisc), so a file of the
// image's own named .windows-label neither collides with ours nor is taken for it.
//
// An image is unpacked into a temporary folder beside the cache's entries, owned by its lock
// until it is renamed into place complete (after its entry record is written and read back) or
// removed; a folder whose lock nobody holds is a dead unpacker's, and the next opening or
// forgetting removes it. Every change to the entries happens under the cache's lock, so an
// entry evicted while an opening waited for that lock is unpacked again. Joliet images carry no Unix
// permissions, so a file is made executable when Rock Ridge says so or when its content is a
// native program (an ELF file or a "#!" script), as the disc's native setups need.
//
// The cache is bounded (TORVA_IMAGE_CACHE_MB, else 4096 MiB): after an unpacking, the entries
// used least recently go until the rest fit. An entry in use by a running program is held with
// a shared lock and never removed.
//
// Browsing a disc needs only a few of its files, so an image can first give a browsing entry
// (<identity>-browse) that holds just those: an entry like the others, complete before it is
// seen, counted toward the bound and forgotten with its image. Once the image's whole entry
// exists, the browsing one goes as soon as nothing uses it.

#include "platform/files/FileLock.h"
#include "platform/image/DiscImage.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Bytes unpacked so far of `total`; false cancels.
using UnpackProgress = std::function<bool(uint64_t done, uint64_t total)>;
// The files a browsing entry takes; the folders that hold them come along.
using EntryFilter = std::function<bool(const ImageEntry& file)>;

// An image's folder in the cache, kept from removal while this object lives.
class CachedImage {
public:
    const std::filesystem::path& Folder() const { return m_folder; }
    const std::string& Label() const { return m_label; }
    uint32_t Serial() const { return m_serial; }
    bool Unpacked() const { return m_unpacked; } // made by this opening
    bool Browsing() const { return m_browsing; } // holds only the files browsing needs

private:
    friend class ImageCache;
    CachedImage(std::filesystem::path folder, std::string label, uint32_t serial, FileLock inUse, bool unpacked)
        : m_folder(std::move(folder)), m_label(std::move(label)), m_serial(serial), m_inUse(std::move(inUse)), m_unpacked(unpacked)
    {
    }
    std::filesystem::path m_folder;
    std::string m_label;
    uint32_t m_serial = 0;
    FileLock m_inUse;
    bool m_unpacked = false;
    bool m_browsing = false;
};

struct CacheEntry {
    std::string key;
    std::filesystem::path image;
    std::string label;
    uint64_t bytes = 0;
    int64_t lastUse = 0; // seconds since 1970
    bool inUse = false;
};

class ImageCache {
public:
    explicit ImageCache(std::filesystem::path root = DefaultRoot(), uint64_t bound = DefaultBound());

    // $XDG_CACHE_HOME/torva/images, else ~/.cache/torva/images.
    static std::filesystem::path DefaultRoot();
    static uint64_t DefaultBound();
    // TORVA_IMAGE_CACHE_MB's text as bytes: empty for the default, and with `warning` set for
    // text that is no number of mebibytes or a number too large to count in bytes (clamped).
    static std::optional<uint64_t> BoundFromText(const std::string& text, std::string& warning);
    const std::filesystem::path& Root() const { return m_root; }

    // The image's folder, unpacked first when the cache has none. Throws ImageError (Cancelled
    // when `progress` said stop, CacheFailed with the WriteFault where known, and what reading
    // the image raises); nothing of a failed unpacking is left. Cancelled, CacheFailed and
    // TooLarge come from the user or the host, not the image, so they stay exceptions.
    CachedImage Open(DiscImage& image, const UnpackProgress& progress = {});
    // The image's whole folder where the cache has it, else its browsing entry, made first with
    // the files `wanted` takes when the cache has none. Refuses an image whose whole folder
    // could not fit, as Open does, before anything is written.
    CachedImage OpenBrowsing(DiscImage& image, const EntryFilter& wanted);
    bool Has(const DiscImage& image) const;
    // Removes the browsing entries nothing uses any more whose whole entry exists, and trims
    // the cache to its bound.
    void Tidy();

    std::vector<CacheEntry> List() const;
    // Removes the entries not in use: every one, or those unpacked from `image`. Returns how
    // many went.
    size_t Forget(const std::optional<std::filesystem::path>& image = std::nullopt);

private:
    class Partial;
    FileLock LockCache() const;
    CachedImage Obtain(DiscImage& image, const std::string& key, const UnpackProgress& progress, const EntryFilter& wanted);
    std::optional<CachedImage> Use(DiscImage& image, const std::string& key, bool unpacked);
    std::optional<CachedImage> UseBest(DiscImage& image, const std::string& key);
    // The bytes written (those planned, for the whole image).
    uint64_t Fill(DiscImage& image, const std::filesystem::path& partial, const UnpackProgress& progress, const EntryFilter& wanted);
    void RefuseWhatCannotFit(DiscImage& image) const;
    void Commit(DiscImage& image, const std::string& key, Partial& partial, uint64_t bytes);
    // These three run under the cache's lock.
    void ClearLeftovers();
    void Trim(const std::string& keep);
    bool Remove(const std::string& key);

    std::filesystem::path m_root;
    uint64_t m_bound;
};

}
