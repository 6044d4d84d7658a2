#pragma once

// Random disc trees (seeded) and images of them made by the real mastering tools, unpacked by
// our reader and by libarchive's bsdtar, and the two results compared: the second reader is the
// oracle. Shared by the unit test (a few dozen images) and the longer run in bench/.

#include "platform/image/DiscImage.h"
#include "platform/image/ImageCache.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace randomdisc {

namespace fs = std::filesystem;

// How an image is made: a mastering tool's options as authors use them.
struct Maker {
    const char* name;
    bool joliet;
    bool zisofs; // compressed by the tool itself, or by mkzftree before genisoimage -z
    std::function<std::string(const fs::path& tree, const fs::path& iso)> command;
};

inline std::string Quote(const fs::path& path)
{
    return "'" + path.string() + "'";
}

inline const std::vector<Maker>& Makers()
{
    static const std::vector<Maker> makers {
        { "genisoimage -R", false, false, [](const fs::path& t, const fs::path& i) { return "genisoimage -quiet -R -o " + Quote(i) + " " + Quote(t); } },
        { "genisoimage -J -R", true, false, [](const fs::path& t, const fs::path& i) { return "genisoimage -quiet -J -joliet-long -R -o " + Quote(i) + " " + Quote(t); } },
        { "genisoimage -J", true, false, [](const fs::path& t, const fs::path& i) { return "genisoimage -quiet -J -joliet-long -o " + Quote(i) + " " + Quote(t); } },
        { "xorriso", false, false, [](const fs::path& t, const fs::path& i) { return "xorriso -report_about FAILURE -outdev " + Quote(i) + " -map " + Quote(t) + " /"; } },
        { "xorriso -joliet", true, false, [](const fs::path& t, const fs::path& i) { return "xorriso -report_about FAILURE -outdev " + Quote(i) + " -joliet on -map " + Quote(t) + " /"; } },
        { "xorriso -zisofs", false, true, [](const fs::path& t, const fs::path& i) { return "xorriso -report_about FAILURE -outdev " + Quote(i) + " -zisofs level=6 -map " + Quote(t) + " / -set_filter_r --zisofs / --"; } },
        { "mkzftree, genisoimage -z", false, true, [](const fs::path& t, const fs::path& i) {
             fs::path z = i.string() + ".zftree";
             return "mkzftree " + Quote(t) + " " + Quote(z) + " && genisoimage -quiet -R -z -o " + Quote(i) + " " + Quote(z);
         } },
    };
    return makers;
}

// A tree as the cover discs' authors have them: nested folders (some past eight levels), short,
// long and Czech names, empty files, hard links, symbolic links inside and out of the disc, and
// now and then a large sparse file.
inline void MakeTree(const fs::path& tree, uint32_t seed)
{
    std::mt19937 random(seed);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char* words[] = { "setup", "Čtěte mě", "žluťoučký kůň", "DEMO", "readme", "Hra roku", "patch", "übung", "data" };
    int counter = 0;
    auto name = [&]() {
        std::string text = words[pick(9)];
        if (pick(4) == 0)
            text += std::string(static_cast<size_t>(20 + pick(30)), 'x');
        return text + " " + std::to_string(counter++);
    };
    std::vector<fs::path> folders { tree }, files;
    fs::create_directories(tree);
    fs::path deep = tree;
    for (int level = 0, depth = 4 + pick(8); level < depth; ++level)
        folders.push_back(deep /= "level" + std::to_string(level));
    fs::create_directories(deep);
    for (int i = 0, count = 3 + pick(6); i < count; ++i) {
        fs::path folder = folders[static_cast<size_t>(pick(static_cast<int>(folders.size())))] / name();
        fs::create_directories(folder);
        folders.push_back(folder);
    }
    for (int i = 0, count = 10 + pick(20); i < count; ++i) {
        fs::path file = folders[static_cast<size_t>(pick(static_cast<int>(folders.size())))] / (name() + (pick(2) ? ".txt" : ".EXE"));
        std::string bytes(static_cast<size_t>(pick(3) == 0 ? 0 : pick(70000)), '\0');
        for (char& c : bytes)
            c = static_cast<char>(pick(3) ? 'a' + pick(26) : pick(256));
        std::ofstream(file, std::ios::binary) << bytes;
        files.push_back(file);
    }
    for (int i = 0, count = pick(3); i < count; ++i)
        fs::create_hard_link(files[static_cast<size_t>(pick(static_cast<int>(files.size())))], folders[static_cast<size_t>(pick(static_cast<int>(folders.size())))] / name());
    fs::create_symlink(fs::relative(files.front(), files.back().parent_path()), files.back().parent_path() / name());
    fs::create_symlink("/etc/hostname", folders.back() / name());
    fs::create_symlink("../../../../../../../../../../../..", tree / name());
    if (pick(4) == 0) {
        std::ofstream(tree / "large sparse.bin");
        fs::resize_file(tree / "large sparse.bin", 8u << 20);
    }
}

// Each entry under a folder: "d" for a folder, "l " and the target for a link, "f " and the
// bytes for a file.
inline std::map<std::string, std::string> Listing(const fs::path& folder)
{
    std::map<std::string, std::string> listing;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
        std::string path = fs::relative(it->path(), folder).string();
        if (it->is_symlink())
            listing[path] = "l " + fs::read_symlink(it->path()).string();
        else if (it->is_directory())
            listing[path] = "d";
        else {
            std::ifstream in(it->path(), std::ios::binary);
            listing[path] = "f " + std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        }
    }
    return listing;
}

// Whether a link's target, read from its folder, leaves the tree.
inline bool LeavesTree(const std::string& link, const std::string& target)
{
    if (!target.empty() && target.front() == '/')
        return true;
    int depth = static_cast<int>(std::count(link.begin(), link.end(), '/'));
    for (const auto& part : fs::path(target)) {
        depth += part == ".." ? -1 : part == "." ? 0
                                                 : 1;
        if (depth < 0)
            return true;
    }
    return false;
}

// Where our reader and libarchive differ, and nowhere else: a link leading out of the disc is
// left out; where Joliet names win, libarchive reads Rock Ridge, so a link the Joliet tree does
// not record (xorriso's Joliet has none) is not there either. In xorriso's Joliet images
// libarchive takes a file that shares its extent with a link for a hard link to that link, and
// makes it a second link. Our folder also holds the drive's label and serial.
// Returns the other differences, one a line.
inline std::string Differences(std::map<std::string, std::string> ours, std::map<std::string, std::string> theirs, bool joliet)
{
    ours.erase(".windows-label");
    ours.erase(".windows-serial");
    std::string differences;
    for (const auto& [path, what] : theirs) {
        auto mine = ours.find(path);
        bool link = what.rfind("l ", 0) == 0;
        if (link && mine == ours.end() && (joliet || LeavesTree(path, what.substr(2))))
            continue;
        if (link && joliet && mine != ours.end() && mine->second.rfind("f ", 0) == 0) {
            ours.erase(mine);
            continue;
        }
        if (mine == ours.end())
            differences += "missing: " + path + "\n";
        else if (mine->second != what)
            differences += "differs: " + path + " (" + mine->second.substr(0, 40) + " | " + what.substr(0, 40) + ")\n";
        if (mine != ours.end())
            ours.erase(mine);
    }
    for (const auto& [path, what] : ours)
        differences += "extra: " + path + "\n";
    return differences;
}

// Makes the image, unpacks it both ways under `work` and compares; empty when they agree.
inline std::string CompareOnce(const fs::path& work, uint32_t seed, const Maker& maker)
{
    fs::path tree = work / "tree", iso = work / "disc.iso", theirs = work / "theirs";
    MakeTree(tree, seed);
    if (std::system((maker.command(tree, iso) + " >/dev/null 2>&1").c_str()) != 0)
        return std::string("could not make the image with ") + maker.name + "\n";
    fs::create_directories(theirs);
    if (std::system(("bsdtar -xf " + Quote(iso) + " -C " + Quote(theirs)).c_str()) != 0)
        return "bsdtar could not read the image\n";
    auto image = platform::DiscImage::Open(iso).Value();
    platform::ImageCache cache(work / "cache");
    platform::CachedImage opened = cache.Open(*image);
    return Differences(Listing(opened.Folder()), Listing(theirs), maker.joliet);
}

}
