#pragma once

// The timer behind every animation of the menu and the fade of each label: a window-message
// timer, so its ticks arrive through the user-interface thread's message loop, never
// concurrently with painting or with each other. While disabled it holds no timer at all.

#include <cstdint>
#include <exception>
#include <functional>

namespace platform {
class EventLoop;
}

class TDIBTimer;
using TDIBTimerEvent = std::function<void(TDIBTimer* sender)>;

class TDIBTimer {
public:
    // Ticks come from the current event loop at construction.
    TDIBTimer();
    explicit TDIBTimer(platform::EventLoop& loop);
    ~TDIBTimer();
    TDIBTimer(const TDIBTimer&) = delete;
    TDIBTimer& operator=(const TDIBTimer&) = delete;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value);
    uint32_t Interval() const { return m_interval; }
    void SetInterval(uint32_t value);
    const TDIBTimerEvent& OnTimer() const { return m_onTimer; }
    void SetOnTimer(TDIBTimerEvent handler);

    // Whether the timer's message window exists, that is, whether it ticks.
    bool HasWindow() const { return m_timerId != 0; }

    // Where an exception thrown by an OnTimer handler goes instead of unwinding the message
    // loop; the application installs its error box here. Without one it is dropped.
    static void SetExceptionHandler(std::function<void(const std::exception&)> handler);

private:
    void UpdateTimer();
    void ReleaseWindow();
    void Tick();

    platform::EventLoop& m_loop;
    bool m_enabled = false;
    uint32_t m_interval = 1000;
    TDIBTimerEvent m_onTimer;
    uint32_t m_timerId = 0;
};
