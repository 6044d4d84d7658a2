// A cue sheet of any bytes parses or is refused with a reason, and what it gives stays in range;
// the data file any FILE line names is opened only inside the sheet's own folder.
#include "platform/image/CueSheet.h"
#include "platform/image/ImageError.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace {

namespace fs = std::filesystem;

// A sheet's folder with a data file beside it, one below it and one beside the folder.
const fs::path& SheetFolder()
{
    static const fs::path folder = [] {
        fs::path top = fs::temp_directory_path() / "torva-cue-fuzz";
        fs::create_directories(top / "disc" / "Sub");
        for (const char* name : { "disc/data.bin", "disc/Sub/Track.bin", "outside.bin" })
            std::ofstream(top / name) << "data";
        return top / "disc";
    }();
    return folder;
}

void OpenOnlyInside(const std::string& name)
{
    try {
        auto file = platform::CueDataFile::Open(SheetFolder() / "disc.cue", name);
        auto [end, unused] = std::mismatch(SheetFolder().begin(), SheetFolder().end(), file.File().lexically_normal().begin());
        if (end != SheetFolder().end() || file.File().filename() == "outside.bin")
            std::abort();
    } catch (const platform::ImageError&) {
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto sheet = platform::ParseCueSheet(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.cue");
    if (!sheet) {
        if (sheet.Error().reason.empty())
            std::abort();
        return 0;
    }
    for (const platform::CueFile& file : sheet->files) {
        OpenOnlyInside(file.name);
        for (const platform::CueTrack& track : file.tracks)
            if (track.number < 1 || track.number > 99 || platform::TrackDataOffset(track.mode) >= platform::TrackSectorSize(track.mode))
                std::abort();
    }
    return 0;
}
