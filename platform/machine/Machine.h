#pragma once

// The computer the menu sees: a folder laid out as a Wine prefix (drive_c, dosdevices,
// system.reg, user.reg). Platform services that take Windows paths or registry keys work on the
// current machine, as the Win32 calls they stand in for work on the running system.
//
// Drive letters are the links in dosdevices/ ("c:" -> "../drive_c", others absolute); a drive's
// type is the value named after its letter under HKLM\Software\Wine\Drives ("cdrom", "floppy",
// "network", "ramdisk", "hd"), fixed when missing. The Windows version is HKCU\Software\Wine
// "Version".

#include "platform/hive/RegistryStore.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// GetDriveTypeA results.
inline constexpr uint32_t DRIVE_UNKNOWN = 0;
inline constexpr uint32_t DRIVE_NO_ROOT_DIR = 1;
inline constexpr uint32_t DRIVE_REMOVABLE = 2;
inline constexpr uint32_t DRIVE_FIXED = 3;
inline constexpr uint32_t DRIVE_REMOTE = 4;
inline constexpr uint32_t DRIVE_CDROM = 5;
inline constexpr uint32_t DRIVE_RAMDISK = 6;

// GetVersionExA platform identifiers.
inline constexpr uint32_t VER_PLATFORM_WIN32s = 0;
inline constexpr uint32_t VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr uint32_t VER_PLATFORM_WIN32_NT = 2;

struct MachineSetup {
    // As Wine names versions: "win31", "win95", "win98", "winme", "nt40", "win2k", "winxp",
    // "win7", "win10". Empty leaves the value unset (read as NT).
    std::string version;
    bool win64 = false;
};

struct DriveInfo {
    char letter = 0; // upper case
    std::filesystem::path target;
    uint32_t type = DRIVE_UNKNOWN;
};

struct OsVersionInfo {
    uint32_t majorVersion = 0;
    uint32_t minorVersion = 0;
    uint32_t buildNumber = 0;
    uint32_t platformId = VER_PLATFORM_WIN32_NT;
};

class Machine {
public:
    // Uses the prefix as it is; see OpenOrCreate for a new one.
    explicit Machine(std::filesystem::path prefixRoot);

    // $TORVA_PREFIX, else $XDG_DATA_HOME/torva/prefix, else ~/.local/share/torva/prefix.
    static std::filesystem::path DefaultPrefixRoot();
    // The prefix at `prefixRoot`, created first when it has no system.reg. Throws
    // std::runtime_error when it cannot be created.
    static std::shared_ptr<Machine> OpenOrCreate(const std::filesystem::path& prefixRoot, const MachineSetup& setup = {});
    // The prefix named by a --prefix option, else the default one; created when missing.
    static std::shared_ptr<Machine> OpenOrCreateNamedOrDefault(const std::optional<std::filesystem::path>& prefixRoot);
    // As OpenOrCreateNamedOrDefault; a new prefix is 32-bit where the chosen Wine runs 32-bit
    // prefixes (or no Wine is there), else 64-bit, which a line on `debug` says.
    static std::shared_ptr<Machine> OpenOrCreateForWine(const std::optional<std::filesystem::path>& prefixRoot, std::ostream& debug);
    // Lays out a new prefix: folders, drive C:, the hives with the shell folders. Existing
    // folders and values are kept.
    void CreatePrefix(const MachineSetup& setup);

    const std::filesystem::path& PrefixRoot() const { return m_prefixRoot; }
    std::filesystem::path DriveCDir() const { return m_prefixRoot / "drive_c"; }
    std::filesystem::path DosDevicesDir() const { return m_prefixRoot / "dosdevices"; }
    std::filesystem::path SystemRegFile() const { return m_prefixRoot / "system.reg"; }
    std::filesystem::path UserRegFile() const { return m_prefixRoot / "user.reg"; }

    RegistryStore& RegistryHives() { return m_registry; }
    // Replaces the host's wineserver probe, e.g. by a fake in tests.
    void SetWineServer(std::shared_ptr<WineServer> server) { m_registry.SetWineServer(std::move(server)); }

    std::string VersionName();
    OsVersionInfo Version();
    uint32_t PlatformId() { return Version().platformId; }
    // "C:\WINDOWS" and "C:\WINDOWS\SYSTEM32" ("C:\WINDOWS\SYSTEM" on a 9x or 3.1 profile).
    std::string WindowsDirectory() const { return "C:\\WINDOWS"; }
    std::string SystemDirectory();

    std::vector<DriveInfo> Drives();
    std::optional<DriveInfo> Drive(char letter);
    uint32_t DriveType(char letter);
    // The first letter from D: with no link in dosdevices/; 0 when all are taken.
    char FirstFreeDriveLetter() const;
    // Links `letter` (0: the first free one) to `folder` and records its type; returns the
    // letter, 0 when none was free or the link could not be made.
    char MapDrive(const std::filesystem::path& folder, uint32_t type, char letter = 0);
    // Removes the letter's link, its device link and type, and the folder of links MapDisc made.
    bool UnmapDrive(char letter);
    // Maps a disc folder that may be read-only as a cdrom drive with a volume label (and serial):
    // the letter points at a folder in the prefix (volumes/<letter>) that links to each entry of
    // the disc's top level and holds the two volume files; volumes/<letter>.disc links to the
    // disc, which tells the path resolver that the drive's links lead into the drive. Returns
    // the letter, 0 on failure.
    char MapDisc(const std::filesystem::path& disc, const std::string& label, std::optional<uint32_t> serial, char letter = 0);
    // Points a drive MapDisc made at another disc folder, keeping its label and serial: the
    // drive's folder of links is built aside and traded for the old one in one step, so a
    // program on the drive sees the old disc or the new, never a mixture. False when the drive
    // is no such drive or the folder cannot be built (the drive then stays as it was).
    bool SwitchDisc(char letter, const std::filesystem::path& disc);
    // The disc folder a drive mapped by MapDisc stands for; none for any other drive.
    std::optional<std::filesystem::path> DiscBehind(char letter);
    // The block device a drive's medium is read from ("<letter>::" in dosdevices/, as Wine
    // keeps a CD drive's device); Wine then reads the drive's label and serial from it.
    bool SetDriveDevice(char letter, const std::filesystem::path& device);
    std::optional<std::filesystem::path> DriveDevice(char letter);

    // The drive's label and serial as Wine finds them: from the volume descriptors on the
    // drive's device when it has one that can be read, else from the .windows-label and
    // .windows-serial files in its root.
    std::string VolumeLabel(char letter);
    std::optional<uint32_t> VolumeSerial(char letter);
    bool SetVolumeLabel(char letter, const std::string& label);
    bool SetVolumeSerial(char letter, uint32_t serial);

private:
    std::filesystem::path m_prefixRoot;
    RegistryStore m_registry;
};

// The label of the medium in a device (UTF-8; the Joliet one where present), when the device can
// be read; and the device's name in /dev/disk/by-label, which needs no access to the device.
std::optional<std::string> DeviceVolumeLabel(const std::filesystem::path& device);
std::optional<std::string> DeviceByLabelName(const std::filesystem::path& device);

// The machine platform calls work on. Throws std::logic_error when none was set.
Machine& CurrentMachine();
bool HasCurrentMachine();
void SetCurrentMachine(std::shared_ptr<Machine> machine);

// Win32-shaped calls on CurrentMachine().
bool GetVersionExA(OsVersionInfo& info);
std::string GetWindowsDirectoryA();
std::string GetSystemDirectoryA();
// `rootPath` like "E:\" or "E:"; a path that names no drive gives DRIVE_NO_ROOT_DIR.
uint32_t GetDriveTypeA(std::string_view rootPath);

// The Wine name of a drive type ("cdrom", ...) and back.
std::string_view WineDriveTypeName(uint32_t type);
uint32_t DriveTypeFromWineName(std::string_view name);
// win31 -> 0, win95/win98/winme -> 1, anything else -> 2.
uint32_t PlatformIdForVersion(std::string_view versionName);

}
