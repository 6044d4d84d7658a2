#pragma once

// What one sample setup installs, read from a small INI text (code page 1250), section [Setup]:
//
//   Title=Rallye Bohemia              name shown by the setup and the game
//   Folder=C:\Hry\Rallye Bohemia      where it goes (created)
//   Program=RALLYE.EXE                the game program, copied from the setup's folder
//   Copy=A.DAT,B.DAT                  more files copied from the setup's folder
//   Make=DATA\TRATE.DAT:40000         files made with that many bytes
//   Leave=SAVE\POZICE1.SAV:300000     made too, but not recorded: the uninstaller leaves them
//   Uninstaller=UNINSTAL.EXE          the setup copies itself there to serve as the uninstaller
//   UninstallKey=Rallye Bohemia       HKLM ...\Uninstall\<key> with DisplayName, UninstallString
//   RegKey=Torva\Legie  RegName=Path  HKLM\Software\<RegKey> <RegName> = the program's path
//   UserRegKey=...  UserRegName=...   the same under HKEY_CURRENT_USER
//   StartMenu=Skupina\Hra.lnk         a shortcut below the Start menu's programs
//   Desktop=Hra.lnk                   a shortcut on the desktop
//   Ini=PARENIST.INI|Setup|Dir        an INI value that holds the folder (bare name: C:\WINDOWS)
//   Sierra=1                          C:\WINDOWS\sierra.ini [Sierra] SierraDir = the folder
//   System=TORVAGFX.DRV:20000         files made in the system folder (drivers)
//   RequireFolder=1                   an update: the folder must exist already
//   DelayMs=2500                      the setup takes this long (a setup the menu does not wait for)
//   RunCreates=C:\Torva\Sachy\SACHY.CFG  the game makes this file when it runs
//
// Every sample program carries the texts of the sample disc, each named after the last two
// folders of its place on the disc ("DEMOS/RALLYE"), so one program serves every item.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace samplesetups {

struct MadeFile {
    std::string name; // relative to the folder
    uint64_t size = 0;
};

struct IniEntry {
    std::string file, section, key;
};

struct SampleConfig {
    std::string title;
    std::string folder;
    std::string program;
    std::vector<std::string> copies;
    std::vector<MadeFile> made;
    std::vector<MadeFile> leftovers;
    std::vector<MadeFile> systemFiles;
    std::string uninstaller;
    std::string uninstallKey;
    std::string regKey, regName;
    std::string userRegKey, userRegName;
    std::string startMenu;
    std::string desktop;
    std::optional<IniEntry> ini;
    bool sierra = false;
    bool requireFolder = false;
    uint32_t delayMs = 0;
    std::string runCreates;
};

// Parses the [Setup] section; malformed entries (a size that is no number, an Ini entry without
// its three parts) make the whole text invalid rather than half of an installation.
std::optional<SampleConfig> ParseSampleConfig(std::string_view text);

// "DEMOS/RALLYE" for a program at .../DEMOS/Rallye/SETUP.EXE: the two folders above it, upper case.
std::string ConfigKeyForProgram(const std::string& hostProgramPath);

// The built-in text for a key, or empty.
std::optional<std::string> BuiltInConfigText(const std::string& key);

}
