// Writes the menu's window icon as the PNGs of the desktop's hicolor theme, so the icon the
// desktop shows is drawn by the same code as the window's own.
//
//     torva_icon OUTDIR SIZE...    writes OUTDIR/SIZExSIZE/apps/torvaxp.png for each SIZE

#include "platform/picture/Picture.h"
#include "torvaxp/WindowIcon.h"

#include <charconv>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int LargestIcon = 1024;

int ParseSize(const std::string& word)
{
    int size = 0;
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), size);
    if (error != std::errc() || end != word.data() + word.size() || size < 1 || size > LargestIcon)
        throw std::runtime_error("not an icon size: " + word);
    return size;
}

void WriteIcon(const fs::path& themeFolder, int size)
{
    platform::Picture picture;
    picture.width = size;
    picture.height = size;
    picture.pixels = DrawWindowIcon(size);
    picture.hasAlpha = true;
    std::string sizeName = std::to_string(size) + "x" + std::to_string(size);
    fs::path folder = themeFolder / sizeName / "apps";
    fs::create_directories(folder);
    platform::WritePictureFile(folder / "torvaxp.png", platform::EncodePng(picture, true));
}

}

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: torva_icon OUTDIR SIZE...\n";
        return 2;
    }
    try {
        for (int i = 2; i < argc; ++i)
            WriteIcon(argv[1], ParseSize(argv[i]));
    } catch (const std::exception& e) {
        std::cerr << "torva_icon: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
