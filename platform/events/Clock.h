#pragma once

// Time as the event loop sees it. The real clock reads the monotonic system clock; the
// virtual clock stands still until the loop's Advance moves it, so tests and scripts see
// timers fire at exact, repeatable moments.

#include <cstdint>

namespace platform {

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary fixed start; never goes backwards.
    virtual uint64_t NowMs() const = 0;
    virtual bool IsVirtual() const = 0;
};

class RealClock final : public IClock {
public:
    RealClock();
    uint64_t NowMs() const override;
    bool IsVirtual() const override { return false; }

private:
    int64_t m_startNs;
};

class VirtualClock final : public IClock {
public:
    explicit VirtualClock(uint64_t startMs = 0)
        : m_now(startMs) {}
    uint64_t NowMs() const override { return m_now; }
    bool IsVirtual() const override { return true; }
    // Only forward: an earlier time is ignored.
    void SetNow(uint64_t ms)
    {
        if (ms > m_now)
            m_now = ms;
    }

private:
    uint64_t m_now;
};

}
