#include "platform/image/CueSheet.h"

#include "platform/image/ImageError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace platform {

namespace {

constexpr size_t MaxTracks = 99;
constexpr uint32_t FramesPerSecond = 75;
constexpr uint32_t SecondsPerMinute = 60;

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// Takes the next word, or a quoted string without its quotes.
std::optional<std::string> NextWord(std::string_view& rest)
{
    rest = Trim(rest);
    if (rest.empty())
        return std::nullopt;
    if (rest.front() == '"') {
        size_t close = rest.find('"', 1);
        if (close == std::string_view::npos)
            return std::nullopt;
        std::string word(rest.substr(1, close - 1));
        rest.remove_prefix(close + 1);
        return word;
    }
    size_t end = 0;
    while (end < rest.size() && !std::isspace(static_cast<unsigned char>(rest[end])))
        ++end;
    std::string word(rest.substr(0, end));
    rest.remove_prefix(end);
    return word;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::optional<uint32_t> Number(std::string_view text, uint32_t limit)
{
    if (text.empty() || text.size() > 3)
        return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    if (value > limit)
        return std::nullopt;
    return value;
}

// "mm:ss:ff" to frames.
std::optional<uint32_t> Msf(std::string_view text)
{
    size_t first = text.find(':');
    size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    auto minutes = Number(text.substr(0, first), 999);
    auto seconds = Number(text.substr(first + 1, second - first - 1), SecondsPerMinute - 1);
    auto frames = Number(text.substr(second + 1), FramesPerSecond - 1);
    if (!minutes || !seconds || !frames)
        return std::nullopt;
    return (*minutes * SecondsPerMinute + *seconds) * FramesPerSecond + *frames;
}

// The mode words of a TRACK line.
struct ModeWord {
    const char* word;
    TrackMode mode;
};
constexpr ModeWord ModeWords[] = {
    { "AUDIO", TrackMode::Audio },
    { "MODE1/2048", TrackMode::Mode1Cooked },
    { "MODE1/2352", TrackMode::Mode1Raw },
    { "MODE2/2352", TrackMode::Mode2Raw },
    { "MODE2/2336", TrackMode::Mode2Form },
};

TrackMode ModeNamed(const std::string& word)
{
    for (const ModeWord& entry : ModeWords) {
        if (word == entry.word)
            return entry.mode;
    }
    return TrackMode::Other;
}

}

const char* TrackModeName(TrackMode mode)
{
    for (const ModeWord& entry : ModeWords) {
        if (mode == entry.mode)
            return entry.word;
    }
    return "";
}

uint32_t TrackSectorSize(TrackMode mode)
{
    switch (mode) {
    case TrackMode::Mode1Cooked:
        return 2048;
    case TrackMode::Mode2Form:
        return 2336;
    default:
        return 2352;
    }
}

uint32_t TrackDataOffset(TrackMode mode)
{
    switch (mode) {
    case TrackMode::Mode1Raw:
        return 16; // 12 sync bytes, 4 header bytes
    case TrackMode::Mode2Raw:
        return 24; // and the 8-byte subheader
    case TrackMode::Mode2Form:
        return 8; // the subheader alone
    default:
        return 0;
    }
}

Result<CueSheet> ParseCueSheet(std::string_view text, const std::string& file)
{
    auto fail = [&](int line, const std::string& what) -> Result<CueSheet> {
        return Problem { file, "line " + std::to_string(line) + ": " + what };
    };
    // A byte-order mark some editors write.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    CueSheet sheet;
    size_t tracks = 0;
    int lineNumber = 0;
    while (!text.empty()) {
        size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        auto command = NextWord(line);
        if (!command)
            continue;
        std::string name = Upper(*command);
        if (name == "FILE") {
            auto file = NextWord(line);
            if (!file || file->empty())
                return fail(lineNumber, "FILE without a file name");
            sheet.files.push_back({ *file, {} });
        } else if (name == "TRACK") {
            if (sheet.files.empty())
                return fail(lineNumber, "TRACK before any FILE");
            auto number = NextWord(line);
            auto mode = NextWord(line);
            auto value = number ? Number(*number, MaxTracks) : std::nullopt;
            if (!value || *value == 0 || !mode)
                return fail(lineNumber, "TRACK needs a number from 1 to 99 and a mode");
            if (++tracks > MaxTracks)
                return fail(lineNumber, "more than 99 tracks");
            sheet.files.back().tracks.push_back({ static_cast<int>(*value), ModeNamed(Upper(*mode)), 0 });
        } else if (name == "INDEX") {
            if (sheet.files.empty() || sheet.files.back().tracks.empty())
                return fail(lineNumber, "INDEX before any TRACK");
            auto number = NextWord(line);
            auto time = NextWord(line);
            auto index = number ? Number(*number, MaxTracks) : std::nullopt;
            auto frame = time ? Msf(*time) : std::nullopt;
            if (!index || !frame)
                return fail(lineNumber, "INDEX needs a number and a time mm:ss:ff");
            if (*index == 1)
                sheet.files.back().tracks.back().index1Frame = *frame;
        }
    }
    if (sheet.files.empty())
        return fail(lineNumber, "no FILE line");
    return sheet;
}

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The name relative to the sheet's folder; empty when it leads out of it.
std::filesystem::path InsideFolder(std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    std::filesystem::path named(name);
    if (named.is_absolute() || (name.size() > 1 && name[1] == ':'))
        named = named.filename();
    named = named.lexically_normal();
    if (named.empty() || named == "." || *named.begin() == "..")
        return {};
    return named;
}

}

CueDataFile CueDataFile::Open(const std::filesystem::path& sheet, const std::string& name)
{
    namespace fs = std::filesystem;
    fs::path named = InsideFolder(name);
    if (named.empty())
        throw ImageError(ImageProblem::TrackOutside, sheet, name);
    fs::path file = sheet.parent_path() / named;
    std::error_code error;
    if (!fs::exists(fs::symlink_status(file, error))) {
        std::string wanted = Lower(file.filename().string());
        for (const auto& entry : fs::directory_iterator(file.parent_path(), error))
            if (Lower(entry.path().filename().string()) == wanted)
                file = entry.path();
    }
    int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw ImageError(ImageProblem::UnreadableTrack, file, "named by " + sheet.filename().string() + ": " + std::strerror(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw ImageError(ImageProblem::TrackNotAFile, sheet, name);
    }
    return CueDataFile(file, fd);
}

CueDataFile::CueDataFile(CueDataFile&& other) noexcept
    : m_file(std::move(other.m_file))
    , m_fd(other.m_fd)
{
    other.m_fd = -1;
}

CueDataFile::~CueDataFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string CueDataFile::OpenPath() const
{
    std::string own = "/proc/self/fd/" + std::to_string(m_fd);
    return ::access(own.c_str(), R_OK) == 0 ? own : m_file.string();
}

}
