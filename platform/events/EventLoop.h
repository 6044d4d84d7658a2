#pragma once

// The one message queue of the program and the window-message timers, on one thread.
//
// Feeding it: window backends implement IEventSource (PumpEvents moves their pending input
// into the queue with Post; WaitDescriptor lets the loop sleep on their connection); anything
// else that becomes ready outside the program (a child process ending) either watches a
// descriptor with WatchDescriptor or calls Wake(), which is safe from a signal handler.
//
// Timers behave as Win32 window timers: SetTimer(interval, onTimer) returns an id; when the
// interval has passed, the timer has ONE pending message, however many intervals went by; the
// message is delivered only once the posted events are handled, and the next interval counts
// from the moment it became due. KillTimer also drops a pending message, so a handler never
// runs after its timer was killed (even from inside another handler of the same round).
//
// Usage:
//     platform::VirtualClock clock;
//     platform::EventLoop loop(clock);
//     platform::ScopedEventLoop current(loop);   // components use CurrentEventLoop()
//     auto id = loop.SetTimer(50, [&] { ... });
//     loop.Advance(200);                         // four ticks, each at its due time
//
// With the real clock, Run() dispatches until Terminate(), sleeping in poll() between
// messages (never spinning); ProcessMessages() is the "handle everything pending" call that
// waits of the menu make.

#include "platform/events/Clock.h"
#include "platform/events/Event.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace platform {

using TimerId = uint32_t;

// Win32 never runs a timer faster than this, and a longer interval than this is refused.
constexpr uint32_t USER_TIMER_MINIMUM = 10;
constexpr uint32_t USER_TIMER_MAXIMUM = 0x7FFFFFFF;

class EventLoop;

class IEventSource {
public:
    virtual ~IEventSource() = default;
    // Moves whatever input is pending into the loop (loop.Post). Must not block.
    virtual void PumpEvents(EventLoop& loop) = 0;
    // A descriptor that becomes readable when input is pending, or -1 when the source cannot
    // give one (the loop then looks at it again every few milliseconds while waiting).
    virtual int WaitDescriptor() const { return -1; }
};

class EventLoop {
public:
    explicit EventLoop(IClock& clock);
    ~EventLoop();
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    IClock& Clock() const { return m_clock; }
    uint64_t NowMs() const { return m_clock.NowMs(); }

    // Events without a target go here (the application object sets it).
    void SetDefaultSink(IEventSink* sink) { m_defaultSink = sink; }
    IEventSink* DefaultSink() const { return m_defaultSink; }

    void Post(Event event);
    void PostCallback(std::function<void()> callback);
    // Posted events not yet handled (timers not counted).
    size_t PendingCount() const { return m_queue.size(); }
    // Drops queued events addressed to this sink (a window that goes away).
    void DiscardEventsFor(IEventSink* sink);

    // 0 when refused (no handler). Intervals are clamped to USER_TIMER_MINIMUM..MAXIMUM.
    TimerId SetTimer(uint32_t intervalMs, std::function<void()> onTimer);
    // False when there is no such timer.
    bool KillTimer(TimerId id);
    bool HasTimer(TimerId id) const;
    size_t TimerCount() const { return m_timers.size(); }
    // When the earliest timer without a pending message becomes due; none without timers.
    std::optional<uint64_t> NextTimerDue() const;

    // Handles every posted event and every timer due now, then returns. A timer fires at most
    // once per call, so a slow handler cannot keep the call from returning.
    void ProcessMessages();
    // Handles one message (posted event first, else the earliest pending timer); false when
    // nothing was waiting.
    bool HandleOneMessage();
    // Sleeps until an event is pending, a watched descriptor is ready, the next timer is due
    // (real clock) or maxWaitMs passed. Returns at once when something is already pending.
    void WaitForEvent(std::optional<uint32_t> maxWaitMs = {});
    // Dispatches until Terminate().
    void Run();
    void Terminate();
    bool Terminated() const { return m_terminated; }
    // Lets Run() be entered again (tests, a second script).
    void ClearTerminated() { m_terminated = false; }

    // Virtual clock only: moves time forward by ms, stopping at every timer's due moment in
    // order and handling the messages of that moment, then handles what is pending at the end.
    void Advance(uint64_t ms);

    void AddSource(IEventSource* source);
    void RemoveSource(IEventSource* source);
    // Whether a loop still exists: a source that outlives the loop it was added to must not
    // remove itself from it.
    static bool Alive(const EventLoop* loop);
    // onReady runs (from WaitForEvent) whenever fd is readable; keep it short and Post.
    void WatchDescriptor(int fd, std::function<void()> onReady);
    void UnwatchDescriptor(int fd);
    // Wakes a WaitForEvent; async-signal-safe.
    void Wake();

private:
    struct Timer {
        uint32_t interval = 0;
        uint64_t due = 0;
        bool pending = false;
        uint64_t pendingSince = 0; // order of pending messages
        uint64_t firedInRound = 0; // ProcessMessages round of the last delivery
        std::function<void()> onTimer;
    };

    void PumpSources();
    void MarkDueTimers(uint64_t now);
    bool DispatchPendingTimer(uint64_t round);
    void Dispatch(const Event& event);

    IClock& m_clock;
    IEventSink* m_defaultSink = nullptr;
    std::deque<Event> m_queue;
    std::map<TimerId, Timer> m_timers;
    TimerId m_nextTimerId = 1;
    uint64_t m_pendingOrder = 0;
    uint64_t m_round = 0;
    std::vector<IEventSource*> m_sources;
    std::map<int, std::function<void()>> m_watched;
    int m_wakeFd = -1;
    bool m_terminated = false;
};

// The loop components use for their timers and invalidation. Without a ScopedEventLoop this is
// a process-wide loop on the real clock.
EventLoop& CurrentEventLoop();

class ScopedEventLoop {
public:
    explicit ScopedEventLoop(EventLoop& loop);
    ~ScopedEventLoop();
    ScopedEventLoop(const ScopedEventLoop&) = delete;
    ScopedEventLoop& operator=(const ScopedEventLoop&) = delete;

private:
    EventLoop* m_previous;
};

// Milliseconds of the current loop's clock, as GetTickCount gives them (wraps at 2^32).
uint32_t GetTickCount();

// "Process pending window messages": ProcessMessages of the current loop.
void ProcessMessages();

}
