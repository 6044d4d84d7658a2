#pragma once

// Where an image's ISO 9660 volume is read from: a plain image file of 2048-byte sectors, or a
// disc image whose sectors libcdio's drivers read (cue sheets with raw sectors, NRG). Internal
// to the image library; DiscImage is the front door.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct Extent {
    uint32_t lsn = 0;
    uint64_t bytes = 0;
};

struct RawFolderEntry {
    std::string name; // as the tree records it (ISO names keep ";1")
    uint32_t lsn = 0;
    uint64_t size = 0;
    std::vector<Extent> extents; // a file's pieces in order; one unless recorded in several
    bool folder = false;
    std::optional<uint32_t> rockMode; // Rock Ridge permissions, where recorded
    bool rockName = false;            // the name came from Rock Ridge
    bool multiExtent = false;         // the last piece read said the file goes on
    int64_t time = 0;                 // seconds since 1970
    // Rock Ridge relocation: a folder moved out of a tree deeper than eight levels is recorded
    // at its place as a file naming the folder's extent (CL), and the moved folder is marked
    // where it sits (RE).
    std::optional<uint32_t> childLocation;
    bool relocated = false;
    std::optional<std::string> linkTarget; // a Rock Ridge symbolic link's target, "/" between names
    std::optional<uint64_t> zisofsSize;    // the uncompressed size of a zisofs file
};

// Called as bytes go by; false stops the copy.
using CopyProgress = std::function<bool(uint64_t bytes)>;

class VolumeSource {
public:
    virtual ~VolumeSource() = default;

    // Whole 2048-byte sectors; false when any of them lies beyond the image or cannot be read.
    virtual bool ReadSectors(uint32_t lsn, uint32_t count, uint8_t* buffer) = 0;
    // The sectors the image holds.
    virtual uint64_t AvailableSectors() const = 0;
    // Writes `size` bytes from sector `lsn` on to the host file descriptor `fd`.
    virtual bool CopyExtent(uint32_t lsn, uint64_t size, int fd, const CopyProgress& progress);
};

// Where the sectors lie in a file we read ourselves.
struct SectorLayout {
    uint64_t base = 0;           // the first sector's byte offset
    uint64_t bytes = UINT64_MAX; // of the track from `base` (to the file's end at most)
    uint32_t stride = 2048;      // 2048, or a raw size: 2336, 2352 or 2448
};

// A plain image (.iso, or a .bin of 2048-byte sectors), or a track of an NRG file. Empty when
// it cannot be opened.
std::unique_ptr<VolumeSource> OpenFileSource(const std::string& file, const SectorLayout& layout = {});
// A cue sheet's data track, read by libcdio: `modeName` as a cue sheet writes it
// ("MODE1/2352"), the track starting at `index1Frame` of `dataFile`. Empty when libcdio cannot
// open it.
std::unique_ptr<VolumeSource> OpenCueSource(const std::string& dataFile, const std::string& modeName, uint32_t index1Frame);

// libcdio reports problems on stderr; the image library reports them itself.
void SilenceCdioLog();

}
