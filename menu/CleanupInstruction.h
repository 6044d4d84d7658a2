#pragma once

// The catalogue's clean-up language, read into steps: what one instruction of an item's
// Uninstall list would delete, remove or run, with the folder it names, before anything is done.
// Reading does no harm; CleanupPolicy decides which steps may run.

#include "platform/registry/Registry.h"

#include <string>
#include <vector>

enum class CleanupAction {
    DeleteFile,        // F forms: a failure is reported
    DeleteFileQuietly, // SD and the group file of SF
    AskRemoveTree,     // D forms: after the user's yes, the folder with its contents
    RemoveEmptyBranch, // DE, DEF: the folder and its parents while they are empty
    RemoveStartFolder, // SN: a Start-menu folder with its contents, without a question
    RunProgram,        // US and the "?S" mark: a program of the system folder
    RunUninstallEntry, // UU: the UninstallString of an Uninstall entry
    DeleteKey,         // RD
    DeleteEmptyKey,    // RE
    DeleteValue,       // RF and the two group values of SF
};

struct CleanupStep {
    CleanupAction action = CleanupAction::DeleteFile;
    // A Windows path (made absolute), a command line, a key without its root, or an Uninstall
    // entry's name.
    std::string target;
    // The folder a relative form names: the target must not leave it. Empty for absolute forms.
    std::string base;
    platform::RootKey root = platform::HKEY_CURRENT_USER;
    std::string valueName;
};

// The folders the relative forms start from, each with a trailing backslash except GameDir.
struct CleanupFolders {
    std::string WindowsDir;
    std::string SystemDir;
    std::string DesktopDir;
    std::string ProgramsDir;
    std::string ProgramFilesDir;
    std::string GameDir;
    // The user's own Programs folder where it is not the common one (a Wine prefix keeps them
    // apart); empty otherwise.
    std::string UserProgramsDir;
};

// An instruction without the blanks around it, and its letter at `i` in upper case ('\0' past
// its end).
std::string TrimmedInstruction(const std::string& text);
char InstructionLetter(const std::string& instruction, size_t i);

// The steps of one instruction (blanks around it ignored); none for an instruction the
// language does not know or one that needs the game folder when it is not known. Nothing is
// changed; the Start-menu forms look at which Programs folder holds what they name.
std::vector<CleanupStep> ReadCleanupInstruction(const std::string& instruction, const CleanupFolders& folders);

// The uninstaller command that an "S" entry of the "?" mark names (SystemDir + the rest), as a
// step, so that it is judged like US.
CleanupStep ReadUninstallerMark(const std::string& entry, const CleanupFolders& folders);

// For messages: the instruction's letters and what it names.
std::string DescribeCleanupStep(const CleanupStep& step);
