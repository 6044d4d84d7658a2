#pragma once

// What the parts of the menu share about the computer and the disc: the machine's folders, where
// the disc is and which one it is, and the state file that remembers installations across discs.
// Start-up fills it; the catalogue adds the disc's identifier.

#include "platform/ini/IniFile.h"

#include <cstdint>
#include <memory>
#include <string>

struct MenuContext {
    // The machine's folders, each with a trailing backslash.
    std::string WinVersion;
    std::string SystemDir;
    std::string WindowsDir;
    std::string ProgramFilesDir;
    std::string CommonDesktopDir;
    std::string DesktopDir;
    std::string ProgramsDir;

    // The disc: its drive ("E:"), its data folder and its identifier MMYY from the catalogue.
    std::string DiscDrive;
    std::string DataDir;
    std::string DiscId;
    int32_t Language = 0;

    std::unique_ptr<TIniFile> StateIni;

    // The state section of this disc: "CD" + DiscId.
    std::string StateSection() const { return "CD" + DiscId; }
};
