#pragma once

// Bringing the menu up without its window: the machine's version and folders, the disc and its
// data folder, the state file and the two settings it keeps.

#include "menu/MenuContext.h"
#include "shell/FileTree.h"
#include "platform/dialogs/Dialogs.h"

#include <cstdint>
#include <optional>
#include <string>

// The state file's two settings.
struct StoredSettings {
    int32_t enhanced = 1;
    int32_t slow = 0;
};

// What start-up decides for the menu beyond the shared context.
struct StartupOutcome {
    // Whether the window's own start-up steps run: false when the disc's data is missing or an
    // error was shown.
    bool started = false;
    // The menu ends for want of a disc.
    bool terminated = false;
    // Read only once the disc is found.
    std::optional<StoredSettings> settings;
};

class MenuStartup {
public:
    // `ownPath` is the program's own Windows path, which locates the disc; `dialogs` (may be
    // null) shows the errors.
    MenuStartup(MenuContext& context, shell::FileTree& fileTree, std::string ownPath, platform::Dialogs* dialogs);

    // The Windows version and the machine's folders, into the context and the file tree's.
    void LoadSystemInfo();
    // Finds the disc and opens the state file; false when the menu must end.
    bool LoadData();
    // Reads [Main] Enhanced and Slow.
    StoredSettings LoadSettings();
    // All three, as the menu starts. Platform errors (a refused state-file write) are reported
    // in the error box and skip the rest, as the framework does.
    StartupOutcome Start();

private:
    void ShowError(const std::string& text);

    MenuContext& m_context;
    shell::FileTree& m_fileTree;
    std::string m_ownPath;
    platform::Dialogs* m_dialogs;
};
