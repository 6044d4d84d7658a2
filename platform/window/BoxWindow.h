#pragma once

// A box of the program's own (BoxPainter) in an SDL window of its own: modal over the menu's
// window and centred on it, or centred on the screen before there is one, at the menu's scale,
// answered with the keyboard (BoxNavigation) or the mouse. It needs no window manager: it takes
// the keyboard itself and gives it back to the menu when it goes.

#include "platform/window/BoxNavigation.h"
#include "platform/window/BoxPainter.h"

#include <functional>
#include <optional>

namespace platform {

class SdlWindow;

struct BoxOutcome {
    bool shown = false; // false: the window could not be made (the caller falls back)
    int answer = BoxNavigation::Closed;
};

// Shows the box, its first button focused, until a button is pressed, it is closed, or `stop`
// says so (asked first, and whenever the window wakes, at least every tenth of a second; a box
// stopped before it shows is not shown); owner: the menu's window, or none.
BoxOutcome RunBoxWindow(const BoxContent& content, SdlWindow* owner, const std::function<bool()>& stop);

}
