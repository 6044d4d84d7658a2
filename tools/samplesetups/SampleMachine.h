#pragma once

// The machine a sample program works on: the prefix named by WINEPREFIX, which the menu sets
// for every program it starts.

#include <filesystem>
#include <iosfwd>
#include <optional>

namespace samplesetups {

// Makes the prefix the current machine; false (with the reason on `err`) when WINEPREFIX is
// unset or names no prefix.
bool UseMachineFromEnvironment(std::ostream& err);

// The running program's own host path.
std::filesystem::path OwnProgramPath();

}
