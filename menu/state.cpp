// The string table's messages in the form's language.

#include "menu/main_f.h"

#include "platform/strings/StringTable.h"

std::string TForm1::LoadString(int32_t n) const
{
    return platform::LoadString(static_cast<uint32_t>(100 * Context.Language + n));
}

std::string TForm1::LoadSpecial(int32_t n, const std::string& argument) const
{
    return platform::LoadSpecial(static_cast<uint32_t>(100 * Context.Language + n), argument);
}
