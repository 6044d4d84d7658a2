#include "platform/files/Files.h"

#include "platform/atomicfile/AtomicFile.h"
#include "platform/files/NameFolding.h"
#include "platform/files/PathResolver.h"
#include "platform/files/WinPath.h"
#include "platform/text/Codepage.h"
#include "platform/text/Text.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <cerrno>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace fs = std::filesystem;

struct FindState {
    std::vector<TSearchRec> matches;
    size_t next = 0;
};

namespace {

// The folder part and the last component of a Windows path as given.
std::pair<std::string, std::string> SplitLast(std::string_view winPath)
{
    std::string full = GetFullPathName(winPath);
    size_t slash = full.find_last_of('\\');
    if (slash == std::string::npos)
        return { full, {} };
    return { full.substr(0, slash + 1), full.substr(slash + 1) };
}

bool EndsInNulDevice(std::string_view winPath)
{
    auto [folder, last] = SplitLast(winPath);
    return !last.empty() && IsNulDevice(last);
}

std::optional<struct stat> StatFollowing(const fs::path& host)
{
    struct stat info {};
    if (::stat(host.c_str(), &info) != 0)
        return std::nullopt;
    return info;
}

bool IsSymbolicLink(const fs::path& host)
{
    struct stat info {};
    return ::lstat(host.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// Hidden and system flags have no host meaning; they live in the extended attribute where Wine
// keeps them, as "0x" and hexadecimal digits.
constexpr const char* kDosAttributeName = "user.DOSATTRIB";
constexpr uint32_t kStoredAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
constexpr size_t kMaxDosAttributeText = 32;

uint32_t StoredAttributes(const fs::path& host)
{
    char buffer[kMaxDosAttributeText];
    ssize_t got = ::getxattr(host.c_str(), kDosAttributeName, buffer, sizeof buffer);
    if (got <= 0)
        return 0;
    std::string_view text(buffer, static_cast<size_t>(got));
    while (!text.empty() && text.back() == '\0')
        text.remove_suffix(1);
    if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return 0;
    auto value = ParseNumber(text);
    return value ? static_cast<uint32_t>(*value) & kStoredAttributes : 0;
}

bool StoreAttributes(const fs::path& host, uint32_t attributes)
{
    uint32_t stored = attributes & kStoredAttributes;
    if (stored == 0) {
        // Nothing to clear where nothing can be stored.
        return ::removexattr(host.c_str(), kDosAttributeName) == 0 || errno == ENODATA || errno == ENOTSUP;
    }
    char text[kMaxDosAttributeText];
    int length = std::snprintf(text, sizeof text, "0x%x", stored);
    return ::setxattr(host.c_str(), kDosAttributeName, text, static_cast<size_t>(length), 0) == 0;
}

uint32_t AttributesOf(const struct stat& info, const fs::path& host, std::string_view hostName)
{
    uint32_t attributes = StoredAttributes(host);
    if (S_ISDIR(info.st_mode)) {
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    } else {
        attributes |= FILE_ATTRIBUTE_ARCHIVE;
        if ((info.st_mode & S_IWUSR) == 0)
            attributes |= FILE_ATTRIBUTE_READONLY;
    }
    if (hostName.size() > 1 && hostName[0] == '.' && hostName != "..")
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    return attributes;
}

// Whether a change of the folder that holds `host` succeeded; when it did, the folder's cached
// listing no longer holds.
bool ChangedParent(bool succeeded, const fs::path& host)
{
    if (succeeded)
        ForgetListing(host.parent_path());
    return succeeded;
}

std::optional<TSearchRec> SearchEntry(const fs::path& folder, std::string_view hostName)
{
    fs::path host = folder / hostName;
    struct stat linkInfo {};
    if (::lstat(host.c_str(), &linkInfo) != 0)
        return std::nullopt;
    if (S_ISLNK(linkInfo.st_mode)) {
        std::error_code error;
        fs::path target = fs::canonical(host, error);
        if (error || !LiesInMappedDrive(target))
            return std::nullopt;
    }
    auto info = StatFollowing(host);
    if (!info)
        return std::nullopt;
    TSearchRec rec;
    rec.Name = Utf8ToCp1250(hostName);
    rec.Attr = AttributesOf(*info, host, hostName);
    rec.Size = S_ISDIR(info->st_mode) ? 0 : static_cast<uint64_t>(info->st_size);
    rec.Time = info->st_mtim.tv_sec;
    return rec;
}

void FillFromNext(TSearchRec& rec)
{
    FindState& state = *rec.state;
    const TSearchRec& found = state.matches[state.next++];
    rec.Name = found.Name;
    rec.Size = found.Size;
    rec.Attr = found.Attr;
    rec.Time = found.Time;
}

bool MaskMatches(std::string_view name, std::string_view mask)
{
    // Iterative glob with one backtracking point for the last "*".
    size_t n = 0, m = 0, starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || FoldNameChar(mask[m]) == FoldNameChar(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

}

std::optional<fs::path> ResolveExisting(std::string_view winPath)
{
    return ResolveWindowsPath(winPath, ResolveMode::Existing);
}

std::optional<fs::path> ResolveForCreate(std::string_view winPath)
{
    return ResolveWindowsPath(winPath, ResolveMode::ForCreate);
}

std::optional<std::string> WindowsPathOf(const fs::path& hostPath)
{
    std::error_code error;
    fs::path canonical = fs::weakly_canonical(fs::absolute(hostPath, error), error);
    if (error)
        return std::nullopt;
    for (const MappedDrive& drive : MappedDrives()) {
        fs::path relative = canonical.lexically_relative(drive.root);
        if (relative.empty() || *relative.begin() == "..")
            continue;
        std::string winPath = std::string(1, drive.letter) + ":\\";
        bool first = true;
        for (const fs::path& part : relative) {
            if (part == ".")
                continue;
            if (!first)
                winPath += '\\';
            winPath += Utf8ToCp1250(part.string());
            first = false;
        }
        return winPath;
    }
    return std::nullopt;
}

bool FileExists(std::string_view winPath)
{
    if (EndsInNulDevice(winPath))
        return DirectoryExists(SplitLast(winPath).first);
    auto host = ResolveExisting(winPath);
    if (!host)
        return false;
    auto info = StatFollowing(*host);
    return info && !S_ISDIR(info->st_mode);
}

bool DirectoryExists(std::string_view winPath)
{
    auto host = ResolveExisting(winPath);
    if (!host)
        return false;
    auto info = StatFollowing(*host);
    return info && S_ISDIR(info->st_mode);
}

uint32_t GetFileAttributes(std::string_view winPath)
{
    if (EndsInNulDevice(winPath))
        return DirectoryExists(SplitLast(winPath).first) ? FILE_ATTRIBUTE_ARCHIVE : INVALID_FILE_ATTRIBUTES;
    auto host = ResolveExisting(winPath);
    if (!host)
        return INVALID_FILE_ATTRIBUTES;
    auto info = StatFollowing(*host);
    if (!info)
        return INVALID_FILE_ATTRIBUTES;
    if (IsDriveRoot(*host))
        return FILE_ATTRIBUTE_DIRECTORY;
    return AttributesOf(*info, *host, host->filename().string());
}

bool SetFileAttributes(std::string_view winPath, uint32_t attributes)
{
    auto host = ResolveExisting(winPath);
    if (!host)
        return false;
    // A link's own entry has no attributes to change, and changing its target's would reach
    // a file that the link's folder does not hold.
    if (IsSymbolicLink(*host))
        return false;
    auto info = StatFollowing(*host);
    if (!info)
        return false;
    if (!StoreAttributes(*host, attributes))
        return false;
    // A folder's read-only flag means nothing to Windows programs, while its host write bit
    // would stop its files from being deleted: folders keep their mode.
    if (S_ISDIR(info->st_mode))
        return true;
    mode_t mode = info->st_mode & 07777;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    return ::chmod(host->c_str(), mode) == 0;
}

std::optional<uint64_t> GetFileSize(std::string_view winPath)
{
    auto host = ResolveExisting(winPath);
    if (!host)
        return std::nullopt;
    auto info = StatFollowing(*host);
    if (!info || S_ISDIR(info->st_mode))
        return std::nullopt;
    return static_cast<uint64_t>(info->st_size);
}

bool DeleteFile(std::string_view winPath)
{
    auto host = ResolveExisting(winPath);
    if (!host)
        return false;
    auto info = StatFollowing(*host);
    // A link to a file goes as the link alone, whatever its target's read-only flag says.
    if (!info || S_ISDIR(info->st_mode) || ((info->st_mode & S_IWUSR) == 0 && !IsSymbolicLink(*host)))
        return false;
    return ChangedParent(::unlink(host->c_str()) == 0, *host);
}

bool RemoveDirectory(std::string_view winPath)
{
    auto host = ResolveExisting(winPath);
    if (!host || IsDriveRoot(*host))
        return false;
    return ChangedParent(::rmdir(host->c_str()) == 0, *host);
}

bool CreateDirectory(std::string_view winPath)
{
    if (EndsInNulDevice(winPath) || ResolveExisting(winPath))
        return false;
    auto host = ResolveForCreate(winPath);
    if (!host)
        return false;
    return ChangedParent(::mkdir(host->c_str(), 0755) == 0, *host);
}

bool ForceDirectories(std::string_view winPath)
{
    std::string full = GetFullPathName(winPath);
    WinPathParts parts = SplitFullPath(full);
    if (parts.drive == 0)
        return false;
    std::string level = std::string(1, parts.drive) + ":";
    for (const std::string& component : parts.components) {
        level += "\\" + component;
        if (!DirectoryExists(level) && !CreateDirectory(level))
            return false;
    }
    return DirectoryExists(level + "\\");
}

std::optional<std::string> ReadWholeFile(std::string_view winPath)
{
    auto host = ResolveExisting(winPath);
    if (!host)
        return std::nullopt;
    return ReadHostFile(*host);
}

bool WriteWholeFile(std::string_view winPath, std::string_view content)
{
    if (EndsInNulDevice(winPath))
        return false;
    auto host = ResolveForCreate(winPath);
    if (!host)
        return false;
    auto info = StatFollowing(*host);
    if (info && S_ISDIR(info->st_mode))
        return false;
    return ChangedParent(WriteHostFileAtomically(*host, content), *host);
}

bool MatchesMask(std::string_view name, std::string_view mask)
{
    if (mask == "*.*" || mask == "*")
        return true;
    if (MaskMatches(name, mask))
        return true;
    // "name.*" also matches a name without an extension.
    if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" && name.find('.') == std::string_view::npos)
        return MaskMatches(name, mask.substr(0, mask.size() - 2));
    return false;
}

int FindFirst(std::string_view pattern, uint32_t attributes, TSearchRec& rec)
{
    FindClose(rec);
    auto [folder, mask] = SplitLast(pattern);
    if (mask.empty())
        return 1;
    auto host = ResolveExisting(folder);
    if (!host)
        return 1;
    auto folderInfo = StatFollowing(*host);
    if (!folderInfo || !S_ISDIR(folderInfo->st_mode))
        return 1;

    const uint32_t excluded = ~attributes & (faHidden | faSysFile | faVolumeID | faDirectory);
    auto state = std::make_shared<FindState>();
    DIR* dir = ::opendir(host->c_str());
    if (!dir)
        return 1;
    std::vector<std::string> hostNames;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            hostNames.emplace_back(name);
    }
    ::closedir(dir);
    std::sort(hostNames.begin(), hostNames.end());
    for (const std::string& hostName : hostNames) {
        auto found = SearchEntry(*host, hostName);
        if (!found || (found->Attr & excluded) != 0 || !MatchesMask(found->Name, mask))
            continue;
        state->matches.push_back(std::move(*found));
    }
    if (state->matches.empty())
        return 1;
    rec.state = std::move(state);
    FillFromNext(rec);
    return 0;
}

int FindNext(TSearchRec& rec)
{
    if (!rec.state || rec.state->next >= rec.state->matches.size())
        return 1;
    FillFromNext(rec);
    return 0;
}

void FindClose(TSearchRec& rec)
{
    rec.state.reset();
}

namespace {

enum class WalkKind { Skip,
    File,
    Folder };

WalkKind KindOfLinked(const fs::path& host)
{
    std::error_code error;
    fs::path target = fs::canonical(host, error);
    if (error || !LiesInMappedDrive(target))
        return WalkKind::Skip;
    return fs::is_directory(target, error) ? WalkKind::Skip : WalkKind::File;
}

WalkKind KindOfFolder(const fs::path& host, std::string_view hostName)
{
    bool dotName = hostName.size() > 1 && hostName[0] == '.';
    return dotName || StoredAttributes(host) != 0 ? WalkKind::Skip : WalkKind::Folder;
}

WalkKind KindOf(const fs::path& folder, const std::string& hostName, unsigned char type)
{
    if (type == DT_UNKNOWN) {
        struct stat info {};
        if (::lstat((folder / hostName).c_str(), &info) != 0)
            return WalkKind::Skip;
        type = S_ISLNK(info.st_mode) ? DT_LNK : S_ISDIR(info.st_mode) ? DT_DIR
                                                                      : DT_REG;
    }
    if (type == DT_LNK)
        return KindOfLinked(folder / hostName);
    if (type == DT_DIR)
        return KindOfFolder(folder / hostName, hostName);
    return WalkKind::File;
}

}

FolderWalk::FolderWalk(fs::path host)
    : m_host(std::move(host))
{
}

std::optional<FolderWalk> FolderWalk::Open(std::string_view winPath)
{
    auto host = ResolveExisting(winPath);
    if (!host)
        return std::nullopt;
    FolderWalk walk(std::move(*host));
    if (!walk.List())
        return std::nullopt;
    return walk;
}

std::optional<FolderWalk> FolderWalk::Enter(const WalkEntry& entry) const
{
    if (!entry.IsFolder)
        return std::nullopt;
    FolderWalk walk(m_host / entry.HostName);
    if (!walk.List())
        return std::nullopt;
    return walk;
}

bool FolderWalk::List()
{
    DIR* dir = ::opendir(m_host.c_str());
    if (!dir)
        return false;
    std::vector<std::pair<std::string, unsigned char>> names;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            names.emplace_back(std::string(name), entry->d_type);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    m_entries.reserve(names.size());
    for (auto& [hostName, type] : names) {
        WalkKind kind = KindOf(m_host, hostName, type);
        if (kind == WalkKind::Skip)
            continue;
        WalkEntry entry;
        entry.Name = Utf8ToCp1250(hostName);
        entry.IsFolder = kind == WalkKind::Folder;
        entry.HostName = std::move(hostName);
        m_entries.push_back(std::move(entry));
    }
    return true;
}

}
