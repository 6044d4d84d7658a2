#include "dib/imagelist/cDIBTimer.h"

#include "platform/components/ClassBuilder.h"
#include "platform/components/Forms.h"
#include "platform/events/EventLoop.h"

#include <stdexcept>
#include <utility>

using namespace platform;

namespace {

// What a refused platform timer raises; the update catches it and disables the timer.
class ENoTimers : public Exception {
public:
    ENoTimers()
        : Exception("Not enough timers available")
    {
    }
};

}

const ClassInfo& TDIBTimer::StaticClass()
{
    static const ClassInfo info = ClassBuilder<TDIBTimer>("TDIBTimer", &TComponent::StaticClass())
                                      .Creatable()
                                      .Boolean("Enabled", &TDIBTimer::Enabled, &TDIBTimer::SetEnabled, false)
                                      .Integer("Interval", &TDIBTimer::Interval, &TDIBTimer::SetInterval, 1000)
                                      .Event("OnTimer", &TDIBTimer::OnTimer)
                                      .Build();
    return info;
}

static ClassRegistration registration(TDIBTimer::StaticClass());

TDIBTimer::TDIBTimer(TComponent* owner)
    : TDIBTimer(owner, CurrentEventLoop())
{
}

TDIBTimer::TDIBTimer(TComponent* owner, EventLoop& loop)
    : TComponent(owner)
    , m_loop(loop)
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

void TDIBTimer::SetOnTimer(TNotifyEvent handler)
{
    OnTimer = std::move(handler);
    UpdateTimer();
}

void TDIBTimer::Loaded()
{
    TComponent::Loaded();
    UpdateTimer();
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
    if (m_interval == 0 || !m_enabled || !OnTimer)
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
    if (!OnTimer)
        return;
    // The handler may free or re-arm this timer; it runs on a copy.
    TNotifyEvent handler = OnTimer;
    RunHandler([&] { handler(this); });
}
