#pragma once

// What the window backends, timers and child-process watchers put into the one message queue.
// Coordinates of mouse events are client coordinates of the window that produced them; keys are
// Win32 virtual-key codes, so the menu's key handlers compare against the same numbers the
// original did.

#include "platform/types/Geometry.h"

#include <cstdint>
#include <functional>

namespace platform {

// The framework's shift state as a bit set: modifier keys and the mouse buttons held.
using TShiftState = uint16_t;
enum : TShiftState {
    ssShift = 0x01,
    ssAlt = 0x02,
    ssCtrl = 0x04,
    ssLeft = 0x08,
    ssRight = 0x10,
    ssMiddle = 0x20,
    ssDouble = 0x40,
};

enum class TMouseButton : uint8_t { mbLeft,
    mbRight,
    mbMiddle };

// Win32 virtual-key codes; letters and digits are their ASCII upper-case codes ('A', '0').
enum : uint16_t {
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_F1 = 0x70,
    VK_F2 = 0x71,
    VK_F11 = 0x7A,
};

// One notch of the wheel, as Win32 reports it; positive rolls away from the user ("up").
constexpr int WHEEL_DELTA = 120;

class IEventSink;

enum class EventType : uint8_t {
    MouseMove,
    MouseDown,
    MouseUp,
    MouseWheel,
    KeyDown,
    KeyUp,
    KeyChar, // a typed character (code page 1250 byte in `ch`)
    MouseEnterWindow,
    MouseLeaveWindow,
    Paint, // the window system lost part of the picture: `rect` (client coordinates)
    Close, // the user asked to close the window
    Activate,
    Deactivate,
    Callback,        // run `callback` in order with the other messages
    QueryNewPalette, // paletted display: the window is about to become active, may realize its palette
    PaletteChanged,  // paletted display: another window changed the system palette
};

struct Event {
    EventType type = EventType::Callback;
    IEventSink* target = nullptr; // the window's sink; nullptr goes to the loop's default sink
    int x = 0;
    int y = 0;
    TMouseButton button = TMouseButton::mbLeft;
    TShiftState shift = 0;
    int wheelDelta = 0; // multiples of WHEEL_DELTA
    uint16_t key = 0;   // virtual-key code
    char ch = 0;
    TRect rect {};
    std::function<void()> callback {};
};

// Whatever a window does with the events addressed to it (the form implements this).
class IEventSink {
public:
    virtual ~IEventSink() = default;
    virtual void HandleEvent(const Event& event) = 0;
};

}
