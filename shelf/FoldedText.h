#pragma once

// Texts folded for searching: letters lower-cased and Czech (and other Central European)
// accented letters of code page 1250 taken back to their base letter, so that "ocelova" finds
// "OCELOVÁ LEGIE". One byte stays one byte.

#include <array>
#include <string>
#include <string_view>

namespace shelf {

std::string FoldForSearch(std::string_view cp1250);
// The folded form of each byte, for folding long texts a byte at a time.
const std::array<char, 256>& SearchFolding();

}
