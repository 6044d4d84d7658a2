#pragma once

// Pictures for the sample disc's items: title cards with the item's name over procedural
// scenes (skies, hills, grids, planets, light bubbles), varied by the picture's base name and
// number, and the short film clips.

#include "tools/artwork/Raster.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sampledisc {

struct CardText {
    std::string title;    // code page 1250
    std::string subtitle; // code page 1250, may be empty
};

// One picture of a series (number from 1), or the small picture (number 0) at its own size.
artwork::Raster TitleCard(const std::string& baseName, int number, int width, int height, const CardText& text);

// A short RLE8 clip with the title moving over an animated scene.
std::vector<uint8_t> FilmClip(const std::string& baseName, const CardText& text);

}
