#pragma once

// Deciding for one item whether it is installed, where, and whether it runs or installs, and
// keeping the state file's records of it in step.

#include "menu/CatalogueTypes.h"
#include "menu/MenuContext.h"
#include "shell/FileTree.h"
#include "shell/ShellLnk.h"
#include "shell/UserInterface.h"

#include <string>

class StatusCheck {
public:
    // `messageBoxes` (may be null) hears of shortcuts naming folders no state file can hold.
    StatusCheck(MenuContext& context, shell::FileTree& fileTree, shell::MessageBoxService* messageBoxes);

    // The status check of one item, in place.
    void CheckDemo(TDemos& item);
    // The folder the state files record for an item, with the older copies as fallbacks.
    std::string RecordedGameDir(const TDemos& item);
    // Whether the item's game is in its folder; for a list of versions, the entry found.
    static bool TestGame(const TDemos& item, std::string& gameEntry);
    // The user's Programs folder, read each time it is needed: Wine moves it when it first sets
    // a prefix up.
    std::string UserProgramsDir() const;
    // The uninstall command an item's setup registered under its RegUninstall name.
    static std::string UninstallStringOf(const std::string& regUninstall);

private:
    void WriteFoundState(const TDemos& item, const std::string& gameDir, const std::string& fields);
    void DeleteState(const TDemos& item);
    std::string ShortcutFolder(const std::string& shortcutPath, bool workingDir);
    // `shortcutPath` tells which shortcut was read.
    std::string StartMenuShortcutFolder(const std::string& shortcut, std::string& shortcutPath);
    void ShowError(const std::string& text);

    MenuContext& m_context;
    shell::FileTree& m_fileTree;
    shell::MessageBoxService* m_messageBoxes;
    TQXShellLink m_shellLink { nullptr };
};
