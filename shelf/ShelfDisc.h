#pragma once

// One disc on the shelf as the index keeps it: where it is, which issue of the magazine it is,
// what its catalogue holds and how much of it is installed. Texts are code page 1250, as the
// catalogue has them.

#include "menu/CatalogueTypes.h"
#include "platform/image/ImageError.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace shelf {

enum class DiscKind : uint8_t {
    Folder, // a folder holding the disc's root
    Iso,
    CueBin,
    RawBin, // raw sectors without a cue sheet
    Nrg,
};

// An item of the disc's catalogue: the page it is on (its category) and its number there, which
// is what opening the disc on that item takes.
struct ShelfItem {
    CategoryCode category = CategoryCode::None;
    int32_t number = 0;
    std::string name; // as the menu's list shows it
    std::string firm;
    std::string description;
    bool installed = false; // the state file records it in the disc's section

    bool operator==(const ShelfItem&) const = default;
};

struct CategoryCount {
    CategoryCode category = CategoryCode::None;
    int32_t count = 0;

    bool operator==(const CategoryCount&) const = default;
};

// Why a disc on the shelf could not be read: the file concerned and what is wrong with it.
struct DiscProblem {
    platform::ImageProblem kind = platform::ImageProblem::Damaged;
    std::filesystem::path file;
    std::string reason;

    bool operator==(const DiscProblem&) const = default;
};

struct ShelfDisc {
    std::filesystem::path source; // the image, the cue sheet or the disc folder
    DiscKind kind = DiscKind::Folder;
    // The catalogue's CDLabel, else the volume's label, else the file's name.
    std::string label;
    std::string discId; // the catalogue's [Main] CD, MMYY
    std::string date;   // the catalogue's [Main] Date, where it has one
    std::vector<CategoryCount> counts;
    std::vector<ShelfItem> items;
    int32_t installed = 0;
    std::optional<DiscProblem> problem; // set when nothing else could be read

    // The magazine's issue the identifier stands for: "0206" is "2/2006". Empty when the
    // identifier is no month and year.
    std::string Issue() const;
    const char* KindName() const;

    bool operator==(const ShelfDisc&) const = default;
};

}
