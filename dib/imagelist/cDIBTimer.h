#pragma once

// The timer behind every animation of the menu and the fade of each label: a window-message
// timer, so its ticks arrive through the user-interface thread's message loop, never
// concurrently with painting or with each other. While disabled it holds no timer at all.

#include "platform/components/Classes.h"

#include <cstdint>
#include <exception>
#include <functional>

namespace platform {
class EventLoop;
}

class TDIBTimer : public platform::TComponent {
    TORVA_CLASS(TDIBTimer)
public:
    // Ticks come from the current event loop at construction, or from the given one.
    explicit TDIBTimer(platform::TComponent* owner = nullptr);
    TDIBTimer(platform::TComponent* owner, platform::EventLoop& loop);
    ~TDIBTimer() override;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    uint32_t Interval() const { return m_interval; }
    void SetInterval(uint32_t value);
    // Assign through SetOnTimer: a handler bound by a layout takes effect in Loaded.
    platform::TNotifyEvent OnTimer;
    void SetOnTimer(platform::TNotifyEvent handler);

    // Whether the timer's message window exists, that is, whether it ticks.
    bool HasWindow() const { return m_timerId != 0; }

    void Loaded() override;

private:
    void UpdateTimer();
    void ReleaseWindow();
    void Tick();

    platform::EventLoop& m_loop;
    bool m_enabled = false;
    uint32_t m_interval = 1000;
    uint32_t m_timerId = 0;
};
