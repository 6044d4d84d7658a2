#pragma once

// The tree the disk-search benchmarks walk: a "Games" folder of 10 x 10 x 100 folders with ten
// files in each leaf (10,110 folders below the root, 100,000 files), on a bare prefix whose C:
// is `root`/drive_c.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace benchtree {

constexpr int TopFolders = 10;
constexpr int MiddleFolders = 10;
constexpr int LeafFolders = 100;
constexpr int FilesPerLeaf = 10;
constexpr int64_t FolderCount = TopFolders + TopFolders * MiddleFolders + TopFolders * MiddleFolders * LeafFolders;

// Lays out `root` as a prefix with only drive C: and the tree in C:\Games; returns the tree.
inline std::filesystem::path MakeGamesTree(const std::filesystem::path& root)
{
    namespace fs = std::filesystem;
    fs::remove_all(root);
    fs::path tree = root / "drive_c" / "Games";
    fs::create_directories(root / "dosdevices");
    fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");
    for (int a = 0; a < TopFolders; ++a) {
        for (int b = 0; b < MiddleFolders; ++b) {
            for (int c = 0; c < LeafFolders; ++c) {
                fs::path leaf = tree / ("Top" + std::to_string(a)) / ("Mid" + std::to_string(b)) / ("Leaf" + std::to_string(c));
                fs::create_directories(leaf);
                for (int f = 0; f < FilesPerLeaf; ++f)
                    std::ofstream(leaf / ("file" + std::to_string(f) + ".dat"));
            }
        }
    }
    return tree;
}

}
