#pragma once

// The disc author's check of a catalogue: everything that would make the menu misbehave or
// show nothing, each finding named by section and key.

#include <string>
#include <vector>

namespace torvatool {

struct LintFinding {
    bool isError = true;
    std::string where; // "[Demo3] SetupName"
    std::string message;
};

// Lints the catalogue of the disc mounted at `drive` ("E:") on the current machine.
std::vector<LintFinding> LintCatalogue(const std::string& drive);

}
