#pragma once

// Which clean-up steps may run. Catalogues were written for other computers and some for no
// computer at all, so every step an uninstallation takes passes here first: it may remove only
// what an item can have put there.
//
// Paths are judged where they really lead: made absolute (".." folded), their drive letter
// taken through the prefix's dosdevices, their components matched without regard to case and
// every symbolic link followed. Files and folders may go only inside the prefix's own drives
// (never through a drive mapped to a host folder elsewhere), never the prefix's own files, the
// state file, a protected folder or anything that holds one, the user's documents, or another
// installed game's folder; a relative form may not leave the folder it names. Registry steps
// may touch only keys under Software that one program owns.

#include "menu/CleanupInstruction.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

struct CleanupVerdict {
    bool allowed = true;
    std::string reason; // why a step was refused

    explicit operator bool() const { return allowed; }
};

// What the prefix says about itself, as Windows paths (the policy resolves them).
struct CleanupFacts {
    std::filesystem::path PrefixRoot;
    // Never removed or emptied, nor any folder that holds one: the Windows, system and
    // program-files folders, every shell folder, the folder that holds the users' profiles.
    std::vector<std::string> ProtectedFolders;
    // The user's own trees (the profiles, the documents): nothing in them is deleted except in
    // one of the OpenFolders below or in the item's own game folder.
    std::vector<std::string> UserFolders;
    // Where programs keep their own files inside the user's trees: desktop, Start menu,
    // application data.
    std::vector<std::string> OpenFolders;
    // Files no step may delete: the state file and its older copies.
    std::vector<std::string> KeptFiles;
    // The item's own game folder, and those of the other installed items.
    std::string GameDir;
    std::vector<std::string> OtherGames;
    // The Uninstall entries that other installed items registered under.
    std::vector<std::string> OtherUninstallEntries;
};

class CleanupPolicy {
public:
    explicit CleanupPolicy(const CleanupFacts& facts);

    CleanupVerdict Judge(const CleanupStep& step) const;
    // A folder that would be removed with its contents (or, when `emptyOnly`, only if empty)
    // outside any instruction: the game folder's question, the leftovers, the climb over
    // empty parents.
    CleanupVerdict JudgeFolder(const std::string& folder, bool emptyOnly = false) const;

private:
    using Path = std::filesystem::path;

    CleanupVerdict JudgeFile(const std::string& file, const std::string& base) const;
    CleanupVerdict JudgeTree(const std::string& folder, const std::string& base, bool emptyOnly) const;
    CleanupVerdict JudgeProgram(const std::string& commandLine, const std::string& base) const;
    CleanupVerdict JudgeKey(platform::RootKey root, const std::string& key, bool valueOnly) const;
    CleanupVerdict InPrefix(const Path& host) const;
    CleanupVerdict InsideBase(const Path& host, const std::string& base) const;
    CleanupVerdict OutsideUserData(const Path& host) const;

    Path m_prefix;
    std::vector<Path> m_driveRoots;
    std::vector<Path> m_prefixDrives; // the drives inside the prefix, where items install
    std::vector<Path> m_protected;
    std::vector<Path> m_userFolders;
    std::vector<Path> m_openFolders;
    std::vector<Path> m_keptFiles;
    std::optional<Path> m_gameDir;
    std::optional<Path> m_gameParent;
    std::vector<Path> m_otherGames;
    std::vector<std::string> m_otherEntries; // upper case
};

// Where a Windows path leads on the host, every link followed (for a file, every link up to its
// own name, which is what deleting it removes); empty when no mapped drive holds it.
std::optional<std::filesystem::path> ResolveCleanupPath(const std::string& winPath, bool followLast = true);
