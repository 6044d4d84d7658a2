#include "platform/fonts/FreeTypeLibrary.h"

namespace platform {

FT_Library FreeTypeLibrary()
{
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0)
            lib = nullptr;
        return lib;
    }();
    return library;
}

}
