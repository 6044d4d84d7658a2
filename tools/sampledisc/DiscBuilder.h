#pragma once

// Builds the sample disc folder: the source tree of the disc (catalogue, update readmes, the
// sign-up file), then everything made from the catalogue: item folders with readmes, picture
// series and small pictures, film clips, the two menu fonts and the disc's marker file.

#include "platform/types/Exception.h"

#include <filesystem>
#include <map>
#include <string>

namespace sampledisc {

class DiscError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

struct DiscSources {
    std::filesystem::path discTree;      // copied as it is
    std::filesystem::path pictureCounts; // "base count" lines
    std::filesystem::path regularFont;   // becomes Torva/bb.jpg
    std::filesystem::path boldFont;      // becomes Torva/bc.jpg
    // Optional: catalogue entries laid over the disc's own (each key set, new sections added),
    // for items whose programs are built only where their tools are.
    std::filesystem::path moreCatalogue;
};

// "base count" lines; '#' starts a comment. Throws DiscError on a malformed line.
std::map<std::string, int> ReadPictureCounts(const std::string& text);

// Replaces `out` (which must be absent, empty or an earlier sample disc) with a new disc.
void BuildDisc(const DiscSources& sources, const std::filesystem::path& out);

}
