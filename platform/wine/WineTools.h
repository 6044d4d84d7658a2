#pragma once

// Which Wine the menu runs, and the environment every start of it gets.
//
// The `wine` program is the one a --wine option names, else $WINE (the convention of Wine's own
// tools), else `wine` on PATH. Its `wineserver` and `wineboot` are the ones beside it (a build in
// /opt/wine-stable/bin keeps them there), else those on PATH.
//
// Every start of Wine runs with Wine's menu builder off, so that no launcher or menu file of a
// disc's item lands on the user's desktop (TORVA_WINE_MENUS=1 leaves it on), and with Wine's
// debug output off unless the user set WINEDEBUG.

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct WineTools {
    // A path, or a bare name looked up on PATH when started.
    std::string wine = "wine";
    std::string wineserver = "wineserver";
    std::string wineboot = "wineboot";
};

// The tools for a --wine option (none: $WINE, else "wine"); a path is made absolute.
WineTools FindWineTools(const std::optional<std::string>& option);

// The tools every start of Wine uses; until SetWineTools, those FindWineTools({}) gives.
const WineTools& CurrentWineTools();
void SetWineTools(WineTools tools);

// The host file a program name stands for: a name with a slash as it is, a bare name through
// PATH. Empty when there is no such executable file.
std::filesystem::path HostExecutable(std::string_view program);

// Whether TORVA_WINE_MENUS=1 lets Wine make desktop menu entries for what it installs.
bool WineMenusWanted();

// WINEDLLOVERRIDES of `current` (the user's value, possibly empty) with `ours` merged in: a DLL
// named in both takes our mode, every other entry of the user's stays.
std::string MergeDllOverrides(std::string_view current, std::string_view ours);

// The variables a start of Wine gets on top of the inherited environment: WINEPREFIX, WINEDEBUG
// (when the user set none) and WINEDLLOVERRIDES (the user's, `overrides`, and the menu builder
// off unless WineMenusWanted()).
std::map<std::string, std::string> WineEnvironment(const std::filesystem::path& prefix, std::string_view overrides = {});

// Runs `words` (a tool found through PATH when it has no slash) with no input, its output thrown
// away and its errors written to `errorLog`, with the inherited environment less `removed` and
// with `variables` on top; waits at most `timeout` (then kills it). Its exit code; none when it
// could not start, was killed or died of a signal.
std::optional<int> RunWineTool(std::vector<std::string> words, const std::map<std::string, std::string>& variables,
    const std::vector<std::string>& removed, const std::filesystem::path& errorLog,
    std::chrono::steady_clock::duration timeout = std::chrono::hours(24));

}
