#pragma once

// Names of files, INI sections and keys compare without regard to case, as Windows compares
// them: every letter of code page 1250, accented ones included, has one folded form.

#include <string>
#include <string_view>

namespace platform {

char FoldNameChar(char ch);
std::string FoldName(std::string_view name);
bool EqualsName(std::string_view a, std::string_view b);

}
