#include "platform/files/PathResolver.h"

#include "platform/files/Files.h"
#include "platform/files/NameFolding.h"
#include "platform/files/WinPath.h"
#include "platform/machine/Machine.h"
#include "platform/text/Codepage.h"

#include <algorithm>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <time.h>
#include <unordered_map>

namespace platform {

namespace fs = std::filesystem;

namespace {

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

struct DriveCache {
    fs::path dosDevices;
    timespec modified {};
    std::vector<MappedDrive> drives;
    bool valid = false;
    uint64_t generation = 0;
};

// The disc behind a drive whose root is the prefix's folder of links for its letter, as the
// marker link beside that folder names it; empty for any other drive.
fs::path DiscBehind(const fs::path& dosDevices, char letter, const fs::path& root)
{
    fs::path volume = dosDevices.parent_path() / "volumes" / std::string(1, static_cast<char>(letter | 0x20));
    std::error_code error;
    if (fs::canonical(volume, error) != root || error)
        return {};
    fs::path marker = volume;
    marker += ".disc";
    if (!fs::is_symlink(marker, error))
        return {};
    fs::path disc = fs::canonical(marker, error);
    if (error || !fs::is_directory(disc, error))
        return {};
    return disc;
}

std::vector<MappedDrive> ReadDrives(const fs::path& dosDevices)
{
    std::vector<MappedDrive> drives;
    std::error_code error;
    for (auto it = fs::directory_iterator(dosDevices, error); !error && it != fs::directory_iterator(); it.increment(error)) {
        std::string name = it->path().filename().string();
        if (name.size() != 2 || name[1] != ':')
            continue;
        char letter = FoldNameChar(name[0]);
        if (letter < 'A' || letter > 'Z')
            continue;
        fs::path target = it->path();
        std::error_code linkError;
        if (fs::is_symlink(it->symlink_status(linkError))) {
            target = fs::read_symlink(it->path(), linkError);
            if (linkError)
                continue;
            if (target.is_relative())
                target = dosDevices / target;
        }
        std::error_code canonicalError;
        fs::path root = fs::canonical(target, canonicalError);
        if (canonicalError || !fs::is_directory(root, canonicalError))
            continue;
        drives.push_back({ letter, root, DiscBehind(dosDevices, letter, root) });
    }
    std::sort(drives.begin(), drives.end(), [](const MappedDrive& a, const MappedDrive& b) { return a.letter < b.letter; });
    return drives;
}

const MappedDrive* FindDrive(const std::vector<MappedDrive>& drives, char letter)
{
    for (const MappedDrive& drive : drives) {
        if (drive.letter == letter)
            return &drive;
    }
    return nullptr;
}

bool IsWithin(const std::string& path, const std::string& root)
{
    if (path.size() < root.size() || path.compare(0, root.size(), root) != 0)
        return false;
    return path.size() == root.size() || root.back() == '/' || path[root.size()] == '/';
}

struct Listing {
    timespec modified {};
    bool settled = false;                                  // listed well after its last change
    std::unordered_map<std::string, std::string> byFolded; // folded code page name -> host name
};

constexpr size_t kMaxCachedListings = 512;
// A listing made within this many seconds of the folder's last change may miss entries that
// were added in the same clock tick, so a miss in it is checked again.
constexpr time_t kSettleSeconds = 2;

std::unordered_map<std::string, Listing>& Listings()
{
    static std::unordered_map<std::string, Listing> listings;
    return listings;
}

Listing ReadListing(const std::string& folder, const timespec& modified)
{
    Listing listing;
    listing.modified = modified;
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    listing.settled = now.tv_sec - modified.tv_sec >= kSettleSeconds;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return listing;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        // Host names the code page cannot spell fold to text holding NUL, which no Windows
        // name matches.
        std::string folded = FoldName(Utf8ToCp1250(name, '\0'));
        auto [it, inserted] = listing.byFolded.emplace(std::move(folded), std::string(name));
        if (!inserted && std::string_view(it->second) > name)
            it->second = std::string(name);
    }
    ::closedir(dir);
    return listing;
}

// The host name in `folder` that matches `name` without regard to case.
std::optional<std::string> MatchInListing(const std::string& folder, const std::string& name)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    auto& listings = Listings();
    std::string folded = FoldName(name);
    auto cached = listings.find(folder);
    if (cached != listings.end() && SameTime(cached->second.modified, info.st_mtim)) {
        auto hit = cached->second.byFolded.find(folded);
        if (hit != cached->second.byFolded.end()) {
            struct stat entryInfo {};
            if (::lstat((folder + "/" + hit->second).c_str(), &entryInfo) == 0)
                return hit->second;
        } else if (cached->second.settled) {
            return std::nullopt;
        }
    }
    if (listings.size() >= kMaxCachedListings)
        listings.clear();
    Listing& listing = listings[folder] = ReadListing(folder, info.st_mtim);
    auto hit = listing.byFolded.find(folded);
    if (hit == listing.byFolded.end())
        return std::nullopt;
    return hit->second;
}

}

namespace {

// The drive table as it is now: one look at the dosdevices folder, read again when it changed.
const DriveCache& CurrentDrives()
{
    static DriveCache cache;
    if (!HasCurrentMachine()) {
        cache.valid = false;
        return cache;
    }
    fs::path dosDevices = CurrentMachine().DosDevicesDir();
    struct stat info {};
    if (::stat(dosDevices.c_str(), &info) != 0) {
        cache.valid = false;
        return cache;
    }
    if (!cache.valid || cache.dosDevices != dosDevices || !SameTime(cache.modified, info.st_mtim)) {
        cache.drives = ReadDrives(dosDevices);
        cache.dosDevices = dosDevices;
        cache.modified = info.st_mtim;
        cache.valid = true;
        ++cache.generation;
    }
    return cache;
}

}

std::vector<MappedDrive> MappedDrives()
{
    const DriveCache& cache = CurrentDrives();
    return cache.valid ? cache.drives : std::vector<MappedDrive> {};
}

uint64_t DriveTableGeneration()
{
    const DriveCache& cache = CurrentDrives();
    return cache.valid ? cache.generation : 0;
}

bool LiesInMappedDrive(const fs::path& canonicalPath)
{
    std::string path = canonicalPath.string();
    for (const MappedDrive& drive : MappedDrives()) {
        if (IsWithin(path, drive.root.string()) || (!drive.disc.empty() && IsWithin(path, drive.disc.string())))
            return true;
    }
    return false;
}

bool IsDriveRoot(const fs::path& hostPath)
{
    struct stat info {};
    if (::lstat(hostPath.c_str(), &info) != 0 || S_ISLNK(info.st_mode))
        return false;
    std::error_code error;
    fs::path canonical = fs::canonical(hostPath, error);
    if (error)
        return false;
    for (const MappedDrive& drive : MappedDrives()) {
        if (drive.root == canonical)
            return true;
    }
    return false;
}

std::optional<fs::path> ResolveWindowsPath(std::string_view winPath, ResolveMode mode)
{
    if (!HasCurrentMachine())
        return std::nullopt;
    WinPathParts parts = SplitFullPath(GetFullPathName(winPath));
    if (parts.drive == 0)
        return std::nullopt;
    std::vector<MappedDrive> drives = MappedDrives();
    const MappedDrive* drive = FindDrive(drives, parts.drive);
    if (!drive)
        return std::nullopt;

    std::vector<std::string> names;
    for (const std::string& component : parts.components) {
        std::string name = StoredComponentName(component);
        if (name.empty())
            continue;
        if (!IsValidComponentName(name) || IsNulDevice(name))
            return std::nullopt;
        names.push_back(std::move(name));
    }

    fs::path current = drive->root;
    for (size_t i = 0; i < names.size(); ++i) {
        std::string hostName = Cp1250ToUtf8(names[i]);
        fs::path candidate = current / hostName;
        struct stat info {};
        bool found = ::lstat(candidate.c_str(), &info) == 0;
        if (!found) {
            if (auto match = MatchInListing(current.string(), names[i])) {
                candidate = current / *match;
                found = ::lstat(candidate.c_str(), &info) == 0;
            }
        }
        if (!found) {
            if (mode == ResolveMode::Existing)
                return std::nullopt;
            struct stat folderInfo {};
            if (::stat(current.c_str(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode))
                return std::nullopt;
            for (size_t j = i; j < names.size(); ++j)
                current /= Cp1250ToUtf8(names[j]);
            return current;
        }
        if (S_ISLNK(info.st_mode)) {
            std::error_code error;
            fs::path target = fs::canonical(candidate, error);
            if (error || !LiesInMappedDrive(target))
                return std::nullopt;
        }
        current = std::move(candidate);
    }
    return current;
}

void ForgetListing(const fs::path& folder)
{
    Listings().erase(folder.string());
}

}
