#pragma once

// What a game controller means to the menu: its buttons, its left stick and its triggers
// become the key strokes a keyboard user would type for the same thing, so the pad, the
// keyboard and the script driver share one road into the form. Directions and page buttons
// repeat while held, as keys do; the stick and the triggers count only past a dead zone.
//
//     d-pad, left stick   arrow keys        A       Enter        Start   F2 (settings)
//     LB / RB             Page Up / Down    B       Escape       LT / RT Shift+Tab / Tab

#include "platform/events/Event.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

// The controls of a pad that mean something here; the stick and the triggers are axes that
// count as pressed past their dead zone.
enum class PadControl : uint8_t {
    A,
    B,
    Start,
    LeftShoulder,
    RightShoulder,
    DpadUp,
    DpadDown,
    DpadLeft,
    DpadRight,
    StickUp,
    StickDown,
    StickLeft,
    StickRight,
    LeftTrigger,
    RightTrigger,
    Count,
};

enum class PadAxis : uint8_t { LeftX,
    LeftY,
    LeftTrigger,
    RightTrigger };

struct PadKeyStroke {
    bool down = true;
    uint16_t key = 0;
    TShiftState shift = 0;

    bool operator==(const PadKeyStroke&) const = default;
};

// One controller's state. Times are milliseconds of any steady clock.
class GamepadKeys {
public:
    static constexpr uint32_t RepeatDelayMs = 400;
    static constexpr uint32_t RepeatIntervalMs = 90;
    // Half the stick's travel: a resting or worn stick never moves the selection.
    static constexpr int StickDeadZone = 16384;
    // The triggers press past a third of their travel and let go below a sixth, so a finger
    // resting on one does not flicker between pages.
    static constexpr int TriggerPress = 10923;
    static constexpr int TriggerRelease = 5461;

    // A control's key, with its shift state; none for controls that have no key.
    static std::optional<PadKeyStroke> KeyOf(PadControl control);

    std::vector<PadKeyStroke> Button(PadControl control, bool down, uint32_t nowMs);
    // Axis values as SDL gives them: -32768 to 32767, the triggers 0 to 32767.
    std::vector<PadKeyStroke> Axis(PadAxis axis, int value, uint32_t nowMs);
    // The repeats due by `nowMs` of the keys held.
    std::vector<PadKeyStroke> Repeat(uint32_t nowMs);
    // Lets go of everything held (the controller went away).
    std::vector<PadKeyStroke> ReleaseAll();

private:
    void Set(PadControl control, bool down, uint32_t nowMs, std::vector<PadKeyStroke>& out);

    std::array<bool, static_cast<size_t>(PadControl::Count)> m_held {};
    std::array<uint32_t, static_cast<size_t>(PadControl::Count)> m_nextRepeat {};
};

}
