#include "platform/files/NameFolding.h"

#include "platform/text/Text.h"

#include <algorithm>

namespace platform {

// Windows folds names to capitals: every letter of the code page has one folded form.
char FoldNameChar(char ch)
{
    return UpperCharCp1250(ch);
}

std::string FoldName(std::string_view name)
{
    return UpperCaseCp1250(name);
}

bool EqualsName(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, {}, FoldNameChar, FoldNameChar);
}

}
