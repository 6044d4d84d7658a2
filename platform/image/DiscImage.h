#pragma once

// A cover disc's image: an ISO 9660 file (.iso), a cue sheet with its data track (.cue and
// .bin, 2048-byte or raw 2352-byte sectors of mode 1 or mode 2 form 1; audio tracks are not
// read; libcdio's cue driver reads raw ones) or an NRG file. Names are the Joliet ones where
// the image has them (what Windows showed), else Rock Ridge ones, else the ISO names without
// their ";1" version.
//
// The folders are read by our own directory-record reader (DirectoryRecords.h): libcdio 2.1's
// folder listing finds each folder by its path and dereferences a missing entry on a damaged
// record, which a fuzzed image turned into a crash.

#include "platform/image/ImageError.h"
#include "platform/image/VolumeSource.h"
#include "platform/types/Result.h"
#include "platform/volume/VolumeDescriptors.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class ImageFormat { Iso,
    CueBin,
    RawBin,
    Nrg };

struct ImageEntry {
    std::string path;       // UTF-8, "/" between the names shown, no leading "/"
    std::string isoName;    // the primary tree's name without ";1" (empty when unmatched)
    std::string jolietName; // empty without Joliet
    std::string rockName;   // empty without Rock Ridge
    bool folder = false;
    uint32_t lsn = 0;
    uint64_t size = 0;                // the bytes the file holds (inflated, for zisofs)
    std::vector<Extent> extents;      // where its stored bytes lie, in order
    bool zisofs = false;              // stored compressed (Rock Ridge ZF)
    std::optional<std::string> link;  // a symbolic link's target, relative and within the disc
    std::optional<uint32_t> rockMode; // permissions recorded by Rock Ridge
    int64_t time = 0;                 // seconds since 1970
};

// An entry the tree records but the host cannot have, and why.
struct LeftOutEntry {
    std::string path;
    std::string reason;
};

class DiscImage {
public:
    // Opens the image and reads its volume descriptors. An image it cannot open is refused with
    // an ImageError: Missing, NotAnImage, NoDataTrack, UnreadableTrack, Truncated, TrackOutside,
    // TrackNotAFile.
    static Result<std::unique_ptr<DiscImage>, ImageError> Open(const std::filesystem::path& file);
    ~DiscImage();

    ImageFormat Format() const { return m_format; }
    const char* FormatName() const;
    const std::filesystem::path& File() const { return m_files.front(); }
    // The files the image is made of: the one named, and a cue sheet's data file.
    const std::vector<std::filesystem::path>& Files() const { return m_files; }
    const VolumeDescriptors& Volume() const { return m_volume; }
    // The label Windows showed: the Joliet one where present.
    const std::string& Label() const;
    uint64_t AvailableSectors() const;
    // Identifies the image: its descriptors, and the size and time of each of its files.
    std::string Identity() const;
    // Asks the kernel to drop the image files' pages from its cache, so that the next reading
    // comes from the disk as a first opening's does (what the start-up benchmarks measure).
    void DropCachedPages() const;

    // Every folder and file, each folder before what it holds. Reads the trees on the first
    // call; throws ImageError Damaged or Truncated. Names that cannot be host names ("", ".",
    // "..", with "/"), folders read before and links leading out of the disc are left out and
    // listed in Skipped().
    const std::vector<ImageEntry>& Entries();
    const std::vector<LeftOutEntry>& Skipped();
    uint64_t TotalFileBytes();
    // The bytes unpacking writes: each stored file once, however many entries share it. Throws
    // ImageError Damaged when that is more than the image could hold.
    uint64_t PlannedBytes();
    // The entry at a path, compared without regard to ASCII case.
    const ImageEntry* Find(std::string_view path);
    // The same entry, found by reading only the folders on its path (both trees' where the
    // image has Joliet names) rather than the whole tree, under the same bounds; for reading
    // one file, such as the catalogue, from many images. Throws as Entries does when a folder
    // on the way or the file's own extent is damaged or cut off.
    std::optional<ImageEntry> Lookup(std::string_view path);

    // Writes a file's bytes to a new host file, which must not exist; `progress` (bytes since
    // the last call) returning false stops it, and then false is returned and the file is
    // removed. A file whose bytes were written before by this image becomes a hard link to
    // them; a link entry becomes a symbolic link. Throws ImageError Truncated when the image
    // ends early, Damaged when compressed bytes are, CacheFailed when the host file cannot be
    // written. `seal`, when given, gets the written file's descriptor (open for reading and
    // writing) before it is closed, to set its mode and time without walking its path again; a
    // link gets none, as the file it names already has them.
    bool Extract(const ImageEntry& entry, const std::filesystem::path& target, const std::function<bool(uint64_t)>& progress = {},
        const std::function<void(int)>& seal = {});
    // The first `limit` bytes of a file.
    std::string Read(const ImageEntry& entry, size_t limit);

private:
    DiscImage(ImageFormat format, std::vector<std::filesystem::path> files, std::unique_ptr<VolumeSource> source);
    struct Walked;
    class TreeWalk;
    std::vector<Walked> Walk(bool joliet);
    void ReadTrees();
    ImageEntry MakeEntry(const Walked& item, const Walked* twin, bool joliet, uint64_t available) const;
    void KeepLinksInside();
    void LeaveOut(std::string path, std::string reason);
    std::optional<std::string> ReadStored(const ImageEntry& entry, uint64_t offset, size_t length);
    bool WriteInflated(const ImageEntry& entry, int fd, const std::function<bool(uint64_t)>& step);

    ImageFormat m_format;
    std::vector<std::filesystem::path> m_files;
    std::unique_ptr<VolumeSource> m_source;
    VolumeDescriptors m_volume;
    bool m_treesRead = false;
    std::vector<ImageEntry> m_entries;
    std::vector<LeftOutEntry> m_skipped;
    uint64_t m_folderBytesRead = 0;
    size_t m_records = 0;
    std::optional<uint64_t> m_planned;
    std::map<std::string, std::filesystem::path> m_written; // a stored file's extents -> its first host copy
};

}
