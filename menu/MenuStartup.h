#pragma once

// Bringing the menu up without its window: the machine's version and folders, the disc and its
// data folder, the state file and the two settings it keeps.

#include "menu/MenuContext.h"
#include "shell/FileTree.h"
#include "shell/UserInterface.h"

#include <cstdint>
#include <string>

// What start-up decides for the menu beyond the shared context: the state file's two settings
// and whether the menu ends for want of a disc.
struct StartupOutcome {
    int32_t& enhanced;
    int32_t& slow;
    bool& terminated;
};

class MenuStartup {
public:
    // `ownPath` is the program's own Windows path, which locates the disc; `messageBoxes` (may be
    // null) shows the errors.
    MenuStartup(MenuContext& context, shell::FileTree& fileTree, std::string ownPath, shell::MessageBoxService* messageBoxes, StartupOutcome outcome);

    // The Windows version and the machine's folders, into the context and the file tree's.
    void LoadSystemInfo();
    // Finds the disc and opens the state file; false (and terminated) when the menu must end.
    bool LoadData();
    // Reads [Main] Enhanced and Slow.
    void LoadSettings();
    // All three, as the menu starts. Platform errors (a refused state-file write) are reported
    // in the error box and skip the rest, as the framework does. False when the disc's data is
    // missing or an error was shown: the window's own start-up steps then do not run either.
    bool Start();

private:
    void ShowError(const std::string& text);

    MenuContext& m_context;
    shell::FileTree& m_fileTree;
    std::string m_ownPath;
    shell::MessageBoxService* m_messageBoxes;
    StartupOutcome m_outcome;
};
