#include "platform/events/Clock.h"

#include <chrono>

namespace platform {

static int64_t SteadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

RealClock::RealClock()
    : m_startNs(SteadyNs()) {}

uint64_t RealClock::NowMs() const
{
    return static_cast<uint64_t>((SteadyNs() - m_startNs) / 1000000);
}

}
