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
#include "platform/volume/VolumeDescriptors.h"

#include <cstdint>
#include <filesystem>
#include <functional>
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
    uint64_t size = 0;
    std::optional<uint32_t> rockMode; // permissions recorded by Rock Ridge
    int64_t time = 0;                 // seconds since 1970
};

class VolumeSource;

class DiscImage {
public:
    // Opens the image and reads its volume descriptors. Throws ImageError: Missing, NotAnImage,
    // NoDataTrack, UnreadableTrack, Truncated.
    static std::unique_ptr<DiscImage> Open(const std::filesystem::path& file);
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

    // Every folder and file, each folder before what it holds. Reads the trees on the first
    // call; throws ImageError Damaged or Truncated. Names that cannot be host names ("", ".",
    // "..", with "/") are left out and listed in Skipped().
    const std::vector<ImageEntry>& Entries();
    const std::vector<std::string>& Skipped();
    uint64_t TotalFileBytes();
    // The entry at a path, compared without regard to ASCII case.
    const ImageEntry* Find(std::string_view path);

    // Writes a file's bytes to a new host file, which must not exist; `progress` (bytes since
    // the last call) returning false stops it, and then false is returned and the file is
    // removed. Throws ImageError Truncated when the image ends early, CacheFailed when the host
    // file cannot be written.
    bool Extract(const ImageEntry& entry, const std::filesystem::path& target, const std::function<bool(uint64_t)>& progress = {});
    // The first `limit` bytes of a file.
    std::string Read(const ImageEntry& entry, size_t limit);

private:
    DiscImage(ImageFormat format, std::vector<std::filesystem::path> files, std::unique_ptr<VolumeSource> source);
    struct Walked;
    std::vector<Walked> Walk(bool joliet);
    void ReadTrees();

    ImageFormat m_format;
    std::vector<std::filesystem::path> m_files;
    std::unique_ptr<VolumeSource> m_source;
    VolumeDescriptors m_volume;
    bool m_treesRead = false;
    std::vector<ImageEntry> m_entries;
    std::vector<std::string> m_skipped;
};

}
