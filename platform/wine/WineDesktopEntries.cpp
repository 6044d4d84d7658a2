#include "platform/wine/WineDesktopEntries.h"

#include "platform/atomicfile/AtomicFile.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace platform {

namespace fs = std::filesystem;

namespace {

// $NAME when it is an absolute path, else the home folder's `fallback`.
fs::path XdgFolder(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    if (value && *value == '/')
        return value;
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/") / fallback;
}

struct Root {
    fs::path folder;
    std::string namePrefix; // files directly in the folder count only with this prefix
};

enum RootIndex { kLaunchers,
    kDesktopDirectories,
    kMenus };

std::vector<Root> Roots()
{
    fs::path data = XdgFolder("XDG_DATA_HOME", ".local/share");
    return { { data / "applications" / "wine", "" }, { data / "desktop-directories", "wine-" },
        { XdgFolder("XDG_CONFIG_HOME", ".config") / "menus", "" } };
}

bool Counts(const Root& root, const fs::path& file)
{
    return file.parent_path() != root.folder || file.filename().string().starts_with(root.namePrefix);
}

// The root a recorded path lies strictly below, by its words: no "..", nothing outside.
const Root* RootOf(const std::vector<Root>& roots, const fs::path& file)
{
    if (!file.is_absolute() || file.lexically_normal() != file)
        return nullptr;
    for (const Root& root : roots) {
        fs::path relative = file.lexically_relative(root.folder);
        if (!relative.empty() && *relative.begin() != ".." && relative != "." && Counts(root, file))
            return &root;
    }
    return nullptr;
}

// Every menu file's text, one after the other.
std::string MenuTexts(const fs::path& folder)
{
    std::string texts;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error)) {
            std::ifstream in(it->path(), std::ios::binary);
            texts.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            texts += '\n';
        }
    }
    return texts;
}

struct Record {
    std::string owner;
    fs::path file;
};

std::vector<Record> ParseRecords(const std::string& text)
{
    std::vector<Record> records;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        size_t tab = line.find('\t');
        if (tab == std::string::npos || tab == 0 || tab + 1 == line.size())
            continue;
        records.push_back({ line.substr(0, tab), fs::path(line.substr(tab + 1)) });
    }
    return records;
}

bool Printable(const std::string& text)
{
    for (char c : text) {
        if (c == '\n' || c == '\t' || c == '\r')
            return false;
    }
    return !text.empty();
}

}

WineDesktopEntries::WineDesktopEntries(fs::path recordFile)
    : m_recordFile(std::move(recordFile))
{
}

WineDesktopEntries WineDesktopEntries::OfPrefix(const fs::path& prefixRoot)
{
    return WineDesktopEntries(prefixRoot / "torva-desktop-entries");
}

std::set<fs::path> WineDesktopEntries::Snapshot()
{
    std::set<fs::path> files;
    for (const Root& root : Roots()) {
        std::error_code error;
        for (fs::recursive_directory_iterator it(root.folder, error), end; !error && it != end; it.increment(error)) {
            if (Counts(root, it->path()))
                files.insert(it->path());
        }
    }
    return files;
}

size_t WineDesktopEntries::RecordNew(const std::string& owner, const std::set<fs::path>& before)
{
    std::string lines;
    size_t count = 0;
    for (const fs::path& file : Snapshot()) {
        if (before.count(file) || !Printable(file.string()) || !Printable(owner))
            continue;
        lines += owner + "\t" + file.string() + "\n";
        ++count;
    }
    if (count == 0)
        return 0;
    EditHostFileAtomically(m_recordFile, [&](const std::optional<std::string>& current) -> std::optional<std::string> {
        std::string text = current ? *current : std::string();
        if (!text.empty() && text.back() != '\n')
            text += '\n';
        return text + lines;
    });
    return count;
}

size_t WineDesktopEntries::RemoveRecorded(const std::string& owner)
{
    const std::vector<Root> roots = Roots();
    size_t removed = 0;
    EditHostFileAtomically(m_recordFile, [&](const std::optional<std::string>& current) -> std::optional<std::string> {
        if (!current)
            return std::nullopt;
        std::string kept;
        std::vector<fs::path> folders;
        std::vector<fs::path> menuFolders; // files that name a folder of the desktop's menu
        for (const Record& record : ParseRecords(*current)) {
            if (record.owner != owner) {
                kept += record.owner + "\t" + record.file.string() + "\n";
                continue;
            }
            std::error_code error;
            const Root* root = RootOf(roots, record.file);
            if (!root)
                continue;
            if (fs::is_directory(fs::symlink_status(record.file, error)))
                folders.push_back(record.file);
            else if (root->folder == roots[kDesktopDirectories].folder)
                menuFolders.push_back(record.file);
            else if (fs::remove(record.file, error))
                ++removed;
        }
        // A menu folder ("Programs") the item's setup made first may hold another item's entry
        // by now: it stays while a menu still names it.
        const std::string menus = MenuTexts(roots[kMenus].folder);
        for (const fs::path& file : menuFolders) {
            std::error_code error;
            if (menus.find(file.filename().string()) == std::string::npos && fs::remove(file, error))
                ++removed;
        }
        // Deepest first, and only when nothing else has come to live in them.
        std::sort(folders.begin(), folders.end(), [](const fs::path& a, const fs::path& b) { return a.string().size() > b.string().size(); });
        for (const fs::path& folder : folders) {
            std::error_code error;
            if (fs::is_empty(folder, error) && !error)
                fs::remove(folder, error);
        }
        return kept;
    });
    return removed;
}

}
