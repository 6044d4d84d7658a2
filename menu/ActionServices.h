#pragma once

// What the launcher, the installer and the uninstaller need of the menu that owns them: its
// file operations, busy cursor and texts, the machine's folders and the state file as the
// start-up found them, the selection, and the status check and views that follow what an
// action changed. The start-up sets the folders after the parts are made, so they are asked
// for each time an action runs.

#include "menu/CatalogueTypes.h"
#include "platform/ini/IniFile.h"
#include "shell/FileTree.h"
#include "shell/UserInterface.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

// The machine's folders, each with a trailing backslash, and the drive of the disc.
struct ActionFolders {
    std::string WindowsDir;
    std::string SystemDir;
    std::string ProgramFilesDir;
    std::string DesktopDir;
    std::string CommonDesktopDir;
    std::string ProgramsDir;
    std::string DiscDrive;
};

struct ActionServices {
    shell::FileTree& files;
    shell::CursorService* cursor = nullptr;
    // Where refused clean-up steps are noted; nowhere when null.
    std::ostream* debugOutput = nullptr;
    std::function<ActionFolders()> folders;
    // The user's own Programs folder where it is not the common one; empty otherwise.
    std::function<std::string()> userProgramsDir;
    // The state file (null before the start-up opened it) and this disc's section of it.
    std::function<TIniFile*()> stateFile;
    std::function<std::string()> stateSection;
    // The catalogue's Debug switch: failed registry steps are told only then.
    std::function<bool()> debugMode;
    // Text n of the string table in the menu's language, with its argument.
    std::function<std::string(int32_t n, const std::string& argument)> loadSpecial;
    std::function<void(const std::string& text)> showError;
    // The page shown and its selected entry, and entry n of a page's item list (or null).
    int32_t& category;
    int32_t& itemIndex;
    std::function<TDemos*(int32_t category, int32_t n)> itemOf;
    // The status check of one item, in place, with its records in the state file.
    std::function<void(TDemos& item)> checkItem;
    // The item list and the page follow what changed (nothing without the window).
    std::function<void()> refreshViews;
};
