#pragma once

// The launchers and menu files Wine's menu builder writes on the user's desktop for what a
// setup installs, when the menu lets it (TORVA_WINE_MENUS=1): launchers below
// $XDG_DATA_HOME/applications/wine, menu folders' files ($XDG_DATA_HOME/desktop-directories/
// wine-*) and menus below $XDG_CONFIG_HOME/menus. An installation records those that appeared
// while its setup ran, and uninstalling the item removes exactly those.
//
// The record is a text file in the prefix, a line per file: the owner (an item's own key), a
// tab, the host path of a file or of a folder it made. Lines that do not name one below those
// folders are ignored, and a recorded folder goes only when it is empty.

#include <filesystem>
#include <set>
#include <string>

namespace platform {

class WineDesktopEntries {
public:
    explicit WineDesktopEntries(std::filesystem::path recordFile);
    // The record of a prefix, in its root.
    static WineDesktopEntries OfPrefix(const std::filesystem::path& prefixRoot);

    // Every file and folder below the folders now.
    static std::set<std::filesystem::path> Snapshot();

    // Records for `owner` the files and folders present now that `before` lacked; how many.
    size_t RecordNew(const std::string& owner, const std::set<std::filesystem::path>& before);
    // Removes the files recorded for `owner`, then its recorded folders that are left empty, and
    // the records; how many files went.
    size_t RemoveRecorded(const std::string& owner);

private:
    std::filesystem::path m_recordFile;
};

}
