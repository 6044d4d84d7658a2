#pragma once

// Writes a 2048-byte-sector ISO image as a CD's raw 2352-byte sectors, the way disc copying
// programs save a data track in a .bin: sync, header (address and mode), for mode 2 the form 1
// subheader, the user data and its EDC. The ECC bytes stay zero; readers of images take the
// user data and do not check them. Used by the build to make a .bin/.cue pair of the sample disc.

#include "platform/types/Result.h"

#include <filesystem>

namespace discimage {

enum class RawMode { Mode1,
    Mode2Form1 };

// Writes `bin` from `iso` and a cue sheet naming it; the problem says when the ISO cannot be
// read or is not whole sectors, or the images cannot be written.
platform::Result<void> WriteRawImage(const std::filesystem::path& iso, const std::filesystem::path& bin,
    const std::filesystem::path& cue, RawMode mode);

}
