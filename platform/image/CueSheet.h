#pragma once

// A cue sheet: the files of a disc image and the tracks in each. Only what reading a data
// track needs is kept: each FILE's name, and each TRACK's number, sector layout and INDEX 01.

#include "platform/types/Result.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class TrackMode {
    Audio,       // AUDIO (2352-byte frames of sound)
    Mode1Cooked, // MODE1/2048: the user data alone
    Mode1Raw,    // MODE1/2352: sync, header, 2048 data bytes, EDC and ECC
    Mode2Raw,    // MODE2/2352: sync, header, subheader, then form 1 data
    Mode2Form,   // MODE2/2336: subheader, then form 1 data, without sync and header
    Other,       // CDG, CDI and the like: not read
};

struct CueTrack {
    int number = 0;
    TrackMode mode = TrackMode::Other;
    uint32_t index1Frame = 0; // INDEX 01 in frames (1/75 s) from the start of its file
};

struct CueFile {
    std::string name; // as written, quotes removed
    std::vector<CueTrack> tracks;
};

struct CueSheet {
    std::vector<CueFile> files;
};

// The mode as a TRACK line names it ("MODE1/2048"); empty for Other.
const char* TrackModeName(TrackMode mode);

// Bytes per sector of a mode, and where the 2048 user bytes start in it.
uint32_t TrackSectorSize(TrackMode mode);
uint32_t TrackDataOffset(TrackMode mode);

// Parses a cue sheet; commands it does not need (REM, TITLE, PERFORMER, PREGAP, FLAGS, ...) are
// skipped. Refused, with the line and the reason, when a FILE, TRACK or INDEX line is
// malformed, a TRACK comes before any FILE, or there is no FILE at all; `file` names the sheet.
Result<CueSheet> ParseCueSheet(std::string_view text, const std::string& file);

// The data file a cue sheet's FILE line names, open: it must lie in the sheet's folder or below
// it (a drive path of the machine that wrote the sheet counts as its name alone; backslashes
// separate folders; the case of the name may differ) and be a regular file. It is opened
// without blocking and checked on its descriptor, so a FIFO put in its place cannot stall the
// opening.
class CueDataFile {
public:
    // Throws ImageError: TrackOutside or TrackNotAFile (the sheet, with the name as written) and
    // UnreadableTrack (the data file, missing or unreadable).
    static CueDataFile Open(const std::filesystem::path& sheet, const std::string& name);
    CueDataFile(CueDataFile&& other) noexcept;
    CueDataFile(const CueDataFile&) = delete;
    CueDataFile& operator=(const CueDataFile&) = delete;
    CueDataFile& operator=(CueDataFile&&) = delete;
    ~CueDataFile();

    const std::filesystem::path& File() const { return m_file; }
    // A name that opens this very file while the object lives, whatever is renamed meanwhile.
    std::string OpenPath() const;

private:
    CueDataFile(std::filesystem::path file, int fd)
        : m_file(std::move(file)), m_fd(fd) {}
    std::filesystem::path m_file;
    int m_fd = -1;
};

}
