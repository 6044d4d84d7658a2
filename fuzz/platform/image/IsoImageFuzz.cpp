// An image file of any bytes: its volume descriptors, both folder trees (directory records,
// Joliet and Rock Ridge names, relocations, links), the start of its files (zisofs ones
// inflated) and what unpacking would write are read without a crash, a hang or memory running
// away; an image that cannot be opened is refused, and what cannot be read after is an
// ImageError. The same holds for looking one path up.
#include "platform/image/DiscImage.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

std::filesystem::path ScratchFile()
{
    static std::filesystem::path file = std::filesystem::temp_directory_path() / ("torva-image-fuzz-" + std::to_string(std::random_device()()) + ".iso");
    return file;
}

int Done(const std::filesystem::path& file)
{
    std::filesystem::remove(file);
    return 0;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::filesystem::path file = ScratchFile();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    // The lookup of one path, which reads only the folders on it, before any tree is read.
    try {
        auto opened = platform::DiscImage::Open(file);
        if (!opened)
            return Done(file);
        platform::DiscImage& image = *opened.Value();
        for (const char* path : { "TORVA/TORVAXP.INI", "a/b/c/d/e/f/g/h/i/j/deep.txt" }) {
            if (auto entry = image.Lookup(path); entry && !entry->folder)
                image.Read(*entry, 64);
        }
    } catch (const platform::ImageError&) {
    }
    try {
        auto image = platform::DiscImage::Open(file).Value();
        image->Label();
        image->Identity();
        size_t read = 0;
        for (const platform::ImageEntry& entry : image->Entries()) {
            if (!entry.folder && read++ < 16)
                image->Read(entry, 64);
        }
        image->Find("TORVA/TORVAXP.INI");
        image->PlannedBytes();
    } catch (const platform::ImageError&) {
    }
    return Done(file);
}
