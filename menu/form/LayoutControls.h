#pragma once

// The views take their controls from the read layout by the names it gives them. A control that
// is missing, or of another class, means the layout was not made for this program.

#include "platform/components/Classes.h"

#include <array>
#include <cstddef>
#include <string>

template <class T>
T* LayoutControl(const platform::TComponent& form, const std::string& name)
{
    auto* control = dynamic_cast<T*>(form.FindComponent(name));
    if (!control)
        throw platform::Exception("The menu's layout has no control " + name + " of the kind it needs");
    return control;
}

// A numbered family of the layout, prefix1 to prefix10 (the list rows, the column's icons and
// captions, the side players). Names match without regard to case, as the layout writes
// DibSection7 and DibSection9.
template <class T>
std::array<T*, 10> LayoutFamily(const platform::TComponent& form, const std::string& prefix)
{
    std::array<T*, 10> family {};
    for (std::size_t i = 0; i < family.size(); ++i)
        family[i] = LayoutControl<T>(form, prefix + std::to_string(i + 1));
    return family;
}

// Member n of a family, 1 to 10; nullptr outside that range.
template <typename T>
T* Numbered(const std::array<T*, 10>& family, int n)
{
    return n >= 1 && n <= 10 ? family[std::size_t(n - 1)] : nullptr;
}
