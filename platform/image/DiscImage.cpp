#include "platform/image/DiscImage.h"

#include "platform/image/CueSheet.h"
#include "platform/image/DirectoryRecords.h"
#include "platform/image/NrgLayout.h"
#include "platform/image/VolumeSource.h"
#include "platform/image/ZisofsFile.h"
#include "platform/text/Text.h"

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

// Bounds that keep a damaged or hostile image from running away with time or memory; no real
// disc of 700 MB or 4.7 GB comes near any of them, and passing one makes the image Damaged.
// One folder's records: a disc's largest folders take a few hundred kilobytes.
constexpr uint64_t MaxFolderBytes = 16u << 20;
// The records of all folders of both trees: as many as when every entry of both trees is a
// folder of a sector of its own.
constexpr uint64_t MaxDirectoryBytes = 2ull << 30;
// Records read in both trees, left-out ones included: two per entry of the fullest tree.
constexpr size_t MaxRecords = 1u << 20;
// Entries of one tree: a 4.7 GB DVD of as many files would hold 9 kB each on average.
constexpr size_t MaxEntries = 1u << 19;
// Folders inside folders: Rock Ridge's relocation lets trees pass eight levels, not this many.
constexpr int MaxDepth = 64;
// Entries left out: a real disc has a handful at most.
constexpr size_t MaxLeftOut = 10000;
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
    auto sheet = ParseCueSheet(*text, cueFile.string());
    if (!sheet)
        throw ImageError(ImageProblem::NotAnImage, cueFile, "not a cue sheet (" + sheet.Error().reason + ")");
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
    auto read = [&](uint64_t offset, size_t length) { return ReadHead(file, length, offset); };
    auto track = ReadNrgLayout(FileBytes(file), read, file.string());
    if (!track)
        throw ImageError(ImageProblem::NotAnImage, file, track.Error().reason);
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

void CheckReadable(const fs::path& file)
{
    std::error_code error;
    if (!fs::exists(file, error))
        throw ImageError(ImageProblem::Missing, file, "does not exist");
    if (fs::is_directory(file, error))
        throw ImageError(ImageProblem::NotAnImage, file, "is a folder, not an image");
    if (::access(file.c_str(), R_OK) != 0)
        throw ImageError(ImageProblem::Missing, file, std::string("cannot be read: ") + std::strerror(errno));
}

// What an image is before its folders are read.
struct OpenedVolume {
    ImageFormat format = ImageFormat::Iso;
    std::vector<fs::path> files;
    std::unique_ptr<VolumeSource> source;
    VolumeDescriptors volume;
};

// The source of the sectors by the image's kind: a cue sheet's data file, an NRG's track, or
// the file itself.
void OpenSource(OpenedVolume& opened)
{
    const fs::path& file = opened.files.front();
    std::string extension = ExtensionOf(file);
    if (extension == ".cue") {
        opened.format = ImageFormat::CueBin;
        OpenedCue cue = OpenCue(file);
        opened.files.push_back(cue.dataFile);
        opened.source = std::move(cue.source);
    } else if (extension == ".nrg") {
        opened.format = ImageFormat::Nrg;
        opened.source = OpenNrg(file);
    } else {
        opened.source = OpenFileSource(file.string());
        if (!opened.source)
            throw ImageError(ImageProblem::NotAnImage, file, "is no regular file");
    }
}

// Throws ImageError for every way the file is no readable image.
OpenedVolume OpenVolume(const fs::path& file)
{
    CheckReadable(file);
    OpenedVolume opened;
    opened.files.push_back(file);
    OpenSource(opened);
    auto reader = [&](uint32_t lsn, uint8_t* buffer) { return opened.source->ReadSectors(lsn, 1, buffer); };
    auto volume = ReadVolumeDescriptors(reader);
    if (!volume && opened.format == ImageFormat::Iso) {
        if (auto raw = OpenRawWithoutSheet(file)) {
            opened.source = std::move(raw);
            opened.format = ImageFormat::RawBin;
            volume = ReadVolumeDescriptors(reader);
        }
    }
    if (!volume) {
        const fs::path& last = opened.files.back();
        if (opened.source->AvailableSectors() <= 16 && FileBytes(last) > 0 && opened.format != ImageFormat::Iso)
            throw ImageError(ImageProblem::Truncated, last, "ends before its volume descriptor");
        throw ImageError(ImageProblem::NotAnImage, last, "holds no ISO 9660 volume (no CD001 descriptor at sector 16)");
    }
    opened.volume = std::move(*volume);
    return opened;
}

uint64_t SectorsFor(uint64_t bytes)
{
    return (bytes + IsoSectorSize - 1) / IsoSectorSize;
}

// What a file's stored bytes are: entries with equal keys hold the same bytes.
std::string ExtentKey(const ImageEntry& entry)
{
    std::string key = entry.zisofs ? "z" : "";
    for (const Extent& extent : entry.extents)
        key += std::to_string(extent.lsn) + ":" + std::to_string(extent.bytes) + ";";
    return key;
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

Result<std::unique_ptr<DiscImage>, ImageError> DiscImage::Open(const fs::path& file)
{
    SilenceCdioLog();
    return RefusedAs<ImageError>([&] {
        OpenedVolume opened = OpenVolume(file);
        auto image = std::unique_ptr<DiscImage>(new DiscImage(opened.format, std::move(opened.files), std::move(opened.source)));
        image->m_volume = std::move(opened.volume);
        return image;
    });
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

void DiscImage::DropCachedPages() const
{
    for (const fs::path& file : m_files) {
        int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
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

// Walks one tree depth-first, each folder listed before its contents. Folders are read by their
// extent, and each sector of folder records once: a folder whose extent overlaps one read
// before is a loop or a hostile overlap, and is left out.
class DiscImage::TreeWalk {
public:
    TreeWalk(DiscImage& image, bool joliet)
        : m_image(image)
        , m_joliet(joliet)
        , m_available(image.m_source->AvailableSectors())
    {
    }

    std::vector<Walked> Run()
    {
        const VolumeDescriptors& volume = m_image.m_volume;
        uint32_t rootLsn = m_joliet ? volume.jolietRootLsn : volume.rootLsn;
        uint64_t rootBytes = m_joliet ? volume.jolietRootSize : volume.rootSize;
        Claim(rootLsn, rootBytes);
        Visit(rootLsn, rootBytes, "", -1, 0);
        return std::move(m_walked);
    }

    // Says whether a folder's record, shown under `name`, is the one wanted at `level` of a path.
    using Match = std::function<bool(size_t level, const std::string& name, const RawFolderEntry& entry)>;

    // The entry at the end of a path of `levels` names, reading only the folders on the way,
    // under the same bounds as Run; in each folder the first record that matches wins.
    std::optional<Walked> Follow(size_t levels, const Match& match)
    {
        const VolumeDescriptors& volume = m_image.m_volume;
        uint32_t lsn = m_joliet ? volume.jolietRootLsn : volume.rootLsn;
        uint64_t bytes = m_joliet ? volume.jolietRootSize : volume.rootSize;
        Claim(lsn, bytes);
        std::string path;
        for (size_t level = 0; level < levels; ++level) {
            if (static_cast<int>(level) > MaxDepth)
                Damaged("its folders nest deeper than " + std::to_string(MaxDepth) + " levels at /" + path);
            std::optional<Walked> found = FindIn(ReadRecords(lsn, bytes, path), level, match, path);
            if (!found || level + 1 == levels)
                return found;
            if (!found->entry.folder || !Claim(found->entry.lsn, found->entry.size))
                return std::nullopt;
            lsn = found->entry.lsn;
            bytes = found->entry.size;
            path = found->path;
        }
        return std::nullopt;
    }

private:
    [[noreturn]] void Damaged(const std::string& reason) const { throw ImageError(ImageProblem::Damaged, m_image.File(), reason); }

    // False when any of the folder's sectors was claimed before.
    bool Claim(uint32_t lsn, uint64_t bytes)
    {
        uint64_t end = uint64_t(lsn) + std::max<uint64_t>(1, SectorsFor(bytes));
        auto next = m_claimed.upper_bound(lsn);
        if (next != m_claimed.end() && next->first < end)
            return false;
        if (next != m_claimed.begin() && std::prev(next)->second > lsn)
            return false;
        m_claimed.emplace(lsn, end);
        return true;
    }

    std::string ReadFolder(uint32_t lsn, uint64_t bytes, const std::string& path)
    {
        if (bytes > MaxFolderBytes)
            Damaged("the folder /" + path + " is larger than any folder of a disc");
        uint64_t sectors = SectorsFor(bytes);
        if (uint64_t(lsn) + sectors > m_available)
            throw ImageError(ImageProblem::Truncated, m_image.m_files.back(),
                "ends at sector " + std::to_string(m_available) + ", before the folder /" + path);
        m_image.m_folderBytesRead += sectors * IsoSectorSize;
        if (m_image.m_folderBytesRead > MaxDirectoryBytes)
            Damaged("its folders hold more records than any disc's (" + std::to_string(MaxDirectoryBytes >> 20) + " MiB of them)");
        std::string folder(static_cast<size_t>(sectors) * IsoSectorSize, '\0');
        if (sectors > 0 && !m_image.m_source->ReadSectors(lsn, static_cast<uint32_t>(sectors), reinterpret_cast<uint8_t*>(folder.data())))
            Damaged("the folder /" + path + " cannot be read");
        return folder;
    }

    std::optional<std::string> Continuation(uint32_t lsn, uint32_t offset, uint32_t length) const
    {
        std::string sector(IsoSectorSize, '\0');
        if (uint64_t(offset) + length > IsoSectorSize || !m_image.m_source->ReadSectors(lsn, 1, reinterpret_cast<uint8_t*>(sector.data())))
            return std::nullopt;
        return sector.substr(offset, length);
    }

    // A CL entry stands for the relocated folder at its child location; its size is the one
    // the folder's "." record gives. False when that folder cannot be read.
    bool FollowRelocation(RawFolderEntry& entry) const
    {
        std::string sector(IsoSectorSize, '\0');
        if (!m_image.m_source->ReadSectors(*entry.childLocation, 1, reinterpret_cast<uint8_t*>(sector.data())))
            return false;
        auto size = FolderSelfSize(sector);
        if (!size)
            return false;
        entry.folder = true;
        entry.lsn = *entry.childLocation;
        entry.size = *size;
        entry.extents = { { entry.lsn, entry.size } };
        return true;
    }

    std::vector<RawFolderEntry> ReadRecords(uint32_t lsn, uint64_t bytes, const std::string& path)
    {
        std::vector<RawFolderEntry> records;
        {
            std::string folder = ReadFolder(lsn, bytes, path);
            auto continuation = [this](uint32_t at, uint32_t offset, uint32_t length) { return Continuation(at, offset, length); };
            records = ReadDirectoryRecords(folder, m_joliet, continuation);
        }
        m_image.m_records += records.size();
        if (m_image.m_records > MaxRecords)
            Damaged("its folders hold more records than any disc's (" + std::to_string(MaxRecords) + ")");
        return records;
    }

    // The first record of a folder that `match` takes at `level`, as Visit would show it.
    std::optional<Walked> FindIn(std::vector<RawFolderEntry> records, size_t level, const Match& match, const std::string& path)
    {
        std::string prefix = path.empty() ? "" : path + "/";
        for (RawFolderEntry& entry : records) {
            std::string name = entry.rockName ? entry.name : WithoutVersion(entry.name);
            if ((entry.relocated && entry.folder) || !UsableHostName(name))
                continue;
            if (entry.childLocation && !FollowRelocation(entry))
                continue;
            if (!match(level, name, entry))
                continue;
            std::string rawName = entry.name;
            return Walked { prefix + name, rawName, -1, std::move(entry) };
        }
        return std::nullopt;
    }

    // Returns true when the folder held relocated folders and shows nothing else: the folder
    // Rock Ridge moved them into, hidden once they are shown where they belong.
    bool Visit(uint32_t lsn, uint64_t bytes, const std::string& path, int parent, int depth)
    {
        if (depth > MaxDepth)
            Damaged("its folders nest deeper than " + std::to_string(MaxDepth) + " levels at /" + path);
        std::vector<RawFolderEntry> records = ReadRecords(lsn, bytes, path);
        std::string prefix = path.empty() ? "" : path + "/";
        size_t before = m_walked.size();
        bool relocatedHere = false;
        for (RawFolderEntry& entry : records) {
            std::string name = entry.rockName ? entry.name : WithoutVersion(entry.name);
            if (entry.relocated && entry.folder) {
                relocatedHere = true;
                continue;
            }
            if (!UsableHostName(name)) {
                m_image.LeaveOut(prefix + name, "no name a host file can have");
                continue;
            }
            if (entry.childLocation && !FollowRelocation(entry)) {
                m_image.LeaveOut(prefix + name, "its relocated folder cannot be read");
                continue;
            }
            if (m_walked.size() >= MaxEntries)
                Damaged("the folder /" + path + " holds more entries than a disc can");
            if (entry.folder && !Claim(entry.lsn, entry.size)) {
                m_image.LeaveOut(prefix + name, "a folder whose records were read before (a loop or overlapping folders)");
                continue;
            }
            uint32_t childLsn = entry.lsn;
            uint64_t childBytes = entry.size;
            bool folder = entry.folder;
            std::string rawName = entry.name;
            m_walked.push_back({ prefix + name, rawName, parent, std::move(entry) });
            if (folder && Visit(childLsn, childBytes, prefix + name, static_cast<int>(m_walked.size() - 1), depth + 1))
                m_walked.pop_back();
        }
        return relocatedHere && m_walked.size() == before;
    }

    DiscImage& m_image;
    bool m_joliet;
    uint64_t m_available;
    std::map<uint32_t, uint64_t> m_claimed; // folder extents read: first sector -> end
    std::vector<Walked> m_walked;
};

std::vector<DiscImage::Walked> DiscImage::Walk(bool joliet)
{
    return TreeWalk(*this, joliet).Run();
}

void DiscImage::LeaveOut(std::string path, std::string reason)
{
    if (m_skipped.size() >= MaxLeftOut)
        throw ImageError(ImageProblem::Damaged, File(), "more than " + std::to_string(MaxLeftOut) + " of its entries cannot be unpacked");
    m_skipped.push_back({ std::move(path), std::move(reason) });
}

void DiscImage::ReadTrees()
{
    m_treesRead = true;
    std::vector<Walked> primary = Walk(false);
    bool joliet = m_volume.jolietLevel > 0;
    std::vector<Walked> jolietTree;
    if (joliet)
        jolietTree = Walk(true);
    const std::vector<Walked>& shown = joliet ? jolietTree : primary;

    // The two trees share their files' extents; zero-length files may share one, so those
    // with equal keys pair up in order. Each tree has folders of its own: a folder's twin is
    // the folder that holds its files' twins.
    std::vector<int> twins(shown.size(), -1);
    if (joliet) {
        // Files with bytes pair up by their extent (hard links share one: in order); empty ones
        // do so only without Rock Ridge, where all they carry is the ISO name.
        std::map<std::pair<uint32_t, uint64_t>, std::vector<int>> byExtent;
        for (size_t i = primary.size(); i-- > 0;) {
            const RawFolderEntry& entry = primary[i].entry;
            if (!entry.folder && (entry.size > 0 || !entry.rockName))
                byExtent[{ entry.lsn, entry.size }].push_back(static_cast<int>(i));
        }
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
        // Empty files, links and folders of those pair up by name in their folders' twins:
        // the Joliet name is the Rock Ridge one the mastering tool was given.
        std::map<std::pair<int, std::string>, int> byName;
        for (size_t i = 0; i < primary.size(); ++i)
            if (primary[i].entry.rockName)
                byName.emplace(std::pair { primary[i].parent, primary[i].rawName }, static_cast<int>(i));
        for (size_t i = 0; i < shown.size(); ++i) {
            int parent = shown[i].parent;
            int parentTwin = parent < 0 ? -1 : twins[static_cast<size_t>(parent)];
            if (twins[i] >= 0 || (parent >= 0 && parentTwin < 0))
                continue;
            auto match = byName.find({ parentTwin, WithoutVersion(shown[i].rawName) });
            if (match != byName.end() && primary[static_cast<size_t>(match->second)].entry.folder == shown[i].entry.folder)
                twins[i] = match->second;
        }
    } else {
        for (size_t i = 0; i < shown.size(); ++i)
            twins[i] = static_cast<int>(i);
    }

    m_entries.clear();
    m_entries.reserve(shown.size());
    uint64_t available = m_source->AvailableSectors();
    for (const Walked& item : shown) {
        int twinIndex = twins[static_cast<size_t>(&item - shown.data())];
        const Walked* twin = twinIndex >= 0 ? &primary[static_cast<size_t>(twinIndex)] : nullptr;
        m_entries.push_back(MakeEntry(item, twin, joliet, available));
    }
    KeepLinksInside();
}

// The entry the tree shows for `item`, with the names and Rock Ridge fields of its twin in the
// primary tree (the item itself without Joliet).
ImageEntry DiscImage::MakeEntry(const Walked& item, const Walked* twin, bool joliet, uint64_t available) const
{
    ImageEntry entry;
    entry.path = item.path;
    entry.folder = item.entry.folder;
    entry.lsn = item.entry.lsn;
    entry.size = item.entry.size;
    entry.extents = item.entry.extents;
    entry.time = item.entry.time;
    if (joliet)
        entry.jolietName = WithoutVersion(item.rawName);
    if (twin) {
        if (twin->entry.rockName)
            entry.rockName = twin->rawName;
        else
            entry.isoName = WithoutVersion(twin->rawName);
        entry.rockMode = twin->entry.rockMode;
        entry.link = twin->entry.linkTarget;
        if (twin->entry.zisofsSize && !entry.folder) {
            entry.zisofs = true;
            entry.size = *twin->entry.zisofsSize;
        }
    }
    for (const Extent& extent : entry.extents)
        if (!entry.folder && extent.bytes > 0 && uint64_t(extent.lsn) + SectorsFor(extent.bytes) > available)
            throw ImageError(ImageProblem::Truncated, m_files.back(),
                "ends at sector " + std::to_string(available) + ", before the end of /" + entry.path + " (sector "
                    + std::to_string(uint64_t(extent.lsn) + SectorsFor(extent.bytes)) + ")");
    return entry;
}

// A link is made only when its target, read name by name from the link's folder, stays inside
// the disc and passes through no other link (whose own target the host would follow instead).
void DiscImage::KeepLinksInside()
{
    std::set<std::string> links;
    for (const ImageEntry& entry : m_entries)
        if (entry.link)
            links.insert(entry.path);
    auto outside = [&](const ImageEntry& entry) -> std::optional<std::string> {
        const std::string& target = *entry.link;
        if (target.empty())
            return "a symbolic link whose target cannot be read";
        if (target.front() == '/')
            return "a symbolic link to " + target + ", outside the disc";
        std::vector<std::string> at;
        for (size_t from = 0, slash; from <= entry.path.size(); from = slash + 1) {
            slash = entry.path.find('/', from);
            if (slash == std::string::npos)
                break;
            at.push_back(entry.path.substr(from, slash - from));
        }
        for (size_t from = 0, slash = 0; slash != std::string::npos; from = slash + 1) {
            slash = target.find('/', from);
            std::string name = target.substr(from, slash == std::string::npos ? std::string::npos : slash - from);
            std::string here;
            for (const std::string& part : at)
                here += (here.empty() ? "" : "/") + part;
            if (links.count(here))
                return "a symbolic link to " + target + ", through another link";
            if (name.empty() || name == ".")
                continue;
            if (name != "..")
                at.push_back(name);
            else if (at.empty())
                return "a symbolic link to " + target + ", outside the disc";
            else
                at.pop_back();
        }
        return std::nullopt;
    };
    std::vector<ImageEntry> kept;
    kept.reserve(m_entries.size());
    for (ImageEntry& entry : m_entries) {
        if (entry.link && !entry.folder) {
            if (auto reason = outside(entry)) {
                LeaveOut(entry.path, *reason);
                continue;
            }
        }
        entry.link = entry.folder ? std::nullopt : entry.link;
        kept.push_back(std::move(entry));
    }
    m_entries = std::move(kept);
}

const std::vector<ImageEntry>& DiscImage::Entries()
{
    if (!m_treesRead)
        ReadTrees();
    return m_entries;
}

const std::vector<LeftOutEntry>& DiscImage::Skipped()
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

std::optional<ImageEntry> DiscImage::Lookup(std::string_view path)
{
    std::vector<std::string> names;
    for (std::string_view name : SplitNonEmpty(path, '/'))
        names.emplace_back(name);
    if (m_treesRead || names.empty()) {
        const ImageEntry* entry = Find(path);
        return entry ? std::optional<ImageEntry>(*entry) : std::nullopt;
    }
    bool joliet = m_volume.jolietLevel > 0;
    auto named = [&](size_t level, const std::string& name, const RawFolderEntry&) { return Lower(name) == Lower(names[level]); };
    std::optional<Walked> shown = TreeWalk(*this, joliet).Follow(names.size(), named);
    if (!shown)
        return std::nullopt;
    // The twin in the primary tree, paired as the whole tree pairs them in the ordinary case:
    // folders by their name (an ISO name is the short name upper-cased), the file by its
    // extent. A folder whose ISO name was shortened leaves the entry without a twin.
    auto twinOf = [&](size_t level, const std::string& name, const RawFolderEntry& entry) {
        if (level + 1 < names.size() || shown->entry.folder)
            return entry.folder == (level + 1 < names.size() || shown->entry.folder) && named(level, name, entry);
        return !entry.folder && entry.lsn == shown->entry.lsn && entry.size == shown->entry.size;
    };
    std::optional<Walked> twin = joliet ? TreeWalk(*this, false).Follow(names.size(), twinOf) : shown;
    bool paired = twin.has_value();
    // Whether a link stays inside the disc is known only from the whole tree.
    if (paired && twin->entry.linkTarget) {
        const ImageEntry* entry = Find(path);
        return entry ? std::optional<ImageEntry>(*entry) : std::nullopt;
    }
    return MakeEntry(*shown, paired ? &*twin : nullptr, joliet, m_source->AvailableSectors());
}

uint64_t DiscImage::PlannedBytes()
{
    if (m_planned)
        return *m_planned;
    std::set<std::string> stored;
    uint64_t planned = 0, plain = 0;
    for (const ImageEntry& entry : Entries()) {
        if (entry.folder || entry.link || entry.size == 0 || !stored.insert(ExtentKey(entry)).second)
            continue;
        planned += entry.size;
        if (!entry.zisofs)
            plain += entry.size;
    }
    // Files that do not share their extents whole but overlap them would write the same
    // sectors many times over.
    if (plain > m_source->AvailableSectors() * IsoSectorSize)
        throw ImageError(ImageProblem::Damaged, File(),
            "its files would unpack to " + std::to_string(plain) + " bytes, more than the image holds (their extents overlap)");
    m_planned = planned;
    return planned;
}

std::optional<std::string> DiscImage::ReadStored(const ImageEntry& entry, uint64_t offset, size_t length)
{
    std::string out;
    out.reserve(length);
    uint64_t start = 0; // of the current extent within the file
    for (const Extent& extent : entry.extents) {
        uint64_t end = start + extent.bytes;
        if (offset < end && out.size() < length) {
            uint64_t from = offset + out.size() - start;
            uint64_t take = std::min<uint64_t>(length - out.size(), extent.bytes - from);
            uint64_t firstSector = from / IsoSectorSize;
            uint64_t sectors = SectorsFor(from + take) - firstSector;
            std::string data(static_cast<size_t>(sectors) * IsoSectorSize, '\0');
            if (!m_source->ReadSectors(static_cast<uint32_t>(extent.lsn + firstSector), static_cast<uint32_t>(sectors), reinterpret_cast<uint8_t*>(data.data())))
                return std::nullopt;
            out.append(data, static_cast<size_t>(from - firstSector * IsoSectorSize), static_cast<size_t>(take));
        }
        start = end;
    }
    if (out.size() < length)
        return std::nullopt;
    return out;
}

bool DiscImage::WriteInflated(const ImageEntry& entry, int fd, const std::function<bool(uint64_t)>& step)
{
    uint64_t stored = 0;
    for (const Extent& extent : entry.extents)
        stored += extent.bytes;
    auto read = [&](uint64_t offset, size_t length) { return ReadStored(entry, offset, length); };
    auto write = [&](std::string_view bytes) {
        for (size_t done = 0; done < bytes.size();) {
            ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (wrote <= 0)
                return false;
            done += static_cast<size_t>(wrote);
        }
        return step(bytes.size());
    };
    auto result = InflateZisofs(stored, entry.size, read, write, "/" + entry.path);
    if (!result)
        throw ImageError(ImageProblem::Damaged, File(), result.Error().Message());
    if (*result == InflateResult::Unreadable)
        throw ImageError(ImageProblem::Truncated, m_files.back(), "ends before the end of /" + entry.path);
    return *result == InflateResult::Done;
}

bool DiscImage::Extract(const ImageEntry& entry, const fs::path& target, const std::function<bool(uint64_t)>& progress,
    const std::function<void(int)>& seal)
{
    std::error_code error;
    if (entry.link) {
        fs::create_symlink(*entry.link, target, error);
        if (error)
            throw ImageError(ImageProblem::CacheFailed, target, "cannot be created: " + error.message());
        return true;
    }
    std::string key = ExtentKey(entry);
    if (entry.size > 0) {
        auto written = m_written.find(key);
        if (written != m_written.end()) {
            fs::create_hard_link(written->second, target, error);
            if (!error)
                return true;
        }
    }
    int fd = ::open(target.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
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
    bool copied = true;
    try {
        if (entry.zisofs)
            copied = WriteInflated(entry, fd, step);
        else
            for (const Extent& extent : entry.extents)
                copied = copied && (extent.bytes == 0 || m_source->CopyExtent(extent.lsn, extent.bytes, fd, step));
    } catch (...) {
        ::close(fd);
        fs::remove(target, error);
        throw;
    }
    if (copied && seal)
        seal(fd);
    bool closed = ::close(fd) == 0;
    if (copied && closed) {
        if (entry.size > 0)
            m_written.emplace(key, target);
        return true;
    }
    fs::remove(target, error);
    if (stopped)
        return false;
    for (const Extent& extent : entry.extents)
        if (uint64_t(extent.lsn) + SectorsFor(extent.bytes) > m_source->AvailableSectors())
            throw ImageError(ImageProblem::Truncated, m_files.back(), "ends before the end of /" + entry.path);
    throw ImageError(ImageProblem::CacheFailed, target, "could not be written from /" + entry.path);
}

std::string DiscImage::Read(const ImageEntry& entry, size_t limit)
{
    uint64_t bytes = std::min<uint64_t>(entry.size, limit);
    std::optional<std::string> data;
    if (entry.zisofs) {
        data.emplace();
        uint64_t stored = 0;
        for (const Extent& extent : entry.extents)
            stored += extent.bytes;
        auto read = [&](uint64_t offset, size_t length) { return ReadStored(entry, offset, length); };
        auto keep = [&](std::string_view block) {
            data->append(block.substr(0, static_cast<size_t>(bytes - data->size())));
            return data->size() < bytes;
        };
        auto result = bytes == 0 ? Result<InflateResult>(InflateResult::Done) : InflateZisofs(stored, entry.size, read, keep, "/" + entry.path);
        if (!result)
            throw ImageError(ImageProblem::Damaged, File(), result.Error().Message());
        if (*result == InflateResult::Unreadable)
            data.reset();
    } else {
        data = ReadStored(entry, 0, static_cast<size_t>(bytes));
    }
    if (!data)
        throw ImageError(ImageProblem::Truncated, m_files.back(), "ends before the end of /" + entry.path);
    return *data;
}

}
