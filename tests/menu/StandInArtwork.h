#pragma once

// Tiny stand-ins for every picture and clip the menu's layout loads, registered under the
// artwork's resource names, so window tests run on any build. Each form picture is a 2 x 2
// surface of one colour, the shape is the full window (only its bottom-left pixel cut away),
// the clips have 26 frames of 2 x 2 pixels.

#include <cstdint>
#include <string_view>

// Registers what is not registered yet; safe to call more than once.
void RegisterStandInArtwork();

// The colour (pixel order, 0x00RRGGBB) of a stand-in form picture, by its control's name.
uint32_t StandInColor(std::string_view controlName);
