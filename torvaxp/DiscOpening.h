#pragma once

// What the command line names as the disc, made ready to map to a drive: a disc folder as it
// is, or a disc image unpacked into the image cache (platform/image/ImageCache.h tells why and
// how). Whatever is wrong comes back as one Czech sentence that names the file, for the menu's
// own message box or the terminal; nothing is written to the prefix before the disc is good.

#include "platform/image/ImageCache.h"
#include "platform/types/Exception.h"
#include "torvaxp/DiscDrive.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

class DiscOpenError : public platform::Exception {
public:
    using platform::Exception::Exception; // the message: Czech, UTF-8
};

struct OpenedDisc {
    std::filesystem::path folder;
    // An image's label and serial, which its drive's own folder holds (DiscDriveLease::Map).
    std::optional<DiscVolumeName> volume;
    // The image's folder in the cache, kept from removal while the menu runs.
    std::optional<platform::CachedImage> image;
    // The image whose whole folder is still to be unpacked, when `image` is its browsing entry.
    std::optional<std::filesystem::path> pendingImage;
};

enum class ImageOpening { Whole,
    BrowsingFirst };

// A folder is taken as it is when `needCatalogue` is false (a menu that searches the drives
// itself reports a missing disc in its own words). An image the cache does not hold whole is
// unpacked whole, or with BrowsingFirst only as far as browsing needs (ShownWhileBrowsing).
// Throws DiscOpenError.
OpenedDisc OpenDisc(const std::filesystem::path& disc, bool needCatalogue, platform::ImageCache& cache,
    const platform::UnpackProgress& progress, ImageOpening opening = ImageOpening::Whole);

// The files the menu shows before anything runs from the disc: the catalogue, and the pictures
// and fonts it names, all in the disc's menu folder. Films, readmes and setups lie elsewhere.
bool ShownWhileBrowsing(const platform::ImageEntry& file);

// The menu folder (Torva) with its catalogue (torvaxp.ini), whatever the case of the names.
bool FolderHoldsCatalogue(const std::filesystem::path& folder);
bool ImageHoldsCatalogue(platform::DiscImage& image);

// The Czech sentence for what is wrong with an image.
std::string ImageProblemText(const platform::ImageError& error);
// The Czech sentence for the exception being handled (any, out of memory included), which
// nothing foresaw while opening the disc. Call it only inside a catch block.
std::string UnforeseenFailureText(const std::filesystem::path& disc);

namespace platform {
class SdlProgressWindow;
}

// Unpacking progress on the terminal, and on a desktop in a small window that opens with the
// first unpacked bytes (an image unpacked before shows none). Ctrl+C or SIGTERM
// (TerminationSignals, installed by the program), or closing the window, cancels it.
class UnpackProgressView {
public:
    UnpackProgressView(std::string imageName, bool desktop);
    ~UnpackProgressView();
    UnpackProgressView(const UnpackProgressView&) = delete;
    UnpackProgressView& operator=(const UnpackProgressView&) = delete;

    bool operator()(uint64_t done, uint64_t total);

private:
    std::string m_name;
    bool m_desktop;
    int m_shown = -1;
    std::unique_ptr<platform::SdlProgressWindow> m_window;
};
