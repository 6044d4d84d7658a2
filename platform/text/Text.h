#pragma once

// Small text rules every part of the system shares.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Upper-cases the letters a to z only; every other byte, accented letters included, stays.
std::string UpperCase(std::string_view text);
char UpperChar(char ch);

// Upper-cases every letter of the code page, accented ones included ("OCELOVÁ LEGIE"): the
// form of names the user reads. Letters without a capital (ß, the dotted ˙) stay.
std::string UpperCaseCp1250(std::string_view text);
char UpperCharCp1250(char ch);

// Case-insensitive equality under the same a-to-z rule.
bool EqualsNoCase(std::string_view a, std::string_view b);

// A whole decimal integer ("-12", "+7") or "0x"/"0X" followed by hexadecimal digits, with
// surrounding blanks ignored. Anything else, an empty text, or a value outside 32 bits is no
// number.
std::optional<int32_t> ParseNumber(std::string_view text);
int32_t ReadNumber(std::string_view text, int32_t defaultValue);

// Drops blanks (space, tab, CR, LF) at both ends.
std::string_view TrimBlanks(std::string_view text);

}
