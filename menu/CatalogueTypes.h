#pragma once

// The catalogue held in memory: plain records in fixed-capacity arrays numbered from 1, as the
// main form keeps them. Texts are code page 1250 byte strings with value semantics.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

// The page a category code opens. The page table and the form keep the code of a page; the
// numbers are the ones the menu's scripts and reports show.
enum class CategoryCode : uint8_t {
    None = 0, // no page is open yet
    Demos = 1,
    Extra = 2,
    Shareware = 3,
    Drivers = 4,
    Updates = 5,
    Readers = 6,
    Shots = 7,
    Movies = 8,
    Fulls = 10,
    Extra2 = 11, // the second demo list, whose items install and run as demos do
    Installed = 20,
    Settings = 21,
};

// How an item gets onto the computer: what starts its setup, how the status check finds it and
// how it is removed. The catalogue stores the number; a number not listed here is kept as read
// and takes every switch's fallback.
enum class InstallMethod : int32_t {
    RunsFromDisc = 0,     // an optional test file marks it installed
    MenuAfterInstall = 1, // installed by the menu itself; found in the recorded folder
    MenuUnpacked = 2,
    MenuForcedFolder = 3,
    OwnSetupPolled = 4,        // registered setup that runs on its own while the menu polls it
    OwnSetupDetected = 5,      // registered setup, waited for; its folder found by FolderDetection
    SierraSetup = 6,           // records its folder in sierra.ini and uninstalls through SETUP.EXE /U
    OwnSetupProgramFolder = 7, // registered setup; the folder is the uninstall command's
    WaitedSetup = 8,           // 8 and 9: waited for, no detection of their own
    WaitedSetupToo = 9,
    DriverSetup = 10,      // waited for; an optional test file names the program
    MenuFolderOnly = 11,   // only its folder is offered for deletion on uninstall
    FirstNotRunnable = 12, // from here on the main button runs nothing
    AlwaysFromDisc = 20,   // never installed, never recorded
};

// Where the folder of an installed item is found, after what its install method found.
enum class FolderDetection : int32_t {
    ByInstallMethod = 0,
    UninstallerFolder = 1,
    MachineRegistryValue = 2,
    StartMenuShortcut = 3,
    UserRegistryValue = 4,
    RecordedFolder = 5,
    IniFileValue = 6,
    DesktopShortcut = 7,
    DiskSearch = 8,               // searched for by the install; then recorded
    UninstallerProgramFolder = 9, // also taken by an OwnSetupPolled item
    IniFileNamed = 10,            // reads the INI parameter but looks nowhere
};

// What an item's Flags show in the detail view. The units digit is what the item offers and a
// tens digit of 1 adds network play, for the units up to Czech only: 14 shows nothing.
enum class ItemOffer : int32_t {
    Nothing = 0,
    ThreeD = 1,
    ThreeDToo = 2, // catalogues write 1 and 2 for 3D cards alike
    Czech = 3,
    Unplayable = 4,
};
inline constexpr int32_t NetworkPlayFlag = 10;

struct TDemos {
    std::string Name;
    std::string FullName;
    std::string Title;
    std::string Firm;
    std::string Describe0;
    std::string Describe;
    std::string Describe4;
    std::string TechInfo;
    std::string UnInstallName;
    std::string GameDir;
    std::string GameName;
    std::string Date;
    std::string RegUninstall;
    std::string RegKey;
    std::string RegName;
    std::string Uninstall;
    std::string Picture;
    std::string InstallDir;
    std::string InstallName;
    std::string SetupName;
    std::string ReadmeName;
    std::string Param;
    InstallMethod InstallType = InstallMethod::RunsFromDisc;
    FolderDetection DirDetect = FolderDetection::ByInstallMethod;
    int32_t Flags = 0;
    uint8_t NeedsInstall = 0;
    uint8_t CanRun = 0;
    uint8_t Installed = 0;
    std::string Web;
    uint8_t CD = 0;
    // The Start-menu shortcut starts in a subfolder of the game's folder.
    bool ShortcutInSubfolder = false;
};

struct TUpdate {
    std::string Name;
    std::string Subtitle;
    std::string SetupName;
    std::string ReadmeName;
    uint8_t NoRun = 0;
    std::string Picture;
};

struct TShot {
    std::string FullName;
    std::string Name;
    std::string Firm;
    std::string Date;
    std::string Describe0;
    std::string Describe;
    std::string Describe4;
    std::string Picture;
};

struct TMovies {
    std::string Name;
    std::string Firm;
    std::string TechInfo;
    std::string FullName;
    std::string Describe0;
    std::string Describe;
    std::string InstallDir;
    std::string Date;
    std::string GameName;
    std::string InstallName;
    uint8_t InstallType = 0;
    std::string Picture;
};

struct TPage {
    std::string Caption;
    uint8_t Code = 0;

    // In the page table the byte is the page's category code.
    CategoryCode Category() const { return static_cast<CategoryCode>(Code); }
};

// An array indexed from 1 to Capacity. An index outside that range is a program error and
// throws rather than touching memory beyond the array.
template <typename T, int Capacity>
class OneBasedArray {
public:
    static constexpr int capacity = Capacity;

    T& operator[](int index)
    {
        Check(index);
        return m_items[index - 1];
    }
    const T& operator[](int index) const
    {
        Check(index);
        return m_items[index - 1];
    }
    void Clear() { m_items.fill(T {}); }

private:
    static void Check(int index)
    {
        if (index < 1 || index > Capacity)
            throw std::out_of_range("catalogue index " + std::to_string(index) + " outside 1.." + std::to_string(Capacity));
    }
    std::array<T, Capacity> m_items {};
};

// A list numbered from 1 with a fixed capacity that holds its own count. Entries above the count
// keep what they held: a reload overwrites in place.
template <typename T, int Capacity>
class BoundedList {
public:
    static constexpr int capacity = Capacity;

    T& operator[](int index) { return m_items[index]; }
    const T& operator[](int index) const { return m_items[index]; }
    int32_t Count() const { return m_count; }
    // The count, cut to what the list holds.
    void SetCount(int32_t count) { m_count = count < 0 ? 0 : count > Capacity ? Capacity
                                                                              : count; }
    // Entry n when it lies within the count; else nullptr.
    T* Find(int32_t n) { return n >= 1 && n <= m_count ? &m_items[n] : nullptr; }

private:
    OneBasedArray<T, Capacity> m_items;
    int32_t m_count = 0;
};
