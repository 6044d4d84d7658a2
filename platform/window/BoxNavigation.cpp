#include "platform/window/BoxNavigation.h"

#include "platform/events/Event.h"

namespace platform {

BoxNavigation::BoxNavigation(std::vector<char> accelerators, int focused)
    : m_accelerators(std::move(accelerators))
{
    Focus(focused);
}

void BoxNavigation::Focus(int index)
{
    const int count = static_cast<int>(m_accelerators.size());
    m_look.focused = count ? ((index % count) + count) % count : 0;
}

std::optional<int> BoxNavigation::Key(uint16_t virtualKey, bool shift)
{
    switch (virtualKey) {
    case VK_RETURN:
    case VK_SPACE:
        if (m_accelerators.empty())
            return Closed;
        return m_look.focused;
    case VK_ESCAPE:
        return Closed;
    case VK_LEFT:
        Focus(m_look.focused - 1);
        return std::nullopt;
    case VK_RIGHT:
        Focus(m_look.focused + 1);
        return std::nullopt;
    case VK_TAB:
        Focus(m_look.focused + (shift ? -1 : 1));
        return std::nullopt;
    default:
        break;
    }
    for (size_t i = 0; i < m_accelerators.size(); ++i)
        if (m_accelerators[i] && virtualKey == static_cast<uint8_t>(m_accelerators[i]))
            return static_cast<int>(i);
    return std::nullopt;
}

void BoxNavigation::MouseDown(int button)
{
    m_held = button;
    if (button < 0)
        return;
    Focus(button);
    m_look.pressed = button;
}

void BoxNavigation::MouseMove(int button)
{
    if (m_held >= 0)
        m_look.pressed = button == m_held ? m_held : -1;
}

std::optional<int> BoxNavigation::MouseUp(int button)
{
    const int held = m_held;
    m_held = -1;
    m_look.pressed = -1;
    if (held >= 0 && button == held)
        return held;
    return std::nullopt;
}

}
