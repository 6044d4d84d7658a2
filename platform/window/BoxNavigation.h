#pragma once

// What the keyboard and the mouse do to a box's buttons: Enter or Space presses the focused
// button, Escape closes the box, Left/Right and Tab/Shift+Tab move the focus round the row, a
// button's underlined letter presses it, and a click presses the button it began and ended on.

#include "platform/window/BoxPainter.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

class BoxNavigation {
public:
    // What ends the box: a button's index, or Closed.
    static constexpr int Closed = -1;

    // accelerators: each button's letter (BoxAccelerator), 0 for none.
    BoxNavigation(std::vector<char> accelerators, int focused);

    const BoxLook& Look() const { return m_look; }

    std::optional<int> Key(uint16_t virtualKey, bool shift);
    // button: the one under the pointer, or -1.
    void MouseDown(int button);
    void MouseMove(int button);
    std::optional<int> MouseUp(int button);

private:
    void Focus(int index);

    std::vector<char> m_accelerators;
    BoxLook m_look;
    int m_held = -1;
};

}
