#pragma once

// Installing an item: its own setup from the disc, then finding out where the item went. A
// setup the menu does not wait for is polled until its item runs.

#include "menu/ActionServices.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>

class Launcher;

namespace platform {
class TTimer;
}

// What only the installation asks of the menu's window.
struct InstallerWindow {
    // The timer whose ticks run PollSetup (Timer1 of the layout).
    std::function<platform::TTimer&()> pollTimer;
    // Brings the menu's window back in front after a setup that was waited for.
    std::function<void()> bringToFront;
    // Selects the entry being installed again: after a waited setup on its page, after a polled
    // one when its page is on show.
    std::function<void(MenuSelection)> bringBack;
    // The first command-line argument was "T": installations show their setup command first.
    bool showSetupCommand = false;
};

class Installer {
public:
    Installer(ActionServices services, Launcher& launcher, InstallerWindow window);

    // Installs `item`, the entry `from` names.
    void InstallProc(TDemos& item, MenuSelection from);
    // One tick of the poll timer while `shownPage` is on show: the item being installed is
    // checked, and once it runs the poll ends.
    void PollSetup(CategoryCode shownPage);
    // The folder where the disk search of an item found by searching (DirDetect 8) finds its
    // file: the folder its SearchFile names first, then the fixed and removable drives C: to K:.
    std::string SearchDisks(const TDemos& item);

    // The category that the setup poll watches.
    CategoryCode InstallCategory() const { return m_installCategory; }

private:
    // Once the item runs: the desktop entries Wine made while its setup ran are its own.
    void RecordDesktopEntries(const TDemos& item);

    ActionServices m_services;
    Launcher& m_launcher;
    InstallerWindow m_window;
    CategoryCode m_installCategory = CategoryCode::None;
    uint8_t m_installItem = 0;
    // Wine's desktop entries before the setup started, when Wine may make them.
    std::optional<std::set<std::filesystem::path>> m_desktopBefore;
};
