#include "menu/CleanupPolicy.h"

#include "platform/files/Files.h"
#include "platform/files/PathResolver.h"
#include "platform/text/Text.h"
#include "shell/PathText.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace fs = std::filesystem;

namespace {

CleanupVerdict Refused(std::string reason)
{
    return { false, std::move(reason) };
}

template <typename List>
bool Contains(const List& list, std::string_view name)
{
    return std::find(std::begin(list), std::end(list), name) != std::end(list);
}

// True when `path` is `root` or lies below it; both canonical.
bool Within(const fs::path& path, const fs::path& root)
{
    auto p = path.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++p) {
        if (p == path.end() || *p != *r)
            return false;
    }
    return true;
}

bool StrictlyWithin(const fs::path& path, const fs::path& root)
{
    return path != root && Within(path, root);
}

bool IsOrHolds(const fs::path& folder, const fs::path& other)
{
    return Within(other, folder);
}

std::vector<fs::path> ResolveAll(const std::vector<std::string>& paths)
{
    std::vector<fs::path> resolved;
    for (const std::string& path : paths) {
        if (path.empty())
            continue;
        if (auto host = ResolveCleanupPath(path))
            resolved.push_back(*host);
    }
    return resolved;
}

std::vector<std::string> KeyComponents(const std::string& key)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= key.size()) {
        size_t slash = key.find('\\', start);
        size_t end = slash == std::string::npos ? key.size() : slash;
        if (end > start)
            parts.push_back(platform::UpperCase(key.substr(start, end - start)));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return parts;
}

bool StartsWith(const std::vector<std::string>& parts, size_t from, std::initializer_list<std::string_view> prefix)
{
    if (parts.size() - from < prefix.size())
        return false;
    size_t i = from;
    for (std::string_view name : prefix) {
        if (parts[i++] != name)
            return false;
    }
    return true;
}

// Folders of the prefix that a drive may point into but that are the prefix's own: Wine's drive
// table, the menu's locks and state, the folders of labelled discs.
const std::string_view kPrefixOwnFolders[] = { "dosdevices", ".torva", "volumes" };

// Keys under Software\Microsoft in which each subkey belongs to one program.
const std::initializer_list<std::string_view> kOwnedEntryKeys[] = {
    { "WINDOWS", "CURRENTVERSION", "UNINSTALL" },
    { "WINDOWS", "CURRENTVERSION", "APP PATHS" },
    { "DIRECTPLAY", "APPLICATIONS" },
    { "DIRECTPLAY8", "APPLICATIONS" },
};

// Keys of Windows whose values programs add and remove one by one.
const std::initializer_list<std::string_view> kSharedValueKeys[] = {
    { "WINDOWS", "CURRENTVERSION", "RUN" },
    { "WINDOWS", "CURRENTVERSION", "RUNONCE" },
    { "WINDOWS", "CURRENTVERSION", "RUNSERVICES" },
    { "WINDOWS", "CURRENTVERSION", "RUNSERVICESONCE" },
    { "WINDOWS", "CURRENTVERSION", "GRPCONV", "MAPGROUPS" },
    { "WINDOWS", "CURRENTVERSION", "GRPCONV", "GROUPS" },
};

// Keys directly under Software\Classes that are Windows' own, with all they hold.
const std::string_view kWindowsClasses[] = {
    "*",
    "ALLFILESYSTEMOBJECTS",
    "DIRECTORY",
    "DRIVE",
    "FOLDER",
    "UNKNOWN",
    "SYSTEMFILEASSOCIATIONS",
    "EXEFILE",
    "COMFILE",
    "BATFILE",
    "CMDFILE",
    "LNKFILE",
    "PIFFILE",
    "TXTFILE",
    "INIFILE",
    "INFFILE",
    "REGFILE",
    "DLLFILE",
    "HTMLFILE",
    "HTTP",
    "HTTPS",
    "FTP",
    "FILE",
    "MAILTO",
    ".EXE",
    ".COM",
    ".BAT",
    ".CMD",
    ".LNK",
    ".PIF",
    ".TXT",
    ".INI",
    ".INF",
    ".REG",
    ".DLL",
    ".HTM",
    ".HTML",
    ".URL",
    ".BMP",
    ".JPG",
    ".JPEG",
    ".GIF",
    ".PNG",
    ".WAV",
    ".MID",
    ".AVI",
    ".MPG",
    ".MP3",
    ".DOC",
    ".RTF",
    ".ZIP",
    ".SCR",
    ".HLP",
    ".CHM",
    ".CPL",
    ".MSI",
    ".MSC",
    ".OCX",
    ".SYS",
    ".DRV",
    ".TTF",
    ".FON",
    ".ICO",
    ".CUR",
    ".ANI",
    ".VBS",
    ".JS",
    ".XML",
};

// Keys directly under Software\Classes whose subkeys are each one program's, named by a GUID.
const std::string_view kGuidClassTables[] = { "CLSID", "INTERFACE", "TYPELIB", "APPID" };

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", as class ids and type libraries are named.
bool IsGuid(std::string_view name)
{
    constexpr std::string_view shape = "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
    if (name.size() != shape.size())
        return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == 'X' ? !std::isxdigit(static_cast<unsigned char>(name[i])) : name[i] != shape[i])
            return false;
    }
    return true;
}

// An extension (".hra") or a programmatic id ("Vyrobce.Hra.1"): the dotted names one program
// registers. The shared keys beside them (Installer, Component Categories, the 32-bit view) have
// no dot.
bool IsExtensionOrProgrammaticId(std::string_view name)
{
    return name.find('.') != std::string_view::npos && name.size() > 1 && name.back() != '.' && name.find("..") == std::string_view::npos;
}

// A key below Software\Classes (`parts` start below it): only what one program registers there,
// its class ids, interfaces, type libraries and application ids by their GUIDs, its extensions
// and programmatic ids; in the 32-bit view alike.
CleanupVerdict JudgeClassKey(std::vector<std::string> parts)
{
    if (!parts.empty() && parts[0] == "WOW6432NODE")
        parts.erase(parts.begin());
    if (parts.empty())
        return Refused("is the table of all classes");
    if (Contains(kGuidClassTables, parts[0])) {
        if (parts.size() < 2 || !IsGuid(parts[1]))
            return Refused("is a table that all programs share");
        return {};
    }
    if (Contains(kWindowsClasses, parts[0]))
        return Refused("is one of Windows' own classes");
    if (!IsExtensionOrProgrammaticId(parts[0]))
        return Refused("is no class, extension or programmatic id of one program");
    return {};
}

// Keys directly under Software that many programs or the system share.
const std::string_view kSharedSoftwareKeys[] = { "WINE", "POLICIES", "CLIENTS", "REGISTEREDAPPLICATIONS", "ODBC" };

// The program a command line starts: up to its first program extension, else its first blank.
std::string ProgramOf(const std::string& commandLine)
{
    std::string text = shell::StripQuotes(commandLine);
    std::string upper = platform::UpperCase(text);
    size_t end = std::string::npos;
    for (const char* extension : { ".EXE", ".COM", ".BAT", ".CMD", ".PIF" }) {
        size_t at = upper.find(extension);
        if (at != std::string::npos)
            end = std::min(end, at + 4);
    }
    return text.substr(0, end == std::string::npos ? text.find(' ') : end);
}

const std::string_view kCommandInterpreters[] = { "CMD.EXE", "COMMAND.COM", "START.EXE", "REGEDIT.EXE", "REG.EXE",
    "WSCRIPT.EXE", "CSCRIPT.EXE", "POWERSHELL.EXE", "MSHTA.EXE", "CMD", "COMMAND", "REGEDIT", "REG" };

}

std::optional<fs::path> ResolveCleanupPath(const std::string& winPath, bool followLast)
{
    std::string full = platform::GetFullPathName(winPath);
    if (full.size() > 3 && full.back() == '\\')
        full.pop_back();
    auto host = platform::ResolveForCreate(full);
    if (!host)
        return std::nullopt;
    std::error_code error;
    if (followLast || !host->has_parent_path() || host->filename().empty()) {
        fs::path canonical = fs::weakly_canonical(*host, error);
        return error ? std::nullopt : std::optional(canonical);
    }
    // Deleting a file removes a link at its own name, not what the link points at.
    fs::path parent = fs::weakly_canonical(host->parent_path(), error);
    return error ? std::nullopt : std::optional(parent / host->filename());
}

CleanupPolicy::CleanupPolicy(const CleanupFacts& facts)
{
    std::error_code error;
    m_prefix = fs::weakly_canonical(facts.PrefixRoot, error);
    for (const platform::MappedDrive& drive : platform::MappedDrives()) {
        m_driveRoots.push_back(drive.root);
        if (!m_prefix.empty() && StrictlyWithin(drive.root, m_prefix)
            && !Contains(kPrefixOwnFolders, drive.root.lexically_relative(m_prefix).begin()->string()))
            m_prefixDrives.push_back(drive.root);
    }
    m_protected = ResolveAll(facts.ProtectedFolders);
    m_userFolders = ResolveAll(facts.UserFolders);
    m_openFolders = ResolveAll(facts.OpenFolders);
    for (const std::string& file : facts.KeptFiles) {
        if (auto host = ResolveCleanupPath(file, false))
            m_keptFiles.push_back(*host);
    }
    if (!facts.GameDir.empty())
        m_gameDir = ResolveCleanupPath(facts.GameDir);
    for (const fs::path& other : ResolveAll(facts.OtherGames)) {
        if (other != m_gameDir)
            m_otherGames.push_back(other);
    }
    for (const std::string& entry : facts.OtherUninstallEntries) {
        if (!entry.empty())
            m_otherEntries.push_back(platform::UpperCase(entry));
    }
    // The folder that holds the game folder holds other games too.
    if (m_gameDir && m_gameDir->has_parent_path())
        m_gameParent = m_gameDir->parent_path();
}

CleanupVerdict CleanupPolicy::Judge(const CleanupStep& step) const
{
    switch (step.action) {
    case CleanupAction::DeleteFile:
    case CleanupAction::DeleteFileQuietly:
        return JudgeFile(step.target, step.base);
    case CleanupAction::AskRemoveTree:
    case CleanupAction::RemoveStartFolder:
        return JudgeTree(step.target, step.base, false);
    case CleanupAction::RemoveEmptyBranch:
        return JudgeTree(step.target, step.base, true);
    case CleanupAction::RunProgram:
        return JudgeProgram(step.target, step.base);
    case CleanupAction::RunUninstallEntry:
        if (step.target.empty() || step.target.find('\\') != std::string::npos || step.target == "." || step.target == "..")
            return Refused("names no single Uninstall entry");
        if (Contains(m_otherEntries, platform::UpperCase(step.target)))
            return Refused("is another installed item's uninstaller");
        return {};
    case CleanupAction::DeleteKey:
    case CleanupAction::DeleteEmptyKey:
        return JudgeKey(step.root, step.target, false);
    case CleanupAction::DeleteValue:
        return JudgeKey(step.root, step.target, true);
    }
    return Refused("unknown step");
}

CleanupVerdict CleanupPolicy::JudgeFolder(const std::string& folder, bool emptyOnly) const
{
    return JudgeTree(folder, {}, emptyOnly);
}

// Inside the prefix only its drives hold what items put there; everything beside them is the
// prefix's own.
CleanupVerdict CleanupPolicy::InPrefix(const Path& host) const
{
    if (m_prefix.empty() || !StrictlyWithin(host, m_prefix))
        return Refused("lies outside the prefix");
    for (const fs::path& drive : m_prefixDrives) {
        if (StrictlyWithin(host, drive))
            return {};
    }
    return Refused("is one of the prefix's own files");
}

CleanupVerdict CleanupPolicy::InsideBase(const Path& host, const std::string& base) const
{
    if (base.empty())
        return {};
    auto root = ResolveCleanupPath(base);
    if (!root || !Within(host, *root))
        return Refused("leaves the folder it names");
    return {};
}

CleanupVerdict CleanupPolicy::OutsideUserData(const Path& host) const
{
    if (m_gameDir && Within(host, *m_gameDir))
        return {};
    for (const fs::path& open : m_openFolders) {
        if (Within(host, open))
            return {};
    }
    for (const fs::path& user : m_userFolders) {
        if (Within(host, user))
            return Refused("lies in the user's own folders");
    }
    return {};
}

CleanupVerdict CleanupPolicy::JudgeFile(const std::string& file, const std::string& base) const
{
    auto host = ResolveCleanupPath(file, false);
    if (!host)
        return Refused("is on no drive of this machine");
    if (auto verdict = InPrefix(*host); !verdict)
        return verdict;
    if (auto verdict = InsideBase(*host, base); !verdict)
        return verdict;
    if (std::find(m_keptFiles.begin(), m_keptFiles.end(), *host) != m_keptFiles.end())
        return Refused("is the menu's state file");
    for (const fs::path& other : m_otherGames) {
        if (Within(*host, other) && !(m_gameDir && Within(*host, *m_gameDir)))
            return Refused("belongs to another installed game");
    }
    return OutsideUserData(*host);
}

CleanupVerdict CleanupPolicy::JudgeTree(const std::string& folder, const std::string& base, bool emptyOnly) const
{
    auto host = ResolveCleanupPath(folder);
    if (!host)
        return Refused("is on no drive of this machine");
    for (const fs::path& root : m_driveRoots) {
        if (IsOrHolds(*host, root))
            return Refused("is or holds a drive's root");
    }
    if (auto verdict = InPrefix(*host); !verdict)
        return verdict;
    if (auto verdict = InsideBase(*host, base); !verdict)
        return verdict;
    for (const fs::path& kept : m_protected) {
        if (IsOrHolds(*host, kept))
            return Refused("is or holds a folder of the system or the user");
    }
    if (!emptyOnly) {
        if (m_gameParent && IsOrHolds(*host, *m_gameParent))
            return Refused("holds the folder of other games");
        for (const fs::path& kept : m_keptFiles) {
            if (Within(kept, *host))
                return Refused("holds the menu's state file");
        }
    }
    for (const fs::path& other : m_otherGames) {
        if (IsOrHolds(*host, other) || (Within(*host, other) && !(m_gameDir && Within(*host, *m_gameDir))))
            return Refused("is, holds or lies in another installed game's folder");
    }
    return OutsideUserData(*host);
}

CleanupVerdict CleanupPolicy::JudgeProgram(const std::string& commandLine, const std::string& base) const
{
    std::string program = ProgramOf(commandLine);
    auto host = ResolveCleanupPath(program);
    if (!host)
        return Refused("is on no drive of this machine");
    // Windows' own command interpreters would run whatever the rest of the line says.
    std::string name = platform::UpperCase(program.substr(program.find_last_of("\\:") + 1));
    if (Contains(kCommandInterpreters, name))
        return Refused("runs a command interpreter");
    return InsideBase(*host, base);
}

CleanupVerdict CleanupPolicy::JudgeKey(platform::RootKey root, const std::string& key, bool valueOnly) const
{
    std::vector<std::string> parts = KeyComponents(key);
    // HKEY_CLASSES_ROOT shows Software\Classes of both hives.
    if (root == platform::HKEY_CLASSES_ROOT)
        parts.insert(parts.begin(), { "SOFTWARE", "CLASSES" });
    if (parts.empty() || parts[0] != "SOFTWARE")
        return Refused("is a key of the system outside Software");
    if (parts.size() > 1 && parts[1] == "WOW6432NODE")
        parts.erase(parts.begin() + 1);
    if (parts.size() < 2)
        return Refused("is the top of the Software tree");
    const std::string& vendor = parts[1];
    if (Contains(kSharedSoftwareKeys, vendor))
        return Refused("is shared by the system");
    if (vendor == "MICROSOFT") {
        for (const auto& owned : kOwnedEntryKeys) {
            if (parts.size() > 2 + owned.size() && StartsWith(parts, 2, owned)) {
                if (Contains(m_otherEntries, parts[2 + owned.size()]))
                    return Refused("is another installed item's entry");
                return {};
            }
        }
        for (const auto& shared : kSharedValueKeys) {
            if (valueOnly && parts.size() == 2 + shared.size() && StartsWith(parts, 2, shared))
                return {};
        }
        return Refused("is one of Windows' own keys");
    }
    if (vendor == "CLASSES")
        return JudgeClassKey({ parts.begin() + 2, parts.end() });
    return {};
}
