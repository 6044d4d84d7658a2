#include "platform/wine/WineDesktopEntries.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

using namespace platform;
namespace fs = std::filesystem;

class WineDesktopEntriesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all(base);
        fs::create_directories(base / "prefix");
        ::setenv("XDG_DATA_HOME", (base / "data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (base / "config").c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("XDG_DATA_HOME");
        ::unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(base);
    }
    fs::path Make(const fs::path& relative)
    {
        fs::path file = base / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "[Desktop Entry]\n";
        return file;
    }

    fs::path base = fs::path(TORVA_TEST_OUTPUT_DIR) / ("desktop-entries-" + std::to_string(::getpid()));
    WineDesktopEntries entries = WineDesktopEntries::OfPrefix(base / "prefix");
};

// What the item's setup made goes with the item; what was there before, what another item made
// or still uses, and what is not Wine's stays.
TEST_F(WineDesktopEntriesTest, UninstallingRemovesOnlyWhatTheSetupMade)
{
    fs::path older = Make("data/applications/wine/Programs/Old/Old.desktop");
    Make("data/desktop-directories/other.directory");
    auto before = WineDesktopEntries::Snapshot();
    fs::path launcher = Make("data/applications/wine/Programs/Flotila/Flotila.desktop");
    fs::path folder = Make("data/desktop-directories/wine-Programs-Flotila.directory");
    fs::path shared = Make("data/desktop-directories/wine-Programs.directory");
    fs::path menu = Make("config/menus/applications-merged/wine-Programs-Flotila-Flotila.menu");
    fs::path notWines = Make("data/desktop-directories/kde-games.directory");
    EXPECT_EQ(entries.RecordNew("Flotila", before), 6u); // four files, the two folders they made
    before = WineDesktopEntries::Snapshot();
    fs::path others = Make("data/applications/wine/Programs/Pevnost/Pevnost.desktop");
    fs::path othersMenu = base / "config/menus/applications-merged/wine-Programs-Pevnost-Pevnost.menu";
    std::ofstream(othersMenu) << "<Menu><Directory>wine-Programs.directory</Directory></Menu>\n";
    entries.RecordNew("Pevnost", before);

    EXPECT_EQ(entries.RemoveRecorded("Flotila"), 3u);
    for (const fs::path& gone : { launcher, folder, menu, launcher.parent_path() })
        EXPECT_FALSE(fs::exists(gone)) << gone;
    for (const fs::path& kept : { older, notWines, others, shared, menu.parent_path() })
        EXPECT_TRUE(fs::exists(kept)) << kept;
    EXPECT_EQ(entries.RemoveRecorded("Flotila"), 0u);
    EXPECT_EQ(entries.RemoveRecorded("Pevnost"), 2u);
}

// The record is outside input: a line naming anything but a file below Wine's folders is left.
TEST_F(WineDesktopEntriesTest, RecordsOutsideWinesFoldersAreIgnored)
{
    fs::path victim = Make("home/notes.txt");
    fs::path applications = Make("data/applications/mine.desktop");
    std::ofstream(base / "prefix" / "torva-desktop-entries")
        << "Hra\t" << victim.string() << "\n"
        << "Hra\t" << (base / "data/applications/wine/../../../home/notes.txt").string() << "\n"
        << "Hra\t" << applications.string() << "\n"
        << "Hra\t" << (base / "data/applications/wine").string() << "\n"
        << "Hra\trelative/wine.desktop\n\tno owner\nno tab\n";
    EXPECT_EQ(entries.RemoveRecorded("Hra"), 0u);
    EXPECT_TRUE(fs::exists(victim));
    EXPECT_TRUE(fs::exists(applications));
}

}
