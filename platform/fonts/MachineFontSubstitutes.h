#pragma once

// The machine's own face substitutions, the FontSubstitutes key under HKEY_LOCAL_MACHINE's
// Windows NT CurrentVersion, read from the current machine's registry at each lookup (a lookup
// happens only when a face is first asked for at a size).

#include "platform/fonts/FontRegistry.h"

namespace platform {

FontRegistry::SubstituteLookup MachineFontSubstitutes();

}
