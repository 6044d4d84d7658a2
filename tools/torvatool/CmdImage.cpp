// "torvatool image info|ls|extract|forget": what the menu reads from a disc image, for disc
// authors: the volume's labels, format and size, the tree with each name set, one file out; and
// clearing the cache of unpacked images.

#include "platform/image/DiscImage.h"
#include "platform/image/ImageCache.h"
#include "tools/torvatool/Command.h"

#include <cstdio>
#include <ostream>

namespace torvatool {

namespace {

namespace fs = std::filesystem;

constexpr const char* Usage = "image info|ls IMAGE | image extract IMAGE PATH [OUT] | image forget [IMAGE]\n"
                              "      a disc image's labels, format and sectors; its tree with the ISO, Joliet and Rock\n"
                              "      Ridge names; one file out; clearing the cache of unpacked images (or one image's)";

std::unique_ptr<platform::DiscImage> OpenImage(const std::string& file)
{
    auto image = platform::DiscImage::Open(file);
    if (!image)
        throw ToolError(image.Error().what());
    return std::move(image).Value();
}

int Info(platform::DiscImage& image, std::ostream& out)
{
    const platform::VolumeDescriptors& volume = image.Volume();
    size_t files = 0;
    size_t folders = 0;
    bool rock = false;
    for (const platform::ImageEntry& entry : image.Entries()) {
        (entry.folder ? folders : files)++;
        rock = rock || !entry.rockName.empty();
    }
    char serial[16];
    std::snprintf(serial, sizeof serial, "%04X-%04X", volume.serial >> 16, volume.serial & 0xFFFF);
    out << "file: " << image.File().string() << "\n";
    for (size_t i = 1; i < image.Files().size(); ++i)
        out << "data file: " << image.Files()[i].string() << "\n";
    out << "format: " << image.FormatName() << "\n"
        << "label: " << image.Label() << "\n"
        << "ISO label: " << volume.primaryLabel << "\n"
        << "Joliet level: " << volume.jolietLevel << "\n"
        << "Rock Ridge: " << (rock ? "yes" : "no") << "\n"
        << "serial: " << serial << "\n"
        << "volume sectors: " << volume.volumeSectors << "\n"
        << "sectors in the file: " << image.AvailableSectors() << "\n"
        << "folders: " << folders << "\nfiles: " << files << "\nbytes: " << image.TotalFileBytes() << "\n"
        << "bytes to unpack (each stored file once): " << image.PlannedBytes() << "\n"
        << "identity: " << image.Identity() << "\n"
        << "unpacked in the cache: " << (platform::ImageCache().Has(image) ? "yes" : "no") << "\n";
    for (const platform::LeftOutEntry& skipped : image.Skipped())
        out << "left out: /" << skipped.path << " (" << skipped.reason << ")\n";
    return 0;
}

int List(platform::DiscImage& image, std::ostream& out)
{
    for (const platform::ImageEntry& entry : image.Entries()) {
        out << (entry.folder ? "d " : "f ") << entry.size << " " << entry.path;
        if (!entry.isoName.empty())
            out << "\tiso=" << entry.isoName;
        if (!entry.jolietName.empty())
            out << "\tjoliet=" << entry.jolietName;
        if (!entry.rockName.empty())
            out << "\trock=" << entry.rockName;
        if (entry.rockMode) {
            char mode[8];
            std::snprintf(mode, sizeof mode, "%04o", *entry.rockMode & 07777);
            out << "\tmode=" << mode;
        }
        out << "\n";
    }
    return 0;
}

int Extract(platform::DiscImage& image, const std::string& path, const std::string& target, std::ostream& out)
{
    const platform::ImageEntry* entry = image.Find(path);
    if (!entry)
        throw ToolError(image.File().string() + ": no " + path + " on the image");
    if (entry->folder)
        throw ToolError(image.File().string() + ": " + path + " is a folder");
    fs::path output = target.empty() ? fs::path(entry->path).filename() : fs::path(target);
    std::error_code error;
    if (fs::exists(output, error))
        throw ToolError(output.string() + " exists already");
    try {
        image.Extract(*entry, output);
    } catch (const platform::ImageError& failure) {
        throw ToolError(failure.what());
    }
    out << output.string() << ": " << entry->size << " bytes\n";
    return 0;
}

int RunImage(Arguments& args, std::ostream& out)
{
    const auto& words = args.Positional(1, 4, Usage);
    const std::string& action = words[0];
    if (action == "forget") {
        if (words.size() > 2)
            throw ToolError(std::string("usage: torvatool ") + Usage);
        platform::ImageCache cache;
        size_t removed = cache.Forget(words.size() == 2 ? std::optional<fs::path>(words[1]) : std::nullopt);
        out << "removed " << removed << " unpacked image(s) from " << cache.Root().string() << "\n";
        return 0;
    }
    if (words.size() < 2 || (action != "extract" && words.size() != 2) || (action == "extract" && words.size() < 3))
        throw ToolError(std::string("usage: torvatool ") + Usage);
    auto image = OpenImage(words[1]);
    try {
        if (action == "info")
            return Info(*image, out);
        if (action == "ls")
            return List(*image, out);
        if (action == "extract")
            return Extract(*image, words[2], words.size() == 4 ? words[3] : std::string(), out);
    } catch (const platform::ImageError& error) {
        throw ToolError(error.what());
    }
    throw ToolError("unknown image action '" + action + "'; usage: torvatool " + Usage);
}

CommandRegistration registration({ "image", Usage, RunImage });

}

}
