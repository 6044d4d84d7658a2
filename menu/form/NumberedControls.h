#pragma once

// The layout's numbered families, 1 to 10: the item list's rows (DemosLabelN), the category
// column's icons (DIBSectionN) and their captions (IconLabelN), and the side players (AnimateN).
// The layout fills them by name; the views take the pointers once it is read.

#include <array>
#include <cstddef>

class TDIBFadeLabel;
class TDIBImage;
namespace platform {
class TAnimate;
}

struct NumberedControls {
    std::array<TDIBFadeLabel*, 10> listRows {};
    std::array<TDIBImage*, 10> sectionIcons {};
    std::array<TDIBFadeLabel*, 10> sectionLabels {};
    std::array<platform::TAnimate*, 10> sidePlayers {};
};

// Member n of a family, 1 to 10; nullptr outside that range.
template <typename T>
T* Numbered(const std::array<T*, 10>& family, int n)
{
    return n >= 1 && n <= 10 ? family[std::size_t(n - 1)] : nullptr;
}
