#pragma once

// Folder and file operations that the status check, launcher, installer and uninstaller share.
// They work on Windows paths through the platform's file services, never raise errors to the
// caller, and only RemoveTree speaks to the user.

#include "platform/dialogs/Dialogs.h"
#include "shell/UserInterface.h"

#include <cstdint>
#include <functional>
#include <string>

namespace platform {
class FolderWalk;
}

namespace shell {

// What the operations need of the form: its environment fields and the user interface.
struct FileTreeContext {
    std::string WinVersion;  // "Windows NT" makes every folder exist for DirExists
    std::string WindowsDir;  // with or without trailing backslash
    std::string ProgramsDir; // with trailing backslash
    // Further folders that RemoveTree never empties when set (the machine's own program-files
    // and system folders, which need not be C:\Program Files and C:\WINDOWS\SYSTEM).
    std::string ProgramFilesDir;
    std::string SystemDir;
    int32_t Language = 1; // picks the string-table block of the error text
    // The form's string-table lookup with "%1" replaced (identifier 100 * Language + n).
    std::function<std::string(uint32_t id, const std::string& argument)> LoadSpecial;
    platform::Dialogs* dialogs = nullptr;
    CursorService* cursor = nullptr;
};

// Asked about each folder above the one named before an emptied one is removed: false keeps it
// and everything above it. The caller's rule of what may go (the clean-up's, say).
using ParentGuard = std::function<bool(const std::string& folder)>;

class FileTree {
public:
    explicit FileTree(FileTreeContext context);

    const FileTreeContext& Context() const { return m_context; }
    FileTreeContext& Context() { return m_context; }

    bool DirExists(const std::string& path) const;
    // Deletes a file, clearing its read-only attribute when the first attempt fails.
    bool RemoveFile(const std::string& path) const;
    // Deletes the folder with its contents, then its empty parents that `mayRemoveParent`
    // allows. Drive roots, C:\Program Files, the Windows folder (and the context's
    // program-files, system and Start-menu programs folders) are never emptied, nor removed by
    // the climb when they are empty.
    void RemoveTree(const std::string& folder, const ParentGuard& mayRemoveParent = {}) const;
    // Removes the folder and each parent in turn while they are empty, up to the first guarded
    // folder, the first parent `mayRemoveParent` refuses, or the drive root.
    void DeleteEmptyBranch(const std::string& folder, const ParentGuard& mayRemoveParent = {}) const;
    void RemoveStartFolder(const std::string& name) const;
    // Bytes in all files of the tree; 64-bit, so trees of 2 GB and more are measured right.
    int64_t SizeofTree(const std::string& folder) const;
    // The first folder (depth first, with trailing backslash) holding `fileName`, or "".
    std::string SearchTree(const std::string& root, const std::string& fileName) const;
    // The working folder for a command line: the folder of its program when that exists.
    std::string ProgramDirOf(const std::string& commandLine) const;

    // The guard of RemoveTree: true for paths it must never empty.
    bool IsProtectedFolder(const std::string& folder) const;

private:
    void RemoveTreeContents(const std::string& folder) const;
    void ReportUndeletable(const std::string& path) const;
    void Search(const platform::FolderWalk& walk, const std::string& folder, const std::string& fileName,
        std::string& result) const;

    FileTreeContext m_context;
};

}
