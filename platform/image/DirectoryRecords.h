#pragma once

// The directory records of one ISO 9660 folder: each entry's name (ISO, Joliet, or the Rock
// Ridge name where the record carries one), extent, size, kind, time and Rock Ridge
// permissions. Folders are read by their extent, never looked up by path, so a damaged record
// costs only that record.

#include "platform/image/VolumeSource.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

// Reads a Rock Ridge continuation area (sector, offset, length); empty when it cannot.
using ContinuationReader = std::function<std::optional<std::string>(uint32_t lsn, uint32_t offset, uint32_t length)>;

// `folder`: the folder's bytes, a whole number of 2048-byte sectors. "." and ".." and records
// that do not fit their sector are left out.
std::vector<RawFolderEntry> ReadDirectoryRecords(std::string_view folder, bool joliet, const ContinuationReader& continuation);

// The data length a folder's first sector gives itself in its "." record; empty when that
// record is not there.
std::optional<uint64_t> FolderSelfSize(std::string_view sector);

}
