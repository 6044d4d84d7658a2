#include "platform/image/ImageCache.h"

#include "platform/atomicfile/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <set>

namespace platform {

namespace fs = std::filesystem;

namespace {

constexpr const char* PartialPrefix = ".partial-";
constexpr const char* BrowsingSuffix = "-browse";
constexpr const char* EntryHeader = "torva-image-entry 2";
constexpr uint64_t DefaultBoundMiB = 4096;
constexpr uint64_t MaxBoundMiB = UINT64_MAX >> 20;

fs::path EntryFile(const fs::path& root, const std::string& key)
{
    return root / (key + ".entry");
}

fs::path LockFile(const fs::path& root, const std::string& key)
{
    return root / (key + ".lock");
}

fs::path OwnerLock(const fs::path& partial)
{
    return partial.string() + ".lock";
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

// What the file system of `folder` says when a write failed without a telling error number.
WriteFault FaultOfFolder(const fs::path& folder)
{
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0)
        return WriteFault::Unknown;
    if (info.f_flag & ST_RDONLY)
        return WriteFault::ReadOnly;
    if (info.f_files > 0 && info.f_favail == 0)
        return WriteFault::NoInodes;
    if (info.f_bavail == 0)
        return WriteFault::Full;
    return WriteFault::Unknown;
}

WriteFault FaultOf(int number, const fs::path& folder)
{
    switch (number) {
    case EROFS:
        return WriteFault::ReadOnly;
    case EDQUOT:
        return WriteFault::Quota;
    case EACCES:
    case EPERM:
        return WriteFault::Denied;
    case ENOSPC:
        return FaultOfFolder(folder) == WriteFault::NoInodes ? WriteFault::NoInodes : WriteFault::Full;
    default:
        return FaultOfFolder(folder);
    }
}

[[noreturn]] void FailWriting(const fs::path& file, const std::string& what, int number)
{
    throw ImageError(ImageProblem::CacheFailed, file, what + ": " + std::strerror(number), FaultOf(number, file.parent_path()));
}

// Entry records keep each value on its line: a label or path with a line break in it cannot
// add a field.
std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (static_cast<unsigned char>(c) < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02x", static_cast<unsigned char>(c));
            out += code;
        } else
            out += c;
    }
    return out;
}

std::string Unescaped(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char next = text[++i];
        if (next == 'n')
            out += '\n';
        else if (next == 'r')
            out += '\r';
        else if (next == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::strtoul(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else
            out += next;
    }
    return out;
}

std::string EntryText(const fs::path& image, const std::string& label, uint64_t bytes)
{
    return std::string(EntryHeader) + "\nimage=" + Escaped(image.string()) + "\nlabel=" + Escaped(label) + "\nbytes=" + std::to_string(bytes) + "\n";
}

// Records written before values were escaped have no header and are read as they stand.
std::map<std::string, std::string> ReadEntryFile(const fs::path& file)
{
    std::map<std::string, std::string> values;
    std::ifstream in(file);
    std::string line;
    bool escaped = false;
    for (bool first = true; std::getline(in, line); first = false) {
        if (first && line == EntryHeader) {
            escaped = true;
            continue;
        }
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            values[line.substr(0, equals)] = escaped ? Unescaped(line.substr(equals + 1)) : line.substr(equals + 1);
    }
    return values;
}

// An ELF file or a "#!" script, judged by its first bytes.
bool IsNativeProgram(int fd)
{
    char head[4] = {};
    ssize_t got = ::pread(fd, head, sizeof head, 0);
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

// A written file becomes read-only, executable when Rock Ridge says so or when it is a native
// program, and takes the disc's time.
void Seal(int fd, const ImageEntry& entry)
{
    bool executable = entry.rockMode ? (*entry.rockMode & 0111) != 0 : IsNativeProgram(fd);
    ::fchmod(fd, executable ? 0555 : 0444);
    struct timespec times[2] = { { 0, UTIME_OMIT }, { static_cast<time_t>(entry.time), 0 } };
    ::futimens(fd, times);
}

std::atomic<unsigned> partialCount { 0 };

}

// A folder being unpacked, owned through its lock file until it is renamed or removed.
class ImageCache::Partial {
public:
    explicit Partial(const fs::path& root, const std::string& key)
        : m_folder(root / (PartialPrefix + key + "-" + std::to_string(::getpid()) + "-" + std::to_string(partialCount++)))
    {
        auto owner = FileLock::Acquire(OwnerLock(m_folder), FileLock::Mode::Exclusive, false);
        if (!owner)
            FailWriting(OwnerLock(m_folder), "cannot be created", errno);
        m_owner.emplace(std::move(*owner));
        if (::mkdir(m_folder.c_str(), 0755) != 0) {
            int number = errno;
            std::error_code ignored;
            fs::remove(OwnerLock(m_folder), ignored);
            FailWriting(m_folder, "cannot be created", number);
        }
    }
    Partial(const Partial&) = delete;
    Partial& operator=(const Partial&) = delete;
    ~Partial()
    {
        if (!m_renamed)
            RemoveTree(m_folder);
        std::error_code ignored;
        fs::remove(OwnerLock(m_folder), ignored);
    }
    const fs::path& Folder() const { return m_folder; }
    void Renamed() { m_renamed = true; }

private:
    fs::path m_folder;
    std::optional<FileLock> m_owner;
    bool m_renamed = false;
};

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

std::optional<uint64_t> ImageCache::BoundFromText(const std::string& text, std::string& warning)
{
    warning.clear();
    if (text.empty())
        return std::nullopt;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        warning = "TORVA_IMAGE_CACHE_MB=" + text + " is no number of megabytes; the cache keeps " + std::to_string(DefaultBoundMiB) + " MB";
        return std::nullopt;
    }
    errno = 0;
    unsigned long long mebibytes = std::strtoull(text.c_str(), nullptr, 10);
    if (errno == ERANGE || mebibytes > MaxBoundMiB) {
        warning = "TORVA_IMAGE_CACHE_MB=" + text + " is too large; the cache keeps " + std::to_string(MaxBoundMiB) + " MB";
        mebibytes = MaxBoundMiB;
    }
    return uint64_t(mebibytes) << 20;
}

uint64_t ImageCache::DefaultBound()
{
    const char* text = std::getenv("TORVA_IMAGE_CACHE_MB");
    std::string warning;
    auto bound = BoundFromText(text ? text : "", warning);
    if (!warning.empty())
        std::cerr << "torva: " << warning << "\n";
    return bound ? *bound : DefaultBoundMiB << 20;
}

bool ImageCache::Has(const DiscImage& image) const
{
    std::error_code error;
    return fs::is_directory(m_root / image.Identity(), error);
}

FileLock ImageCache::LockCache() const
{
    auto lock = FileLock::Acquire(m_root / "cache.lock", FileLock::Mode::Exclusive);
    if (!lock)
        FailWriting(m_root / "cache.lock", "cannot be created", errno);
    return std::move(*lock);
}

CachedImage ImageCache::Open(DiscImage& image, const UnpackProgress& progress)
{
    return Obtain(image, image.Identity(), progress, {});
}

CachedImage ImageCache::OpenBrowsing(DiscImage& image, const EntryFilter& wanted)
{
    return Obtain(image, image.Identity() + BrowsingSuffix, {}, wanted);
}

CachedImage ImageCache::Obtain(DiscImage& image, const std::string& key, const UnpackProgress& progress, const EntryFilter& wanted)
{
    std::error_code error;
    fs::create_directories(m_root, error);
    if (error)
        FailWriting(m_root, "cannot be created", error.value());
    // The entry is looked for under the cache's lock: one a trim took while this opening waited
    // for the lock is unpacked again rather than found gone.
    std::optional<Partial> partial;
    {
        FileLock cacheLock = LockCache();
        ClearLeftovers();
        if (auto cached = UseBest(image, key))
            return std::move(*cached);
        RefuseWhatCannotFit(image);
        partial.emplace(m_root, key);
    }
    uint64_t bytes = Fill(image, partial->Folder(), progress, wanted);
    FileLock cacheLock = LockCache();
    // Another program may have finished the same image meanwhile; its folder is as good.
    if (auto cached = UseBest(image, key))
        return std::move(*cached);
    Commit(image, key, *partial, bytes);
    auto cached = Use(image, key, true);
    if (!cached)
        throw ImageError(ImageProblem::CacheFailed, m_root / key, "cannot be used");
    cached->m_browsing = key != image.Identity();
    Trim(key);
    return std::move(*cached);
}

// The whole entry serves browsing as well as a browsing one. Runs under the cache's lock.
std::optional<CachedImage> ImageCache::UseBest(DiscImage& image, const std::string& key)
{
    std::string whole = image.Identity();
    if (auto cached = Use(image, whole, false))
        return cached;
    if (key == whole)
        return std::nullopt;
    auto cached = Use(image, key, false);
    if (cached)
        cached->m_browsing = true;
    return cached;
}

void ImageCache::Tidy()
{
    std::error_code error;
    if (!fs::is_directory(m_root, error))
        return;
    FileLock cacheLock = LockCache();
    Trim({});
}

// The entry's folder held from removal, when the cache has it. Runs under the cache's lock.
std::optional<CachedImage> ImageCache::Use(DiscImage& image, const std::string& key, bool unpacked)
{
    fs::path folder = m_root / key;
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return std::nullopt;
    auto inUse = FileLock::Acquire(LockFile(m_root, key), FileLock::Mode::Shared);
    if (!inUse)
        FailWriting(LockFile(m_root, key), "cannot be created", errno);
    Touch(EntryFile(m_root, key));
    return CachedImage(folder, image.Label(), image.Volume().serial, std::move(*inUse), unpacked);
}

namespace {

// The bytes of the files `wanted` takes, and the folders on their paths.
uint64_t WantedBytes(const std::vector<ImageEntry>& entries, const EntryFilter& wanted, std::set<std::string>& folders)
{
    uint64_t bytes = 0;
    for (const ImageEntry& entry : entries) {
        if (entry.folder || !wanted(entry))
            continue;
        bytes += entry.size;
        for (size_t slash = entry.path.find('/'); slash != std::string::npos; slash = entry.path.find('/', slash + 1))
            folders.insert(entry.path.substr(0, slash));
    }
    return bytes;
}

}

uint64_t ImageCache::Fill(DiscImage& image, const fs::path& partial, const UnpackProgress& progress, const EntryFilter& wanted)
{
    const std::vector<ImageEntry>& entries = image.Entries();
    std::set<std::string> wantedFolders;
    uint64_t total = wanted ? WantedBytes(entries, wanted, wantedFolders) : image.PlannedBytes();
    auto taken = [&](const ImageEntry& entry) {
        return !wanted || (entry.folder ? wantedFolders.count(entry.path) != 0 : wanted(entry));
    };
    uint64_t done = 0;
    auto step = [&](uint64_t bytes) {
        done += bytes;
        return !progress || progress(done, total);
    };
    if (progress && !progress(0, total))
        throw ImageError(ImageProblem::Cancelled, image.File(), "unpacking cancelled");
    std::vector<fs::path> folders;
    std::error_code error;
    for (const ImageEntry& entry : entries) {
        if (!taken(entry))
            continue;
        fs::path target = partial / fs::path(entry.path);
        if (entry.folder) {
            if (!fs::create_directory(target, error) && !fs::is_directory(target))
                FailWriting(target, "cannot be created", error.value());
            folders.push_back(target);
            continue;
        }
        // A name the disc holds twice (names differing in case only stay apart) keeps the first.
        if (fs::exists(fs::symlink_status(target, error)))
            continue;
        // The image reader names the file it could not write; the error number its failed
        // write left says why.
        errno = 0;
        try {
            if (!image.Extract(entry, target, step, [&entry](int fd) { Seal(fd, entry); }))
                throw ImageError(ImageProblem::Cancelled, image.File(), "unpacking cancelled");
        } catch (const ImageError& failure) {
            int number = errno;
            if (failure.Problem() != ImageProblem::CacheFailed || failure.Fault() != WriteFault::Unknown)
                throw;
            throw ImageError(ImageProblem::CacheFailed, failure.File(), failure.Detail(), FaultOf(number, partial));
        }
    }
    // Innermost folders first: a read-only folder takes no more changes.
    for (auto it = folders.rbegin(); it != folders.rend(); ++it)
        ::chmod(it->c_str(), 0555);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if (it->folder && taken(*it))
            SetTime(partial / fs::path(it->path), it->time);
    ::chmod(partial.c_str(), 0555);
    return total;
}

// The entry's record is written and read back before its folder appears: a folder is never
// in place without the record that lets it be listed and forgotten.
void ImageCache::Commit(DiscImage& image, const std::string& key, Partial& partial, uint64_t bytes)
{
    fs::path entry = EntryFile(m_root, key);
    fs::path source = fs::absolute(image.File());
    std::string text = EntryText(source, image.Label(), bytes);
    std::error_code error;
    auto undo = [&] { fs::remove(entry, error); };
    if (!WriteHostFileAtomically(entry, text)) {
        int number = errno;
        undo();
        FailWriting(entry, "cannot be written", number);
    }
    auto values = ReadEntryFile(entry);
    if (values["image"] != source.string() || values["label"] != image.Label() || values["bytes"] != std::to_string(bytes)) {
        undo();
        throw ImageError(ImageProblem::CacheFailed, entry, "reads back otherwise than written", FaultOfFolder(m_root));
    }
    if (::rename(partial.Folder().c_str(), (m_root / key).c_str()) != 0) {
        int number = errno;
        undo();
        FailWriting(m_root / key, "cannot be put in place", number);
    }
    partial.Renamed();
}

// A partial folder whose owner lock nobody holds is a dead unpacker's; so is one without its
// lock file, as owners make the lock first and remove it last.
void ImageCache::ClearLeftovers()
{
    std::error_code error;
    std::vector<fs::path> folders;
    for (const auto& item : fs::directory_iterator(m_root, error)) {
        std::string name = item.path().filename().string();
        if (name.rfind(PartialPrefix, 0) != 0)
            continue;
        fs::path folder = item.path();
        if (folder.extension() == ".lock")
            folder.replace_extension();
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    for (const fs::path& folder : folders) {
        if (auto stale = FileLock::Acquire(OwnerLock(folder), FileLock::Mode::Exclusive, false)) {
            RemoveTree(folder);
            fs::remove(OwnerLock(folder), error);
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
    std::error_code error;
    if (!fs::is_directory(m_root, error))
        return 0;
    FileLock cacheLock = LockCache();
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
    std::vector<CacheEntry> entries = List();
    uint64_t total = 0;
    for (const CacheEntry& entry : entries)
        total += entry.bytes;
    // A browsing entry whose image has its whole entry is no longer needed by any opening.
    std::erase_if(entries, [&](const CacheEntry& entry) {
        if (entry.key == keep || !entry.key.ends_with(BrowsingSuffix))
            return false;
        std::error_code error;
        std::string whole = entry.key.substr(0, entry.key.size() - std::strlen(BrowsingSuffix));
        if (!fs::is_directory(m_root / whole, error) || !Remove(entry.key))
            return false;
        total -= std::min(total, entry.bytes);
        return true;
    });
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
    std::string needs = "by po rozbalení zabral " + mebibytes(planned);
    if (planned > m_bound)
        throw ImageError(ImageProblem::TooLarge, image.File(), needs + ", ale mezipaměť obrazů pojme nejvýš " + mebibytes(m_bound) + " (TORVA_IMAGE_CACHE_MB)");
    if (planned > room)
        throw ImageError(ImageProblem::TooLarge, image.File(), needs + ", ale na disku s mezipamětí " + m_root.string() + " je volných jen " + mebibytes(room) + " (bez rezervy " + mebibytes(FreeSpaceMargin) + ")", WriteFault::Full);
}

}
