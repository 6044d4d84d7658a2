#pragma once

// Windows paths to host paths on the current machine. Each component is matched first as
// spelled (one stat) and only then against the folder's listing without regard to case; the
// listings are cached per folder and trusted only while the folder's modification time says
// they are current.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace platform {

struct MappedDrive {
    char letter = 0;            // 'A'..'Z'
    std::filesystem::path root; // canonical host folder
    // For a drive mapped as a folder of links to a disc (Machine::MapDisc): the disc folder,
    // canonical, into which the links lead without leaving the drive.
    std::filesystem::path disc;
};

// The drives of the current machine's dosdevices folder, by letter.
std::vector<MappedDrive> MappedDrives();
// Changes whenever the drive table is read anew (a drive mapped, unmapped or retargeted, or
// another machine); 0 without a machine. Lets callers keep resolved paths while it holds.
uint64_t DriveTableGeneration();

// True when a canonical host path is a drive root or lies below one (or in the disc folder
// behind a drive of links).
bool LiesInMappedDrive(const std::filesystem::path& canonicalPath);

// True when the host path's own entry (not following a final symbolic link) is a drive root.
bool IsDriveRoot(const std::filesystem::path& hostPath);

enum class ResolveMode { Existing,
    ForCreate };
std::optional<std::filesystem::path> ResolveWindowsPath(std::string_view winPath, ResolveMode mode);

// A folder's content changed through us: its cached listing is stale.
void ForgetListing(const std::filesystem::path& folder);

}
