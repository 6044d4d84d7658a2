#pragma once

// The host's mounted file systems as the kernel lists them in /proc/self/mountinfo, to tell a
// disc folder that is a mounted CD or disc image (iso9660, udf) and the device it comes from.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct MountEntry {
    std::filesystem::path mountPoint;
    std::string fileSystem; // "iso9660", "udf", ...
    std::string source;     // "/dev/sr0", "/dev/loop3", ...
};

// One entry per well-formed line; a line that is not is skipped. Names are unescaped (the kernel
// writes space, tab, newline and backslash as \040, \011, \012 and \134).
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// The disc file system mounted at `folder` (the last mount there wins, as it hides the others),
// when it is one whose source is a device: none for any other folder or file system.
std::optional<MountEntry> DiscMountAt(const std::vector<MountEntry>& mounts, const std::filesystem::path& folder);
// The same on the host's own table.
std::optional<MountEntry> DiscMountAt(const std::filesystem::path& folder);

}
