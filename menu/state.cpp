// The state file's entries and the string table's messages.

#include "menu/main_f.h"

#include "platform/strings/StringTable.h"

std::string TForm1::LoadString(int32_t n) const
{
    return platform::LoadString(static_cast<uint32_t>(100 * Language + n));
}

std::string TForm1::LoadSpecial(int32_t n, const std::string& argument) const
{
    return platform::LoadSpecial(static_cast<uint32_t>(100 * Language + n), argument);
}

// "Name" holds the game folder, "Name_" four fields: game entry, RegUninstall, Uninstall and
// disc number.
void TForm1::WriteFoundState(const TDemos& item, const std::string& gameDir, const std::string& fields)
{
    std::string section = StateSection();
    StateIni->WriteString(section, item.Name, gameDir);
    StateIni->WriteString(section, item.Name + "_", fields);
}

void TForm1::DeleteState(const TDemos& item)
{
    std::string section = StateSection();
    StateIni->DeleteKey(section, item.Name);
    StateIni->DeleteKey(section, item.Name + "_");
    StateIni->DeleteKey(section, item.Name + "__");
}
