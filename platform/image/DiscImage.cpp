#include "platform/image/DiscImage.h"

#include "platform/image/CueSheet.h"
#include "platform/image/DirectoryRecords.h"
#include "platform/image/NrgLayout.h"
#include "platform/image/VolumeSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <set>

namespace platform {

namespace fs = std::filesystem;

namespace {

// Bounds that keep a damaged or hostile image from running away with time or memory; a CD's
// folders are far smaller and shallower.
constexpr uint64_t MaxFolderBytes = 16u << 20;
constexpr int MaxDepth = 32;
constexpr size_t MaxEntries = 1u << 20;
constexpr size_t MaxNameBytes = 255;
constexpr uint64_t MaxCueSheetBytes = 1u << 20;

// Raw sectors start with twelve sync bytes; the header's last byte is the mode.
constexpr uint8_t RawSync[12] = { 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00 };
constexpr size_t RawModeByte = 15;

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string ExtensionOf(const fs::path& file)
{
    return Lower(file.extension().string());
}

std::optional<std::string> ReadHead(const fs::path& file, size_t bytes, uint64_t offset = 0)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    in.seekg(static_cast<std::streamoff>(offset));
    std::string data(bytes, '\0');
    in.read(data.data(), static_cast<std::streamsize>(bytes));
    data.resize(static_cast<size_t>(in.gcount()));
    return data;
}

uint64_t FileBytes(const fs::path& file)
{
    std::error_code error;
    uint64_t bytes = fs::file_size(file, error);
    return error ? 0 : bytes;
}

// "NAME.EXT;1" -> "NAME.EXT", "README.;1" -> "README".
std::string WithoutVersion(std::string name)
{
    size_t semicolon = name.rfind(';');
    if (semicolon != std::string::npos && semicolon + 1 < name.size()
        && std::all_of(name.begin() + static_cast<std::ptrdiff_t>(semicolon) + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
        name.resize(semicolon);
    if (name.size() > 1 && name.back() == '.')
        name.pop_back();
    return name;
}

bool UsableHostName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.size() <= MaxNameBytes && name.find('/') == std::string::npos
        && name.find('\0') == std::string::npos;
}

// A cue track's source with the data file the sheet names held open: the source reads it by the
// held descriptor's name, and libcdio opens it only at its first read.
class HeldFileSource : public VolumeSource {
public:
    HeldFileSource(std::unique_ptr<VolumeSource> inner, CueDataFile held)
        : m_inner(std::move(inner)), m_held(std::move(held)) {}
    bool ReadSectors(uint32_t lsn, uint32_t count, uint8_t* buffer) override { return m_inner->ReadSectors(lsn, count, buffer); }
    uint64_t AvailableSectors() const override { return m_inner->AvailableSectors(); }
    bool CopyExtent(uint32_t lsn, uint64_t size, int fd, const CopyProgress& progress) override
    {
        return m_inner->CopyExtent(lsn, size, fd, progress);
    }

private:
    std::unique_ptr<VolumeSource> m_inner;
    CueDataFile m_held;
};

struct OpenedCue {
    fs::path dataFile;
    std::unique_ptr<VolumeSource> source;
};

OpenedCue OpenCue(const fs::path& cueFile)
{
    if (FileBytes(cueFile) > MaxCueSheetBytes)
        throw ImageError(ImageProblem::NotAnImage, cueFile, "too large for a cue sheet");
    auto text = ReadHead(cueFile, MaxCueSheetBytes);
    if (!text)
        throw ImageError(ImageProblem::Missing, cueFile, "cannot be read");
    std::string problem;
    auto sheet = ParseCueSheet(*text, &problem);
    if (!sheet)
        throw ImageError(ImageProblem::NotAnImage, cueFile, "not a cue sheet (" + problem + ")");
    // The volume of a game disc is its first track; audio tracks after it are not read.
    const CueFile& first = sheet->files.front();
    if (first.tracks.empty() || first.tracks.front().mode == TrackMode::Audio || first.tracks.front().mode == TrackMode::Other)
        throw ImageError(ImageProblem::NoDataTrack, cueFile, "its first track is no data track (MODE1 or MODE2)");
    const CueTrack& track = first.tracks.front();
    CueDataFile data = CueDataFile::Open(cueFile, first.name);
    const fs::path& dataFile = data.File();
    std::unique_ptr<VolumeSource> source;
    if (track.mode == TrackMode::Mode1Cooked && track.index1Frame == 0)
        source = OpenFileSource(data.OpenPath());
    else
        source = OpenCueSource(data.OpenPath(), TrackModeName(track.mode), track.index1Frame);
    if (!source)
        throw ImageError(ImageProblem::UnreadableTrack, dataFile, "named by " + cueFile.filename().string() + " cannot be read as its track");
    fs::path file = dataFile;
    return { file, std::make_unique<HeldFileSource>(std::move(source), std::move(data)) };
}

std::unique_ptr<VolumeSource> OpenNrg(const fs::path& file)
{
    std::string problem;
    auto read = [&](uint64_t offset, size_t length) { return ReadHead(file, length, offset); };
    auto track = ReadNrgLayout(FileBytes(file), read, problem);
    if (!track)
        throw ImageError(ImageProblem::NotAnImage, file, problem);
    auto source = OpenFileSource(file.string(), { track->offset, track->bytes, track->sectorSize });
    if (!source)
        throw ImageError(ImageProblem::Missing, file, "cannot be read");
    return source;
}

// A .bin without its cue sheet, or an .iso copied with raw sectors: the first sector's header
// tells the mode.
std::unique_ptr<VolumeSource> OpenRawWithoutSheet(const fs::path& file)
{
    auto head = ReadHead(file, RawModeByte + 1);
    if (!head || head->size() <= RawModeByte || std::memcmp(head->data(), RawSync, sizeof RawSync) != 0)
        return nullptr;
    uint8_t mode = static_cast<uint8_t>((*head)[RawModeByte]);
    if (mode != 1 && mode != 2)
        return nullptr;
    return OpenCueSource(file.string(), TrackModeName(mode == 1 ? TrackMode::Mode1Raw : TrackMode::Mode2Raw), 0);
}

uint64_t SectorsFor(uint64_t bytes)
{
    return (bytes + IsoSectorSize - 1) / IsoSectorSize;
}

}

struct DiscImage::Walked {
    std::string path;    // as shown
    std::string rawName; // as recorded
    int parent = -1;
    RawFolderEntry entry;
};

DiscImage::DiscImage(ImageFormat format, std::vector<fs::path> files, std::unique_ptr<VolumeSource> source)
    : m_format(format)
    , m_files(std::move(files))
    , m_source(std::move(source))
{
}

DiscImage::~DiscImage() = default;

std::unique_ptr<DiscImage> DiscImage::Open(const fs::path& file)
{
    SilenceCdioLog();
    std::error_code error;
    if (!fs::exists(file, error))
        throw ImageError(ImageProblem::Missing, file, "does not exist");
    if (fs::is_directory(file, error))
        throw ImageError(ImageProblem::NotAnImage, file, "is a folder, not an image");
    if (::access(file.c_str(), R_OK) != 0)
        throw ImageError(ImageProblem::Missing, file, std::string("cannot be read: ") + std::strerror(errno));

    std::string extension = ExtensionOf(file);
    ImageFormat format = ImageFormat::Iso;
    std::vector<fs::path> files { file };
    std::unique_ptr<VolumeSource> source;
    if (extension == ".cue") {
        format = ImageFormat::CueBin;
        OpenedCue cue = OpenCue(file);
        files.push_back(cue.dataFile);
        source = std::move(cue.source);
    } else if (extension == ".nrg") {
        format = ImageFormat::Nrg;
        source = OpenNrg(file);
    } else {
        source = OpenFileSource(file.string());
        if (!source)
            throw ImageError(ImageProblem::NotAnImage, file, "is no regular file");
    }

    auto reader = [&](uint32_t lsn, uint8_t* buffer) { return source->ReadSectors(lsn, 1, buffer); };
    auto volume = ReadVolumeDescriptors(reader);
    if (!volume && format == ImageFormat::Iso) {
        if (auto raw = OpenRawWithoutSheet(file)) {
            source = std::move(raw);
            format = ImageFormat::RawBin;
            volume = ReadVolumeDescriptors(reader);
        }
    }
    if (!volume) {
        if (source->AvailableSectors() <= 16 && FileBytes(files.back()) > 0 && format != ImageFormat::Iso)
            throw ImageError(ImageProblem::Truncated, files.back(), "ends before its volume descriptor");
        throw ImageError(ImageProblem::NotAnImage, files.back(), "holds no ISO 9660 volume (no CD001 descriptor at sector 16)");
    }
    auto image = std::unique_ptr<DiscImage>(new DiscImage(format, std::move(files), std::move(source)));
    image->m_volume = std::move(*volume);
    return image;
}

const char* DiscImage::FormatName() const
{
    switch (m_format) {
    case ImageFormat::Iso:
        return "ISO 9660";
    case ImageFormat::CueBin:
        return "cue sheet and data track";
    case ImageFormat::RawBin:
        return "raw sectors";
    case ImageFormat::Nrg:
        return "NRG";
    }
    return "";
}

const std::string& DiscImage::Label() const
{
    return m_volume.jolietLevel > 0 && !m_volume.jolietLabel.empty() ? m_volume.jolietLabel : m_volume.primaryLabel;
}

uint64_t DiscImage::AvailableSectors() const
{
    return m_source->AvailableSectors();
}

std::string DiscImage::Identity() const
{
    // FNV-1a, 64 bits: enough to tell a user's images apart.
    uint64_t hash = 0xCBF29CE484222325ull;
    auto mix = [&](std::string_view bytes) {
        for (unsigned char c : bytes) {
            hash ^= c;
            hash *= 0x100000001B3ull;
        }
    };
    mix(m_volume.raw);
    for (const fs::path& file : m_files) {
        struct stat info {};
        if (::stat(file.c_str(), &info) != 0)
            continue;
        std::string stamp = std::to_string(info.st_size) + ":" + std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec) + ";";
        mix(stamp);
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::vector<DiscImage::Walked> DiscImage::Walk(bool joliet)
{
    std::vector<Walked> walked;
    std::set<uint32_t> visited;
    uint64_t available = m_source->AvailableSectors();
    auto continuation = [&](uint32_t lsn, uint32_t offset, uint32_t length) -> std::optional<std::string> {
        std::string sector(IsoSectorSize, '\0');
        if (uint64_t(offset) + length > IsoSectorSize || !m_source->ReadSectors(lsn, 1, reinterpret_cast<uint8_t*>(sector.data())))
            return std::nullopt;
        return sector.substr(offset, length);
    };
    // Depth-first, each folder listed before its contents; folders are read by their extent.
    std::function<void(uint32_t, uint64_t, const std::string&, int, int)> visit =
        [&](uint32_t lsn, uint64_t bytes, const std::string& shownPath, int parent, int depth) {
            if (bytes > MaxFolderBytes)
                throw ImageError(ImageProblem::Damaged, File(), "the folder /" + shownPath + " is larger than any folder of a disc");
            uint64_t sectors = SectorsFor(bytes);
            if (uint64_t(lsn) + sectors > available)
                throw ImageError(ImageProblem::Truncated, m_files.back(),
                    "ends at sector " + std::to_string(available) + ", before the folder /" + shownPath);
            std::string folder(static_cast<size_t>(sectors) * IsoSectorSize, '\0');
            if (sectors > 0 && !m_source->ReadSectors(lsn, static_cast<uint32_t>(sectors), reinterpret_cast<uint8_t*>(folder.data())))
                throw ImageError(ImageProblem::Damaged, File(), "the folder /" + shownPath + " cannot be read");
            for (RawFolderEntry& entry : ReadDirectoryRecords(folder, joliet, continuation)) {
                std::string name = entry.rockName ? entry.name : WithoutVersion(entry.name);
                std::string shown = shownPath.empty() ? name : shownPath + "/" + name;
                if (!UsableHostName(name) || entry.multiExtent) {
                    m_skipped.push_back(shownPath + "/" + entry.name);
                    continue;
                }
                if (walked.size() >= MaxEntries)
                    throw ImageError(ImageProblem::Damaged, File(), "the folder /" + shownPath + " holds more entries than a disc can");
                bool descend = entry.folder && depth < MaxDepth && visited.insert(entry.lsn).second;
                if (entry.folder && !descend) {
                    m_skipped.push_back(shown);
                    continue;
                }
                uint32_t childLsn = entry.lsn;
                uint64_t childBytes = entry.size;
                std::string rawName = entry.name;
                walked.push_back({ shown, rawName, parent, std::move(entry) });
                if (descend)
                    visit(childLsn, childBytes, shown, static_cast<int>(walked.size() - 1), depth + 1);
            }
        };
    uint32_t rootLsn = joliet ? m_volume.jolietRootLsn : m_volume.rootLsn;
    visited.insert(rootLsn);
    visit(rootLsn, joliet ? m_volume.jolietRootSize : m_volume.rootSize, "", -1, 0);
    return walked;
}

void DiscImage::ReadTrees()
{
    m_treesRead = true;
    std::vector<Walked> primary = Walk(false);
    std::vector<Walked> shown = m_volume.jolietLevel > 0 ? Walk(true) : primary;
    bool joliet = m_volume.jolietLevel > 0;

    // The two trees share their files' extents; zero-length files may share one, so those
    // with equal keys pair up in order. Each tree has folders of its own: a folder's twin is
    // the folder that holds its files' twins.
    std::vector<int> twins(shown.size(), -1);
    if (joliet) {
        std::map<std::pair<uint32_t, uint64_t>, std::vector<int>> byExtent;
        for (size_t i = primary.size(); i-- > 0;)
            if (!primary[i].entry.folder)
                byExtent[{ primary[i].entry.lsn, primary[i].entry.size }].push_back(static_cast<int>(i));
        for (size_t i = 0; i < shown.size(); ++i) {
            auto match = byExtent.find({ shown[i].entry.lsn, shown[i].entry.size });
            if (!shown[i].entry.folder && match != byExtent.end() && !match->second.empty()) {
                twins[i] = match->second.back();
                match->second.pop_back();
            }
        }
        for (size_t i = shown.size(); i-- > 0;) {
            int parent = shown[i].parent;
            if (twins[i] >= 0 && parent >= 0 && twins[static_cast<size_t>(parent)] < 0)
                twins[static_cast<size_t>(parent)] = primary[static_cast<size_t>(twins[i])].parent;
        }
    } else {
        for (size_t i = 0; i < shown.size(); ++i)
            twins[i] = static_cast<int>(i);
    }

    m_entries.clear();
    uint64_t available = m_source->AvailableSectors();
    for (Walked& item : shown) {
        ImageEntry entry;
        entry.path = item.path;
        entry.folder = item.entry.folder;
        entry.lsn = item.entry.lsn;
        entry.size = item.entry.size;
        entry.time = item.entry.time;
        if (joliet)
            entry.jolietName = WithoutVersion(item.rawName);
        int twinIndex = twins[static_cast<size_t>(&item - shown.data())];
        const Walked* twin = twinIndex >= 0 ? &primary[static_cast<size_t>(twinIndex)] : nullptr;
        if (twin) {
            if (twin->entry.rockName)
                entry.rockName = twin->rawName;
            else
                entry.isoName = WithoutVersion(twin->rawName);
            entry.rockMode = twin->entry.rockMode;
        }
        if (!entry.folder && entry.size > 0 && uint64_t(entry.lsn) + SectorsFor(entry.size) > available)
            throw ImageError(ImageProblem::Truncated, m_files.back(),
                "ends at sector " + std::to_string(available) + ", before the end of /" + entry.path + " (sector "
                    + std::to_string(uint64_t(entry.lsn) + SectorsFor(entry.size)) + ")");
        m_entries.push_back(std::move(entry));
    }
}

const std::vector<ImageEntry>& DiscImage::Entries()
{
    if (!m_treesRead)
        ReadTrees();
    return m_entries;
}

const std::vector<std::string>& DiscImage::Skipped()
{
    Entries();
    return m_skipped;
}

uint64_t DiscImage::TotalFileBytes()
{
    uint64_t total = 0;
    for (const ImageEntry& entry : Entries())
        if (!entry.folder)
            total += entry.size;
    return total;
}

const ImageEntry* DiscImage::Find(std::string_view path)
{
    while (!path.empty() && path.front() == '/')
        path.remove_prefix(1);
    std::string wanted = Lower(std::string(path));
    for (const ImageEntry& entry : Entries())
        if (Lower(entry.path) == wanted)
            return &entry;
    return nullptr;
}

bool DiscImage::Extract(const ImageEntry& entry, const fs::path& target, const std::function<bool(uint64_t)>& progress)
{
    int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        throw ImageError(ImageProblem::CacheFailed, target, std::string("cannot be created: ") + std::strerror(errno));
    bool stopped = false;
    auto step = [&](uint64_t bytes) {
        if (progress && !progress(bytes)) {
            stopped = true;
            return false;
        }
        return true;
    };
    bool copied = entry.size == 0 || m_source->CopyExtent(entry.lsn, entry.size, fd, step);
    bool closed = ::close(fd) == 0;
    if (copied && closed)
        return true;
    std::error_code error;
    fs::remove(target, error);
    if (stopped)
        return false;
    if (uint64_t(entry.lsn) + SectorsFor(entry.size) > m_source->AvailableSectors())
        throw ImageError(ImageProblem::Truncated, m_files.back(), "ends before the end of /" + entry.path);
    throw ImageError(ImageProblem::CacheFailed, target, "could not be written from /" + entry.path);
}

std::string DiscImage::Read(const ImageEntry& entry, size_t limit)
{
    uint64_t bytes = std::min<uint64_t>(entry.size, limit);
    uint32_t sectors = static_cast<uint32_t>(SectorsFor(bytes));
    std::string data(size_t(sectors) * IsoSectorSize, '\0');
    if (sectors > 0 && !m_source->ReadSectors(entry.lsn, sectors, reinterpret_cast<uint8_t*>(data.data())))
        throw ImageError(ImageProblem::Truncated, m_files.back(), "ends before the end of /" + entry.path);
    data.resize(static_cast<size_t>(bytes));
    return data;
}

}
