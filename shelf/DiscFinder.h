#pragma once

// Finds what may be discs on the shelf's folders, from their listings alone: disc folders
// (holding torva/torvaxp.ini) and files, cue sheets first so that the data files they name are
// known before those files come up on their own. Subfolders are searched too, to a bounded
// depth, without following links to folders; a disc folder is not searched inside.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace shelf {

struct DiscCandidate {
    std::filesystem::path path; // a disc folder or a file
    bool folder = false;
    std::filesystem::path catalogue; // a disc folder's torva/torvaxp.ini
};

class DiscFinder {
public:
    // Folders deeper than this under a shelf folder are not searched.
    static constexpr int MaxDepth = 6;
    // Entries looked at in all: far more than a shelf of every issue ever made holds.
    static constexpr size_t MaxEntries = 200000;

    // A shelf folder that is itself a disc folder, and a file given in place of a folder, are
    // candidates themselves.
    static std::vector<DiscCandidate> Find(const std::vector<std::filesystem::path>& folders);

    // The catalogue of a disc folder, where it holds one.
    static std::filesystem::path CatalogueOf(const std::filesystem::path& folder);
};

// The folder's child (a folder or a regular file) of that name compared without regard to
// ASCII case, as Windows finds it; empty when there is none.
std::filesystem::path ChildNamed(const std::filesystem::path& folder, const std::string& name, bool wantFolder);

}
