#pragma once

// Removing an installed item: its uninstaller, then the catalogue's clean-up instructions and
// the question about what is left of the game folder.

#include "menu/ActionServices.h"
#include "menu/CleanupInterpreter.h"

#include <functional>
#include <string>

class Launcher;

// What only the uninstallation asks of the menu's window.
struct UninstallerViews {
    // The installed page, rebuilt from the state files.
    std::function<void()> showInstalledPage;
    // The window drawn again once an item is gone.
    std::function<void()> repaint;
};

class Uninstaller {
public:
    Uninstaller(ActionServices services, Launcher& launcher, UninstallerViews views);

    // Removes `item`, shown on `page` (the installed page rebuilds itself afterwards).
    void UninstallProc(TDemos& item, CategoryCode page);
    // The clean-up as it runs for this item (or for none): its policy knows the machine's
    // folders and the games the state file records as they are now.
    CleanupInterpreter Interpreter(const TDemos* item) const;
    // What the clean-up policy needs to know of this machine, for one item (or none).
    CleanupFacts CleanupFactsFor(const TDemos* item) const;

private:
    CleanupFolders CleanupFoldersFor(const TDemos& item) const;
    std::string UninstallerCommand(TDemos& item, const CleanupInterpreter& cleanup);
    // After a removal from the installed page: every item is checked again and the page rebuilt.
    void ApplyDelete();

    ActionServices m_services;
    Launcher& m_launcher;
    UninstallerViews m_views;
};
