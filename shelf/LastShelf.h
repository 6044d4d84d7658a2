#pragma once

// The folders of the last shelf opened, kept with the menu's own settings in its state file
// (section [Shelf], keys Folder1, Folder2, ...), so a shelf opened without folders is the last
// one again. The list is replaced in one write that keeps the file's other sections.

#include <filesystem>
#include <vector>

namespace shelf {

class LastShelf {
public:
    explicit LastShelf(std::filesystem::path stateFile);

    // The folders remembered, in the order given; none when nothing is.
    std::vector<std::filesystem::path> Folders() const;
    // Replaces the list; false when the state file cannot be written or a path cannot be kept
    // in it (a line break in its name), and the old list then stays.
    bool Remember(const std::vector<std::filesystem::path>& folders) const;

private:
    std::filesystem::path m_stateFile;
};

}
