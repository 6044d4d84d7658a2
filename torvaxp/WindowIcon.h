#pragma once

// The menu's window icon: the cover disc of the desktop entry's icon, drawn at a size.

#include <cstdint>
#include <vector>

// size x size pixels 0xAARRGGBB, top row first; transparent around the disc.
std::vector<uint32_t> DrawWindowIcon(int size);
