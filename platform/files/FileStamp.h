#pragma once

// What tells one state of a host file from another without reading it: its device and inode,
// size and modification time. A file whose stamp is unchanged is taken to hold what it held.

#include <cstdint>
#include <filesystem>
#include <optional>

namespace platform {

struct FileStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    uint64_t size = 0;
    int64_t modifiedNs = 0; // nanoseconds since 1970
    bool folder = false;

    bool operator==(const FileStamp&) const = default;
};

// The stamp of the file or folder at `path`, following symbolic links; nothing when it is
// missing or cannot be looked at.
std::optional<FileStamp> StampOf(const std::filesystem::path& path);

}
