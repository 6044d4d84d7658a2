#pragma once

// Reads one disc of the shelf: the catalogue of a disc folder, or of an image straight from the
// image (its volume's folders on the catalogue's path and the catalogue's bytes, nothing
// unpacked), into what the index keeps of it. Never throws for a bad disc: what is wrong is
// the disc's problem.

#include "shelf/ShelfDisc.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace shelf {

// The menu's folder on a disc and its catalogue in it, names compared without regard to case.
inline constexpr const char* MenuFolderName = "torva";
inline constexpr const char* CatalogueName = "torvaxp.ini";

// A catalogue larger than this is no real one; a disc's is a few hundred kilobytes at most.
inline constexpr uint64_t MaxCatalogueBytes = 16u << 20;

struct ReadResult {
    ShelfDisc disc;
    // The files whose state the disc's entry stands for: the catalogue of a folder, the image,
    // and a cue sheet's data file.
    std::vector<std::filesystem::path> files;
};

class DiscReader {
public:
    // A folder holding torva/torvaxp.ini; `catalogue` is that file.
    static ReadResult ReadFolder(const std::filesystem::path& folder, const std::filesystem::path& catalogue);
    // A file that may be an image. Nothing when it is no image and `named` is false: a file
    // whose name does not say it is one is left alone unless its content is an image.
    static std::optional<ReadResult> ReadImage(const std::filesystem::path& file, bool named);
    // What the index keeps of a catalogue's bytes; the problem is set when they are no
    // catalogue. `name` names the catalogue in the problem.
    static void Summarise(ShelfDisc& disc, std::string_view catalogue, const std::filesystem::path& name);
};

// Whether a file's name says it is a disc image or a cue sheet.
bool NamedAsImage(const std::filesystem::path& file);

}
