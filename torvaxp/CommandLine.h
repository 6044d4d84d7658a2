#pragma once

// The menu's own command line, besides the host options every program of the platform takes
// (--headless, --script, --screenshot):
//
//     torvaxp [T] [--disc DISC | DISC... | --shelf [FOLDER...]] [--label TEXT] [--prefix DIR] [--wine PATH] [--own-path WINPATH]
//             [--version]
//             [host options]
//
// A first argument "T" makes every installation show its setup command before running it. DISC
// is a disc folder or a disc image (.iso, .cue, .nrg), given with --disc or on its own, as a
// file manager passes a file it opens.

#include "platform/types/Exception.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class CommandLineError : public platform::Exception {
public:
    using platform::Exception::Exception;
};

struct MenuOptions {
    bool showSetupCommand = false;
    bool help = false;
    bool version = false;
    // The disc folder or image; none: the built-in sample disc.
    std::optional<std::filesystem::path> disc;
    // --shelf, and every folder or disc given (the shelf's folders when several are).
    bool shelf = false;
    std::vector<std::filesystem::path> discs;
    // The volume label Windows programs see on the disc's drive (UTF-8); none: the medium's own.
    std::optional<std::string> label;
    std::optional<std::filesystem::path> prefix;
    // The `wine` program; none: $WINE, else `wine` on PATH.
    std::optional<std::string> wine;
    // The program's own Windows path (code page 1250); none: the disc drive's \TORVA.EXE.
    std::optional<std::string> ownPath;
};

// Takes the menu's options out of `args` (the arguments after the program name, with the host
// options already removed). Raises CommandLineError for an option without its value, for a
// second disc, and for an option it does not know.
MenuOptions ParseMenuOptions(std::vector<std::string> args);

// The usage text of the menu's own options.
const char* MenuOptionsUsage();
