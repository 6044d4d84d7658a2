#pragma once

// Putting a disc folder in the machine: the drive letter it is mapped to, the sample disc the
// program carries, and the face substitutions the sample disc's fonts need.

#include "platform/machine/Machine.h"

#include <filesystem>
#include <optional>
#include <string>

// The sample disc: the build tree's (when the program runs from it), else the installed copy
// beside the program (../share/torvaxp/sample-disc). None when neither exists.
std::optional<std::filesystem::path> SampleDiscFolder(const std::filesystem::path& executable);

// Maps the disc folder as a cdrom drive: on the letter an earlier run mapped it to when that
// mapping is still there, else on the first free letter from D:. Returns the letter, 0 when
// no letter could be had.
char MapDiscFolder(platform::Machine& machine, const std::filesystem::path& disc);

// The menu's faces "Square721 AT" and "Square721 BdEx AT" come from the disc's bb.jpg and
// bc.jpg; where the machine has no FontSubstitutes value for a face yet, it gets the family of
// the matching file, so the faces resolve even before the menu registers the files. Returns the
// faces it added.
int AddDiscFontSubstitutes(const std::filesystem::path& disc);
