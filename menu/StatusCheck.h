#pragma once

// Deciding for one item whether it is installed, where, and whether it runs or installs, and
// keeping the state file's records of it in step.

#include "menu/CatalogueTypes.h"
#include "menu/MenuContext.h"
#include "menu/StateRecords.h"
#include "shell/FileTree.h"
#include "shell/ShellLnk.h"
#include "platform/dialogs/Dialogs.h"

#include <string>

// What a status check finds of an item. The check never changes the item; its caller applies
// the status.
struct ItemStatus {
    std::string GameDir;
    std::string UnInstallName;
    uint8_t CanRun = 0;
    uint8_t Installed = 0;
    uint8_t NeedsInstall = 0;

    // The status an item holds now, which a check starts from: a method that finds no folder
    // keeps the one found before.
    static ItemStatus Of(const TDemos& item);
    void ApplyTo(TDemos& item) const;
    bool operator==(const ItemStatus&) const = default;
};

class StatusCheck {
public:
    // `dialogs` (may be null) hears of shortcuts naming folders no state file can hold.
    StatusCheck(MenuContext& context, shell::FileTree& fileTree, platform::Dialogs* dialogs);

    // The status of one item, with its records written or deleted to match. Checking again
    // with the status applied finds the same and leaves the state file as it is.
    ItemStatus Check(const TDemos& item);
    // Checks an item and applies what was found.
    void CheckDemo(TDemos& item) { Check(item).ApplyTo(item); }
    // The folder the state files record for an item, with the older copies as fallbacks.
    std::string RecordedGameDir(const TDemos& item);
    // Whether the item's game is in its folder; for a list of versions, the entry found.
    static bool TestGame(const TDemos& item, std::string& gameEntry);
    static bool TestGame(const std::string& gameDir, const std::string& gameName, std::string& gameEntry);
    // The user's Programs folder, read each time it is needed: Wine moves it when it first sets
    // a prefix up.
    std::string UserProgramsDir() const;
    // The uninstall command an item's setup registered under its RegUninstall name.
    static std::string UninstallStringOf(const std::string& regUninstall);

private:
    using Step = void (StatusCheck::*)(const TDemos& item, ItemStatus& found);
    // Whether an install method goes on to the item's folder detection.
    enum class Detects : uint8_t { Never,
        Always,
        ProgramFolderOnly };
    struct MethodRule {
        InstallMethod method;
        Step find;
        Detects detects;
        bool fromDisc; // runs from the disc: neither tested nor recorded
    };
    struct DetectionRule {
        FolderDetection detection;
        Step find;
    };
    static const MethodRule kMethods[];
    static const DetectionRule kDetections[];

    void RunsFromDisc(const TDemos& item, ItemStatus& found);
    void RecordedFolder(const TDemos& item, ItemStatus& found);
    void OwnSetupPolled(const TDemos& item, ItemStatus& found);
    void OwnSetupDetected(const TDemos& item, ItemStatus& found);
    void SierraSetup(const TDemos& item, ItemStatus& found);
    void OwnSetupProgramFolder(const TDemos& item, ItemStatus& found);
    void AlwaysFromDisc(const TDemos& item, ItemStatus& found);
    void UninstallerFolder(const TDemos& item, ItemStatus& found);
    void RegistryValue(const TDemos& item, ItemStatus& found);
    void Shortcut(const TDemos& item, ItemStatus& found);
    void IniFileValue(const TDemos& item, ItemStatus& found);
    void UninstallerProgramFolder(const TDemos& item, ItemStatus& found);
    void RecordTest(const TDemos& item, ItemStatus& found);

    StateRecords Records();
    std::string ShortcutFolder(const std::string& shortcutPath, bool workingDir);
    // `shortcutPath` tells which shortcut was read.
    std::string StartMenuShortcutFolder(const std::string& shortcut, std::string& shortcutPath);
    void ShowError(const std::string& text);

    MenuContext& m_context;
    shell::FileTree& m_fileTree;
    platform::Dialogs* m_dialogs;
    TQXShellLink m_shellLink { nullptr };
};
