#include "dib/cDIBTimer.h"

#include "platform/events/EventLoop.h"

#include <stdexcept>
#include <utility>

namespace {

std::function<void(const std::exception&)>& ExceptionHandler()
{
    static std::function<void(const std::exception&)> handler;
    return handler;
}

// What a refused platform timer raises; the update catches it and disables the timer.
class ENoTimers : public std::runtime_error {
public:
    ENoTimers()
        : std::runtime_error("Not enough timers available")
    {
    }
};

}

TDIBTimer::TDIBTimer()
    : TDIBTimer(platform::CurrentEventLoop())
{
}

TDIBTimer::TDIBTimer(platform::EventLoop& loop)
    : m_loop(loop)
{
}

TDIBTimer::~TDIBTimer()
{
    m_enabled = false;
    UpdateTimer();
}

void TDIBTimer::SetEnabled(bool value)
{
    if (value == m_enabled)
        return;
    m_enabled = value;
    UpdateTimer();
}

void TDIBTimer::SetInterval(uint32_t value)
{
    if (value == m_interval)
        return;
    m_interval = value;
    UpdateTimer();
}

void TDIBTimer::SetOnTimer(TDIBTimerEvent handler)
{
    m_onTimer = std::move(handler);
    UpdateTimer();
}

void TDIBTimer::SetExceptionHandler(std::function<void(const std::exception&)> handler)
{
    ExceptionHandler() = std::move(handler);
}

void TDIBTimer::ReleaseWindow()
{
    if (m_timerId != 0)
        m_loop.KillTimer(m_timerId);
    m_timerId = 0;
}

void TDIBTimer::UpdateTimer()
{
    ReleaseWindow();
    if (m_interval == 0 || !m_enabled || !m_onTimer)
        return;
    try {
        m_timerId = m_loop.SetTimer(m_interval, [this] { Tick(); });
        if (m_timerId == 0)
            throw ENoTimers();
    } catch (const ENoTimers&) {
        m_enabled = false;
        ReleaseWindow();
    }
}

void TDIBTimer::Tick()
{
    if (!m_onTimer)
        return;
    // The handler may free or re-arm this timer; it runs on a copy.
    TDIBTimerEvent handler = m_onTimer;
    try {
        handler(this);
    } catch (const std::exception& error) {
        if (ExceptionHandler())
            ExceptionHandler()(error);
    }
}
