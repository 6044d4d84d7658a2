#pragma once

// The one FreeType library of the process, made on first use; both the font registry's name
// lookups and the sized fonts open their faces with it. Null when FreeType cannot start.

#include <ft2build.h>
#include FT_FREETYPE_H

namespace platform {

FT_Library FreeTypeLibrary();

}
