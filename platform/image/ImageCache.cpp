#include "platform/image/ImageCache.h"

#include "platform/atomicfile/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>

namespace platform {

namespace fs = std::filesystem;

namespace {

constexpr const char* LabelFile = ".windows-label";
constexpr const char* SerialFile = ".windows-serial";
constexpr const char* PartialPrefix = ".partial-";
constexpr uint64_t DefaultBoundMiB = 4096;

fs::path EntryFile(const fs::path& root, const std::string& key)
{
    return root / (key + ".entry");
}

fs::path LockFile(const fs::path& root, const std::string& key)
{
    return root / (key + ".lock");
}

// Entries are read-only; their folders are opened for writing before they go.
void RemoveTree(const fs::path& folder)
{
    std::error_code error;
    if (!fs::exists(fs::symlink_status(folder, error)))
        return;
    ::chmod(folder.c_str(), 0755);
    for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::recursive_directory_iterator(); it.increment(error))
        if (it->is_directory(error) && !it->is_symlink(error))
            ::chmod(it->path().c_str(), 0755);
    fs::remove_all(folder, error);
}

std::map<std::string, std::string> ReadEntryFile(const fs::path& file)
{
    std::map<std::string, std::string> values;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

bool IsNativeProgram(const fs::path& file)
{
    char head[4] = {};
    std::ifstream in(file, std::ios::binary);
    in.read(head, sizeof head);
    auto got = in.gcount();
    return (got >= 4 && std::memcmp(head, "\x7F"
                                          "ELF",
                            4)
                   == 0)
        || (got >= 2 && head[0] == '#' && head[1] == '!');
}

void Touch(const fs::path& file)
{
    std::error_code error;
    fs::last_write_time(file, fs::file_time_type::clock::now(), error);
}

void SetTime(const fs::path& file, int64_t seconds)
{
    struct timespec times[2] = { { 0, UTIME_OMIT }, { static_cast<time_t>(seconds), 0 } };
    ::utimensat(AT_FDCWD, file.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

}

ImageCache::ImageCache(fs::path root, uint64_t bound)
    : m_root(std::move(root))
    , m_bound(bound)
{
}

fs::path ImageCache::DefaultRoot()
{
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && *cache == '/')
        return fs::path(cache) / "torva" / "images";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / ".cache" / "torva" / "images";
}

uint64_t ImageCache::DefaultBound()
{
    const char* text = std::getenv("TORVA_IMAGE_CACHE_MB");
    uint64_t mebibytes = DefaultBoundMiB;
    if (text && *text) {
        char* end = nullptr;
        unsigned long long value = std::strtoull(text, &end, 10);
        if (end && *end == '\0')
            mebibytes = value;
    }
    return mebibytes << 20;
}

bool ImageCache::Has(const DiscImage& image) const
{
    std::error_code error;
    return fs::is_directory(m_root / image.Identity(), error);
}

CachedImage ImageCache::Open(DiscImage& image, const UnpackProgress& progress)
{
    std::error_code error;
    fs::create_directories(m_root, error);
    if (error)
        throw ImageError(ImageProblem::CacheFailed, m_root, "cannot be created: " + error.message());
    std::string key = image.Identity();
    fs::path folder = m_root / key;
    bool unpacked = false;
    std::optional<FileLock> inUse;
    if (!fs::is_directory(folder, error)) {
        RefuseWhatCannotFit(image);
        fs::path made = Unpack(image, key, progress);
        auto cacheLock = FileLock::Acquire(m_root / "cache.lock", FileLock::Mode::Exclusive);
        // Held before the folder appears, so no other program's trimming takes it meanwhile.
        inUse = FileLock::Acquire(LockFile(m_root, key), FileLock::Mode::Shared);
        // The entry's record goes first: a crash before the rename leaves a record without a
        // folder, which forgetting clears, never a folder nobody can forget.
        WriteHostFileAtomically(EntryFile(m_root, key),
            "image=" + fs::absolute(image.File()).string() + "\nlabel=" + image.Label() + "\nbytes=" + std::to_string(image.TotalFileBytes()) + "\n");
        fs::rename(made, folder, error);
        // Another program may have finished the same image meanwhile; its folder is as good.
        if (error && fs::is_directory(folder)) {
            RemoveTree(made);
            error.clear();
        }
        if (error) {
            RemoveTree(made);
            fs::remove(EntryFile(m_root, key), error);
            throw ImageError(ImageProblem::CacheFailed, folder, "cannot be put in place");
        }
        unpacked = true;
    }
    if (!inUse)
        inUse = FileLock::Acquire(LockFile(m_root, key), FileLock::Mode::Shared);
    if (!inUse || !fs::is_directory(folder, error))
        throw ImageError(ImageProblem::CacheFailed, folder, "cannot be used");
    Touch(EntryFile(m_root, key));
    if (unpacked)
        Trim(key);
    return CachedImage(folder, image.Label(), image.Volume().serial, std::move(*inUse), unpacked);
}

fs::path ImageCache::Unpack(DiscImage& image, const std::string& key, const UnpackProgress& progress)
{
    ClearLeftovers();
    const std::vector<ImageEntry>& entries = image.Entries();
    uint64_t total = image.PlannedBytes();
    uint64_t done = 0;

    fs::path partial = m_root / (PartialPrefix + key + "-" + std::to_string(::getpid()));
    auto working = FileLock::Acquire(partial.string() + ".lock", FileLock::Mode::Exclusive, false);
    if (!working)
        throw ImageError(ImageProblem::CacheFailed, partial, "is being unpacked by this program already");
    RemoveTree(partial);
    std::error_code error;
    if (!fs::create_directory(partial, error))
        throw ImageError(ImageProblem::CacheFailed, partial, "cannot be created: " + error.message());
    struct Cleanup {
        fs::path folder;
        fs::path lock;
        bool keep = false;
        ~Cleanup()
        {
            if (!keep)
                RemoveTree(folder);
            std::error_code ignored;
            fs::remove(lock, ignored);
        }
    } cleanup { partial, partial.string() + ".lock" };

    auto step = [&](uint64_t bytes) {
        done += bytes;
        return !progress || progress(done, total);
    };
    if (progress && !progress(0, total))
        throw ImageError(ImageProblem::Cancelled, image.File(), "unpacking cancelled");
    std::vector<fs::path> folders;
    for (const ImageEntry& entry : entries) {
        fs::path target = partial / fs::path(entry.path);
        if (entry.folder) {
            if (!fs::create_directory(target, error) && !fs::is_directory(target))
                throw ImageError(ImageProblem::CacheFailed, target, "cannot be created: " + error.message());
            folders.push_back(target);
            continue;
        }
        // A name the disc holds twice (names differing in case only stay apart) keeps the first.
        if (fs::exists(fs::symlink_status(target, error)))
            continue;
        if (!image.Extract(entry, target, step))
            throw ImageError(ImageProblem::Cancelled, image.File(), "unpacking cancelled");
        if (entry.link)
            continue;
        bool executable = entry.rockMode ? (*entry.rockMode & 0111) != 0 : IsNativeProgram(target);
        ::chmod(target.c_str(), executable ? 0555 : 0444);
        SetTime(target, entry.time);
    }
    char serial[16];
    std::snprintf(serial, sizeof serial, "%08x\n", image.Volume().serial);
    for (auto [name, text] : { std::pair<const char*, std::string> { LabelFile, image.Label() + "\n" }, { SerialFile, serial } }) {
        std::ofstream out(partial / name, std::ios::binary);
        out << text;
        if (!out.flush())
            throw ImageError(ImageProblem::CacheFailed, partial / name, "cannot be written");
        ::chmod((partial / name).c_str(), 0444);
    }
    // Innermost folders first: a read-only folder takes no more changes.
    for (auto it = folders.rbegin(); it != folders.rend(); ++it)
        ::chmod(it->c_str(), 0555);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (it->folder)
            SetTime(partial / fs::path(it->path), it->time);
    ::chmod(partial.c_str(), 0555);
    cleanup.keep = true;
    return partial;
}

void ImageCache::ClearLeftovers()
{
    std::error_code error;
    for (const auto& item : fs::directory_iterator(m_root, error)) {
        std::string name = item.path().filename().string();
        if (name.rfind(PartialPrefix, 0) != 0 || item.path().extension() != ".lock")
            continue;
        // A lock nobody holds is one a crashed unpacking left.
        if (auto stale = FileLock::Acquire(item.path(), FileLock::Mode::Exclusive, false)) {
            fs::path folder = item.path();
            folder.replace_extension();
            RemoveTree(folder);
            fs::remove(item.path(), error);
        }
    }
}

std::vector<CacheEntry> ImageCache::List() const
{
    std::vector<CacheEntry> entries;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(m_root, error)) {
        if (item.path().extension() != ".entry")
            continue;
        CacheEntry entry;
        entry.key = item.path().stem().string();
        auto values = ReadEntryFile(item.path());
        entry.image = values["image"];
        entry.label = values["label"];
        entry.bytes = std::strtoull(values["bytes"].c_str(), nullptr, 10);
        struct stat info {};
        if (::stat(item.path().c_str(), &info) == 0)
            entry.lastUse = info.st_mtim.tv_sec;
        entry.inUse = !FileLock::Acquire(LockFile(m_root, entry.key), FileLock::Mode::Exclusive, false);
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), [](const CacheEntry& a, const CacheEntry& b) { return a.lastUse < b.lastUse; });
    return entries;
}

bool ImageCache::Remove(const std::string& key)
{
    auto unused = FileLock::Acquire(LockFile(m_root, key), FileLock::Mode::Exclusive, false);
    if (!unused)
        return false;
    std::error_code error;
    fs::remove(EntryFile(m_root, key), error);
    RemoveTree(m_root / key);
    fs::remove(LockFile(m_root, key), error);
    return true;
}

size_t ImageCache::Forget(const std::optional<fs::path>& image)
{
    auto cacheLock = FileLock::Acquire(m_root / "cache.lock", FileLock::Mode::Exclusive);
    std::error_code error;
    fs::path wanted = image ? fs::absolute(*image, error) : fs::path();
    size_t removed = 0;
    for (const CacheEntry& entry : List()) {
        if (image && !fs::equivalent(entry.image, wanted, error) && entry.image != wanted)
            continue;
        if (Remove(entry.key))
            ++removed;
    }
    ClearLeftovers();
    return removed;
}

void ImageCache::Trim(const std::string& keep)
{
    auto cacheLock = FileLock::Acquire(m_root / "cache.lock", FileLock::Mode::Exclusive);
    std::vector<CacheEntry> entries = List();
    uint64_t total = 0;
    for (const CacheEntry& entry : entries)
        total += entry.bytes;
    for (const CacheEntry& entry : entries) {
        if (total <= m_bound)
            break;
        if (entry.key == keep || entry.inUse)
            continue;
        if (Remove(entry.key))
            total -= std::min(total, entry.bytes);
    }
}

// Refused before anything is written: what the image would unpack to must fit the cache's bound
// and the free space of its file system, less a margin for everything else.
void ImageCache::RefuseWhatCannotFit(DiscImage& image) const
{
    constexpr uint64_t FreeSpaceMargin = 256u << 20;
    uint64_t planned = image.PlannedBytes();
    std::error_code error;
    fs::space_info space = fs::space(m_root, error);
    uint64_t room = error ? UINT64_MAX : (space.available > FreeSpaceMargin ? space.available - FreeSpaceMargin : 0);
    auto mebibytes = [](uint64_t bytes) { return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MiB"; };
    std::string needs = "obraz " + image.File().string() + " by po rozbalení zabral " + mebibytes(planned);
    if (planned > m_bound)
        throw ImageError(ImageProblem::CacheFailed, m_root, needs + ", ale mezipaměť obrazů pojme nejvýš " + mebibytes(m_bound) + " (TORVA_IMAGE_CACHE_MB)");
    if (planned > room)
        throw ImageError(ImageProblem::CacheFailed, m_root, needs + ", ale na disku je volných jen " + mebibytes(room) + " (bez rezervy " + mebibytes(FreeSpaceMargin) + ")");
}

}
