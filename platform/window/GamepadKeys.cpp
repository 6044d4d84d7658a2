#include "platform/window/GamepadKeys.h"

namespace platform {

namespace {

struct ControlKey {
    PadControl control;
    uint16_t key;
    TShiftState shift;
    bool repeats;
};

constexpr ControlKey ControlKeys[] = {
    { PadControl::A, VK_RETURN, 0, false },
    { PadControl::B, VK_ESCAPE, 0, false },
    { PadControl::Start, VK_F2, 0, false },
    { PadControl::LeftShoulder, VK_PRIOR, 0, true },
    { PadControl::RightShoulder, VK_NEXT, 0, true },
    { PadControl::DpadUp, VK_UP, 0, true },
    { PadControl::DpadDown, VK_DOWN, 0, true },
    { PadControl::DpadLeft, VK_LEFT, 0, true },
    { PadControl::DpadRight, VK_RIGHT, 0, true },
    { PadControl::StickUp, VK_UP, 0, true },
    { PadControl::StickDown, VK_DOWN, 0, true },
    { PadControl::StickLeft, VK_LEFT, 0, true },
    { PadControl::StickRight, VK_RIGHT, 0, true },
    { PadControl::LeftTrigger, VK_TAB, ssShift, false },
    { PadControl::RightTrigger, VK_TAB, 0, false },
};

const ControlKey* Find(PadControl control)
{
    for (const ControlKey& entry : ControlKeys)
        if (entry.control == control)
            return &entry;
    return nullptr;
}

size_t Slot(PadControl control)
{
    return static_cast<size_t>(control);
}

}

std::optional<PadKeyStroke> GamepadKeys::KeyOf(PadControl control)
{
    const ControlKey* entry = Find(control);
    if (!entry)
        return std::nullopt;
    return PadKeyStroke { true, entry->key, entry->shift };
}

void GamepadKeys::Set(PadControl control, bool down, uint32_t nowMs, std::vector<PadKeyStroke>& out)
{
    const ControlKey* entry = Find(control);
    if (!entry || m_held[Slot(control)] == down)
        return;
    m_held[Slot(control)] = down;
    m_nextRepeat[Slot(control)] = nowMs + RepeatDelayMs;
    out.push_back({ down, entry->key, entry->shift });
}

std::vector<PadKeyStroke> GamepadKeys::Button(PadControl control, bool down, uint32_t nowMs)
{
    std::vector<PadKeyStroke> out;
    Set(control, down, nowMs, out);
    return out;
}

// A stick axis presses one of its two directions past the dead zone and lets both go inside
// it; a trigger keeps its state between its two thresholds.
std::vector<PadKeyStroke> GamepadKeys::Axis(PadAxis axis, int value, uint32_t nowMs)
{
    std::vector<PadKeyStroke> out;
    auto stick = [&](PadControl negative, PadControl positive) {
        Set(negative, value <= -StickDeadZone, nowMs, out);
        Set(positive, value >= StickDeadZone, nowMs, out);
    };
    auto trigger = [&](PadControl control) {
        if (value >= TriggerPress)
            Set(control, true, nowMs, out);
        else if (value < TriggerRelease)
            Set(control, false, nowMs, out);
    };
    switch (axis) {
    case PadAxis::LeftX: stick(PadControl::StickLeft, PadControl::StickRight); break;
    case PadAxis::LeftY: stick(PadControl::StickUp, PadControl::StickDown); break;
    case PadAxis::LeftTrigger: trigger(PadControl::LeftTrigger); break;
    case PadAxis::RightTrigger: trigger(PadControl::RightTrigger); break;
    }
    return out;
}

std::vector<PadKeyStroke> GamepadKeys::Repeat(uint32_t nowMs)
{
    std::vector<PadKeyStroke> out;
    for (const ControlKey& entry : ControlKeys) {
        const size_t slot = Slot(entry.control);
        // Wrap-safe: the difference of two tick counts.
        if (!entry.repeats || !m_held[slot] || static_cast<int32_t>(nowMs - m_nextRepeat[slot]) < 0)
            continue;
        m_nextRepeat[slot] = nowMs + RepeatIntervalMs;
        out.push_back({ true, entry.key, entry.shift });
    }
    return out;
}

std::vector<PadKeyStroke> GamepadKeys::ReleaseAll()
{
    std::vector<PadKeyStroke> out;
    for (const ControlKey& entry : ControlKeys)
        Set(entry.control, false, 0, out);
    return out;
}

}
