#pragma once

#include "menu/DriveReadiness.h"
#include "shell/UserInterface.h"

#include <functional>
#include <iosfwd>
#include <string>

// How the program sets the form up, besides the services it passes in: the program's own Windows
// path (it locates the disc) and the busy cursor.
struct MenuEnvironment {
    std::string OwnPath = "C:\\TORVA.EXE";
    shell::CursorService* Cursor = nullptr;
    // The first command-line argument was "T": installations show their setup command first.
    bool ShowSetupCommand = false;
    // Once the first page shows, Wine sets a new prefix up in the background when the disc
    // carries Windows setups, so that the first install does not sit through it.
    bool PrepareWine = false;
    // Where the menu notes what it refused or skipped (the program's standard error).
    std::ostream* DebugOutput = nullptr;
    // Asked before an action starts anything from the disc; none: the drive is always whole.
    DriveReadiness* Drive = nullptr;
    // The user asked to leave the menu (Escape with nothing to close, or the quit button); where
    // none is set the program ends.
    std::function<void()> Leave = {};
};
