#include "shell/FileTree.h"

#include "shell/BusyCursor.h"
#include "shell/PathText.h"

#include "platform/files/Files.h"
#include "platform/files/NameFolding.h"
#include "platform/text/Text.h"

#include <functional>
#include <vector>

namespace shell {

namespace {

constexpr uint32_t CannotDeleteMessage = 27;
constexpr const char* ProgramFilesGuard = "C:\\PROGRAM FILES\\";
constexpr const char* AllFiles = "*.*";

// One FindFirst/FindNext walk; the search is closed however the walk ends.
class FolderSearch {
public:
    FolderSearch(const std::string& pattern, uint32_t attributes)
        : m_found(platform::FindFirst(pattern, attributes, m_rec) == 0)
    {
    }
    ~FolderSearch() { platform::FindClose(m_rec); }
    FolderSearch(const FolderSearch&) = delete;
    FolderSearch& operator=(const FolderSearch&) = delete;

    bool Found() const { return m_found; }
    const platform::TSearchRec& Entry() const { return m_rec; }
    void Next() { m_found = platform::FindNext(m_rec) == 0; }

private:
    platform::TSearchRec m_rec;
    bool m_found;
};

bool IsDots(const std::string& name)
{
    return name == "." || name == "..";
}

bool IsFolder(const platform::TSearchRec& rec)
{
    return (rec.Attr & platform::FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Where a folder really is, as a Windows path: differs from the path through which it was
// reached when a symbolic link lies on the way.
std::string CanonicalFolder(const std::string& folder)
{
    auto host = platform::ResolveExisting(folder);
    if (!host)
        return {};
    return platform::WindowsPathOf(*host).value_or(std::string {});
}

// Windows 9x knows no links, but the host does: a linked folder may lead back up the tree (and
// loop) or into another tree, so the walks do not enter it.
// Gives the subfolder's canonical path, or "" when it is linked or gone.
std::string OwnSubfolder(const std::string& canonicalParent, const std::string& folder, const std::string& name)
{
    if (canonicalParent.empty())
        return {};
    std::string canonical = CanonicalFolder(folder + name);
    std::string expected = canonicalParent.back() == '\\' ? canonicalParent + name : canonicalParent + "\\" + name;
    return !canonical.empty() && platform::EqualsName(canonical, expected) ? canonical : std::string {};
}

// Calls `visit` with each subfolder name that a search for folders returns; hidden and system
// folders are not among them, nor linked ones.
void ForEachSubfolder(const std::string& folder, const std::function<bool(const std::string&)>& visit)
{
    std::string canonicalParent = CanonicalFolder(folder);
    for (FolderSearch search(folder + AllFiles, platform::faDirectory); search.Found(); search.Next()) {
        const platform::TSearchRec& rec = search.Entry();
        if (!IsFolder(rec) || IsDots(rec.Name) || OwnSubfolder(canonicalParent, folder, rec.Name).empty())
            continue;
        if (!visit(rec.Name))
            return;
    }
}

template <typename Visit>
void ForEachFile(const std::string& folder, Visit visit)
{
    constexpr uint32_t attributes = platform::faReadOnly | platform::faHidden | platform::faSysFile;
    for (FolderSearch search(folder + AllFiles, attributes); search.Found(); search.Next()) {
        const platform::TSearchRec& rec = search.Entry();
        if (!IsFolder(rec))
            visit(rec);
    }
}

// A bare file name, which a folder listing can answer for; anything with a folder part or a
// wildcard goes through the file system's own lookup.
bool IsPlainName(const std::string& name)
{
    return !name.empty() && name.find_first_of("\\/:*?") == std::string::npos && name.back() != ' '
        && name.back() != '.';
}

std::string WithoutTrailingBackslash(std::string path)
{
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

// The folder as the file system names it, so that "C:\Games\..\Windows" or a doubled
// backslash cannot slip past the guards.
std::string FullPath(const std::string& folder)
{
    std::string full = platform::GetFullPathName(folder);
    return full.empty() ? folder : full;
}

}

FileTree::FileTree(FileTreeContext context)
    : m_context(std::move(context))
{
}

bool FileTree::DirExists(const std::string& path) const
{
    if (m_context.WinVersion == "Windows NT")
        return true;
    std::string folder = WithoutTrailingBackslash(path);
    if (folder.size() < 4)
        return false;
    return platform::FileExists(folder + "\\nul");
}

bool FileTree::RemoveFile(const std::string& path) const
{
    if (platform::DeleteFile(path))
        return true;
    platform::SetFileAttributes(path, platform::FILE_ATTRIBUTE_ARCHIVE);
    return platform::DeleteFile(path);
}

bool FileTree::IsProtectedFolder(const std::string& folder) const
{
    std::string upper = platform::UpperCase(PostFixDir(FullPath(folder)));
    if (upper.size() <= 3)
        return true;
    if (upper == ProgramFilesGuard)
        return true;
    for (const std::string* guarded : { &m_context.WindowsDir, &m_context.ProgramFilesDir, &m_context.SystemDir, &m_context.ProgramsDir }) {
        if (!guarded->empty() && upper == platform::UpperCase(PostFixDir(FullPath(*guarded))))
            return true;
    }
    return false;
}

void FileTree::ReportUndeletable(const std::string& path) const
{
    if (!m_context.dialogs)
        return;
    uint32_t id = static_cast<uint32_t>(100 * m_context.Language) + CannotDeleteMessage;
    std::string text = m_context.LoadSpecial ? m_context.LoadSpecial(id, path) : std::string {};
    // Without a string table the user still learns which file stayed.
    m_context.dialogs->ShowError(text.empty() ? "Can't delete " + path : text);
}

void FileTree::RemoveTreeContents(const std::string& path) const
{
    std::string folder = PostFixDir(path);
    if (IsProtectedFolder(folder))
        return;
    ForEachFile(folder, [&](const platform::TSearchRec& rec) {
        std::string file = folder + rec.Name;
        if (!RemoveFile(file))
            ReportUndeletable(file);
    });
    ForEachSubfolder(folder, [&](const std::string& name) {
        RemoveTreeContents(folder + name);
        return true;
    });
    platform::RemoveDirectory(WithoutTrailingBackslash(folder));
}

void FileTree::RemoveTree(const std::string& folder, const ParentGuard& mayRemoveParent) const
{
    BusyCursor busy(m_context.cursor);
    std::string full = FullPath(folder);
    // A folder reached through a link is another folder's content: emptying it would empty
    // that one (the Windows folder, say), so only a folder that is where it is named goes.
    std::string real = CanonicalFolder(full);
    if (!real.empty() && !platform::EqualsName(PostFixDir(real), PostFixDir(full)))
        return;
    RemoveTreeContents(full);
    DeleteEmptyBranch(full, mayRemoveParent);
}

void FileTree::DeleteEmptyBranch(const std::string& folder, const ParentGuard& mayRemoveParent) const
{
    const std::string named = PostFixDir(FullPath(folder));
    std::string path = named;
    // The guarded folders stay even when empty; so does everything above them.
    while (path.size() > 3 && !IsProtectedFolder(path)) {
        path = PostFixDir(path);
        if (mayRemoveParent && path != named && !mayRemoveParent(WithoutTrailingBackslash(path)))
            return;
        std::string marker = path + "MsCreate.Dir";
        if (platform::FileExists(marker)) {
            platform::SetFileAttributes(marker, platform::FILE_ATTRIBUTE_ARCHIVE);
            platform::DeleteFile(marker);
        }
        platform::RemoveDirectory(WithoutTrailingBackslash(path));
        path = GetParentDir(path);
    }
}

void FileTree::RemoveStartFolder(const std::string& name) const
{
    if (name.empty() || name == " ")
        return;
    RemoveTree(m_context.ProgramsDir + name);
}

int64_t FileTree::SizeofTree(const std::string& path) const
{
    std::string folder = PostFixDir(path);
    int64_t total = 0;
    ForEachFile(folder, [&](const platform::TSearchRec& rec) { total += static_cast<int64_t>(rec.Size); });
    ForEachSubfolder(folder, [&](const std::string& name) {
        total += SizeofTree(folder + name);
        return true;
    });
    return total;
}

void FileTree::Search(const platform::FolderWalk& walk, const std::string& folder, const std::string& fileName,
    std::string& result) const
{
    if (IsPlainName(fileName)) {
        // The listing answers whether the file is here without resolving folder + name again.
        for (const platform::WalkEntry& entry : walk.Entries()) {
            if (!entry.IsFolder && platform::EqualsName(entry.Name, fileName)) {
                result = folder;
                return;
            }
        }
    } else if (platform::FileExists(folder + fileName)) {
        result = folder;
        return;
    }
    for (const platform::WalkEntry& entry : walk.Entries()) {
        auto subfolder = walk.Enter(entry);
        if (!subfolder)
            continue;
        Search(*subfolder, folder + entry.Name + "\\", fileName, result);
        if (!result.empty())
            return;
    }
}

std::string FileTree::SearchTree(const std::string& root, const std::string& fileName) const
{
    std::string result;
    if (auto walk = platform::FolderWalk::Open(root))
        Search(*walk, PostFixDir(root), fileName, result);
    return result;
}

std::string FileTree::ProgramDirOf(const std::string& commandLine) const
{
    std::string text = StripQuotes(commandLine);
    std::string upper = platform::UpperCase(text);
    std::string result;
    bool anyProgram = false;
    for (const char* extension : { ".EXE", ".BAT", ".COM" }) {
        size_t at = upper.find(extension);
        if (at == std::string::npos)
            continue;
        anyProgram = true;
        std::string program = text.substr(0, at + 5);
        // The platform ignores a trailing blank in a file name.
        std::string asFile = program.back() == ' ' ? program.substr(0, program.size() - 1) : program;
        if (platform::FileExists(asFile))
            result = ExtractFilePath(program);
    }
    if (!anyProgram)
        result = text;
    return result.empty() ? "C:\\" : result;
}

}
