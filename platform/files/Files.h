#pragma once

// Files and folders of the machine, addressed by Windows paths (code page 1250, backslashes,
// drive letters) as the Win32 calls they stand in for. Nothing here reaches a host file outside
// the drives mapped in the prefix's dosdevices folder: such a path does not exist, and it is
// never written or deleted.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Win32 attribute bits as GetFileAttributesA reports them.
inline constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr uint32_t FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr uint32_t FILE_ATTRIBUTE_SYSTEM = 0x04;
inline constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// The framework's search attributes for FindFirst.
inline constexpr uint32_t faReadOnly = 0x01;
inline constexpr uint32_t faHidden = 0x02;
inline constexpr uint32_t faSysFile = 0x04;
inline constexpr uint32_t faVolumeID = 0x08;
inline constexpr uint32_t faDirectory = 0x10;
inline constexpr uint32_t faArchive = 0x20;
inline constexpr uint32_t faAnyFile = 0x3F;

// The Windows folder of every prefix.
inline constexpr std::string_view kWindowsDirectory = "C:\\WINDOWS";

// --- Windows paths, lexically ---------------------------------------------------------------

// GetFullPathNameA: makes the path absolute against the current directory ("\x" on the
// current drive, "D:x" on drive D's current directory), turns "/" into "\", folds "." and ".."
// (never above the drive root) and collapses doubled backslashes. A trailing backslash stays.
// UNC paths stay UNC. An empty path gives an empty result.
std::string GetFullPathName(std::string_view path);

// The process's current directory, "C:\" at start; always absolute with a trailing backslash
// only for a drive root. SetCurrentDirectory fails (false) unless the folder exists.
std::string GetCurrentDirectory();
bool SetCurrentDirectory(std::string_view path);

// --- Resolution to the host -----------------------------------------------------------------

// The host path of an existing file or folder, every component matched without regard to case.
// Empty for a missing path, an unmapped drive, a UNC path, or one that ends up outside every
// mapped drive (also through symbolic links).
std::optional<std::filesystem::path> ResolveExisting(std::string_view winPath);

// Where a file or folder that may not exist yet would live: the existing part matched as above,
// the rest appended as given. Empty when the existing part escapes the drives or is not a folder.
std::optional<std::filesystem::path> ResolveForCreate(std::string_view winPath);

// The Windows path of a host path that lies inside a mapped drive (the lowest letter wins when
// drives overlap), or empty.
std::optional<std::string> WindowsPathOf(const std::filesystem::path& hostPath);

// --- Files and folders ----------------------------------------------------------------------

// FileExists: a file (not a folder). On 9x a folder answers to "<folder>\nul", so "X\nul"
// exists exactly when X is an existing folder.
bool FileExists(std::string_view winPath);
bool DirectoryExists(std::string_view winPath);

// Attribute bits (READONLY from the host write bit, HIDDEN for names starting with ".",
// HIDDEN and SYSTEM as stored in the "user.DOSATTRIB" extended attribute, DIRECTORY, ARCHIVE
// for files), or INVALID_FILE_ATTRIBUTES.
uint32_t GetFileAttributes(std::string_view winPath);
// READONLY clears or sets the owner's write bit of a file (folders keep their mode); HIDDEN and
// SYSTEM go to the extended attribute. False when the path does not exist or the flags
// cannot be stored.
bool SetFileAttributes(std::string_view winPath, uint32_t attributes);

// Size of a file in bytes, or empty.
std::optional<uint64_t> GetFileSize(std::string_view winPath);

// DeleteFile fails for folders and read-only files, as on Windows.
bool DeleteFile(std::string_view winPath);
// RemoveDirectory fails unless the folder is empty.
bool RemoveDirectory(std::string_view winPath);
// CreateDirectory fails when the parent is missing or the path exists; ForceDirectories
// creates every missing level and succeeds when the folder exists afterwards.
bool CreateDirectory(std::string_view winPath);
bool ForceDirectories(std::string_view winPath);

// The whole content of a file, or empty when it cannot be read.
std::optional<std::string> ReadWholeFile(std::string_view winPath);
// Replaces (or creates) a file atomically; the folder must exist.
bool WriteWholeFile(std::string_view winPath, std::string_view content);

// --- Searching a folder ---------------------------------------------------------------------

struct TSearchRec {
    std::string Name;  // the entry's name in code page 1250
    uint64_t Size = 0; // 64-bit: files over 4 GiB report their true size
    uint32_t Attr = 0; // FILE_ATTRIBUTE_* bits
    int64_t Time = 0;  // last write, seconds since 1970
    std::shared_ptr<struct FindState> state;
};

// FindFirst over "<folder>\<mask>", where the mask may hold "*" and "?" ("*.*" matches every
// name, also one without a dot). Entries that are hidden, system or folders are returned only
// when `attributes` includes that bit; read-only and archive entries always are. "." and ".."
// are never returned. Returns 0 and fills `rec` on a match, non-zero otherwise. FindClose
// releases the search (also safe after a failed FindFirst).
int FindFirst(std::string_view pattern, uint32_t attributes, TSearchRec& rec);
int FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);

// True when `name` matches the mask under the rules above, without regard to case.
bool MatchesMask(std::string_view name, std::string_view mask);

// --- Walking a tree -------------------------------------------------------------------------

// One folder of a walk over a whole tree (the disk search visits every folder of a drive).
// The folder is resolved once and its subfolders are entered by the names its listing gave,
// so that no path is matched from the drive root again, and the listing takes each entry's
// kind from the folder itself instead of asking the file system about every entry.
struct WalkEntry {
    std::string Name; // code page 1250
    bool IsFolder = false;
    std::string HostName; // as the host spells it
};

class FolderWalk {
public:
    // The folder at a Windows path; empty when it is no folder of the mapped drives.
    static std::optional<FolderWalk> Open(std::string_view winPath);
    // A subfolder from Entries(); empty when it has gone meanwhile.
    std::optional<FolderWalk> Enter(const WalkEntry& entry) const;

    // In FindFirst's order: every file (hidden and system ones too, links to files inside the
    // drives) and the subfolders a search for folders returns, which leaves out hidden and
    // system folders; linked folders are left out too, as the tree walks never enter them.
    const std::vector<WalkEntry>& Entries() const { return m_entries; }

private:
    explicit FolderWalk(std::filesystem::path host);
    bool List();

    std::filesystem::path m_host;
    std::vector<WalkEntry> m_entries;
};

}
