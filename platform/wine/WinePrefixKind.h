#pragma once

// Whether a Wine runs 32-bit prefixes. Builds in the new WoW64 mode refuse them ("WINEARCH=win32
// is not supported in wow64 mode"), and so does a 64-bit Wine without its 32-bit half ("... is a
// 32-bit installation, it cannot support 64-bit applications"); a prefix the menu makes for such
// a Wine has to be 64-bit.
//
// The probe asks that Wine itself: it starts it once with WINEARCH=win32 on a scratch prefix
// whose update is switched off (".update-timestamp" holding "disable"). Wine judges the prefix's
// kind when its server first loads the registry, before any Windows code runs, so a refusal
// shows at once, while a Wine that accepts the prefix stops soon after for want of the Windows
// folder that the switched-off update would have made. Either way it costs about a second, not
// the tens of seconds of a real set-up. The answer is cached per Wine program (its path, size
// and time), so only the first new prefix pays for it.

#include "platform/wine/WineTools.h"

#include <filesystem>
#include <string>

namespace platform {

struct PrefixKindAnswer {
    bool win32 = true;
    std::string refusal; // Wine's own words when it refused
};

// Runs the probe (no cache).
PrefixKindAnswer ProbeWin32Prefixes(const WineTools& tools);

// The probe's answer through the cache file; a Wine that cannot be found runs whatever it is
// given, so it counts as accepting.
PrefixKindAnswer Win32PrefixSupport(const WineTools& tools, const std::filesystem::path& cacheFile);

// $XDG_CACHE_HOME/torva/wine-prefix-kinds (by default under ~/.cache).
std::filesystem::path DefaultWineKindCache();

}
