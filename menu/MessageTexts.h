#pragma once

// The message texts of the string table in the menu's language.

#include "menu/MenuContext.h"

#include <cstdint>
#include <string>

class MessageTexts {
public:
    explicit MessageTexts(const MenuContext& context);

    std::string LoadString(int32_t n) const;
    // Text n with its argument in place.
    std::string LoadSpecial(int32_t n, const std::string& argument) const;

private:
    const MenuContext& m_context;
};
