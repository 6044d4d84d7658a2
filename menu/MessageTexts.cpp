// The string table's messages in the menu's language.

#include "menu/MessageTexts.h"

#include "platform/strings/StringTable.h"

MessageTexts::MessageTexts(const MenuContext& context)
    : m_context(context)
{
}

std::string MessageTexts::LoadString(int32_t n) const
{
    return platform::LoadString(static_cast<uint32_t>(100 * m_context.Language + n));
}

std::string MessageTexts::LoadSpecial(int32_t n, const std::string& argument) const
{
    return platform::LoadSpecial(static_cast<uint32_t>(100 * m_context.Language + n), argument);
}
