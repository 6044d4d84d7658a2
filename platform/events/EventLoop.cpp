#include "platform/events/EventLoop.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace platform {

// How often a source without a descriptor is looked at while the loop sleeps.
constexpr int SourcePollSliceMs = 5;

namespace {

std::vector<const EventLoop*>& LiveLoops()
{
    static std::vector<const EventLoop*> loops;
    return loops;
}

}

EventLoop::EventLoop(IClock& clock)
    : m_clock(clock)
{
    m_wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    LiveLoops().push_back(this);
}

EventLoop::~EventLoop()
{
    std::erase(LiveLoops(), this);
    if (m_wakeFd >= 0)
        close(m_wakeFd);
}

bool EventLoop::Alive(const EventLoop* loop)
{
    return std::find(LiveLoops().begin(), LiveLoops().end(), loop) != LiveLoops().end();
}

void EventLoop::Post(Event event)
{
    m_queue.push_back(std::move(event));
}

void EventLoop::PostCallback(std::function<void()> callback)
{
    Event event;
    event.type = EventType::Callback;
    event.callback = std::move(callback);
    Post(std::move(event));
}

void EventLoop::DiscardEventsFor(IEventSink* sink)
{
    std::erase_if(m_queue, [sink](const Event& e) { return e.target == sink; });
    if (m_defaultSink == sink)
        m_defaultSink = nullptr;
}

TimerId EventLoop::SetTimer(uint32_t intervalMs, std::function<void()> onTimer)
{
    if (!onTimer)
        return 0;
    Timer timer;
    timer.interval = std::clamp(intervalMs, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    timer.due = NowMs() + timer.interval;
    timer.onTimer = std::move(onTimer);
    TimerId id = m_nextTimerId++;
    if (m_nextTimerId == 0)
        m_nextTimerId = 1;
    m_timers.emplace(id, std::move(timer));
    return id;
}

bool EventLoop::KillTimer(TimerId id)
{
    return m_timers.erase(id) > 0;
}

bool EventLoop::HasTimer(TimerId id) const
{
    return m_timers.count(id) > 0;
}

std::optional<uint64_t> EventLoop::NextTimerDue() const
{
    std::optional<uint64_t> next;
    for (const auto& [id, timer] : m_timers) {
        if (!timer.pending && (!next || timer.due < *next))
            next = timer.due;
    }
    return next;
}

// A due timer gets its one pending message; the next interval starts at the due moment, or at
// now when the loop fell more than a whole interval behind.
void EventLoop::MarkDueTimers(uint64_t now)
{
    std::vector<std::pair<uint64_t, TimerId>> due;
    for (auto& [id, timer] : m_timers) {
        if (!timer.pending && timer.due <= now)
            due.emplace_back(timer.due, id);
    }
    std::sort(due.begin(), due.end());
    for (auto& [when, id] : due) {
        Timer& timer = m_timers[id];
        timer.pending = true;
        timer.pendingSince = ++m_pendingOrder;
        timer.due = when + timer.interval;
        if (timer.due <= now)
            timer.due = now + timer.interval;
    }
}

bool EventLoop::DispatchPendingTimer(uint64_t round)
{
    auto best = m_timers.end();
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
        if (it->second.pending && it->second.firedInRound != round
            && (best == m_timers.end() || it->second.pendingSince < best->second.pendingSince))
            best = it;
    }
    if (best == m_timers.end())
        return false;
    best->second.pending = false;
    best->second.firedInRound = round;
    // The handler may kill or replace its own timer; keep the callable alive for the call.
    std::function<void()> handler = best->second.onTimer;
    handler();
    return true;
}

void EventLoop::Dispatch(const Event& event)
{
    if (event.type == EventType::Callback) {
        if (event.callback)
            event.callback();
        return;
    }
    IEventSink* sink = event.target ? event.target : m_defaultSink;
    if (sink)
        sink->HandleEvent(event);
}

void EventLoop::PumpSources()
{
    // A source may remove itself while pumping.
    std::vector<IEventSource*> sources = m_sources;
    for (IEventSource* source : sources) {
        if (std::find(m_sources.begin(), m_sources.end(), source) != m_sources.end())
            source->PumpEvents(*this);
    }
}

bool EventLoop::HandleOneMessage()
{
    PumpSources();
    if (!m_queue.empty()) {
        Event event = std::move(m_queue.front());
        m_queue.pop_front();
        Dispatch(event);
        return true;
    }
    MarkDueTimers(NowMs());
    return DispatchPendingTimer(++m_round);
}

void EventLoop::ProcessMessages()
{
    uint64_t round = ++m_round;
    uint64_t now = NowMs();
    PumpSources();
    MarkDueTimers(now);
    for (;;) {
        if (!m_queue.empty()) {
            Event event = std::move(m_queue.front());
            m_queue.pop_front();
            Dispatch(event);
            continue;
        }
        if (!DispatchPendingTimer(round))
            break;
    }
}

void EventLoop::WaitForEvent(std::optional<uint32_t> maxWaitMs)
{
    PumpSources();
    if (!m_queue.empty() || m_terminated)
        return;
    uint64_t now = NowMs();
    std::optional<uint64_t> timeout;
    if (maxWaitMs)
        timeout = *maxWaitMs;
    for (const auto& [id, timer] : m_timers) {
        if (timer.pending)
            return;
    }
    if (!m_clock.IsVirtual()) {
        if (auto next = NextTimerDue()) {
            uint64_t untilDue = *next > now ? *next - now : 0;
            if (!timeout || untilDue < *timeout)
                timeout = untilDue;
        }
    }

    std::vector<pollfd> fds;
    if (m_wakeFd >= 0)
        fds.push_back({ m_wakeFd, POLLIN, 0 });
    bool sourceWithoutFd = false;
    for (IEventSource* source : m_sources) {
        int fd = source->WaitDescriptor();
        if (fd >= 0)
            fds.push_back({ fd, POLLIN, 0 });
        else
            sourceWithoutFd = true;
    }
    size_t firstWatched = fds.size();
    for (const auto& [fd, callback] : m_watched)
        fds.push_back({ fd, POLLIN, 0 });

    int waitMs = -1;
    if (timeout)
        waitMs = static_cast<int>(std::min<uint64_t>(*timeout, 0x7FFFFFFF));
    if (sourceWithoutFd && (waitMs < 0 || waitMs > SourcePollSliceMs))
        waitMs = SourcePollSliceMs;

    int ready = poll(fds.data(), fds.size(), waitMs);
    if (ready <= 0)
        return;
    if (m_wakeFd >= 0 && (fds[0].revents & POLLIN)) {
        uint64_t count;
        while (read(m_wakeFd, &count, sizeof count) > 0) {
        }
    }
    for (size_t i = firstWatched; i < fds.size(); ++i) {
        if (fds[i].revents == 0)
            continue;
        auto it = m_watched.find(fds[i].fd);
        if (it != m_watched.end()) {
            std::function<void()> callback = it->second;
            callback();
        }
    }
}

void EventLoop::Run()
{
    while (!m_terminated) {
        ProcessMessages();
        if (m_terminated)
            break;
        WaitForEvent();
    }
}

void EventLoop::Terminate()
{
    m_terminated = true;
    Wake();
}

void EventLoop::Advance(uint64_t ms)
{
    auto* clock = dynamic_cast<VirtualClock*>(&m_clock);
    if (!clock)
        return;
    uint64_t target = clock->NowMs() + ms;
    ProcessMessages();
    for (;;) {
        std::optional<uint64_t> next = NextTimerDue();
        if (!next || *next > target)
            break;
        clock->SetNow(*next);
        ProcessMessages();
    }
    clock->SetNow(target);
    ProcessMessages();
}

void EventLoop::AddSource(IEventSource* source)
{
    if (source && std::find(m_sources.begin(), m_sources.end(), source) == m_sources.end())
        m_sources.push_back(source);
}

void EventLoop::RemoveSource(IEventSource* source)
{
    std::erase(m_sources, source);
}

void EventLoop::WatchDescriptor(int fd, std::function<void()> onReady)
{
    if (fd >= 0 && onReady)
        m_watched[fd] = std::move(onReady);
}

void EventLoop::UnwatchDescriptor(int fd)
{
    m_watched.erase(fd);
}

void EventLoop::Wake()
{
    if (m_wakeFd >= 0) {
        uint64_t one = 1;
        ssize_t written = write(m_wakeFd, &one, sizeof one);
        (void)written;
    }
}

static EventLoop* g_current = nullptr;

EventLoop& CurrentEventLoop()
{
    if (g_current)
        return *g_current;
    static RealClock clock;
    static EventLoop loop(clock);
    return loop;
}

ScopedEventLoop::ScopedEventLoop(EventLoop& loop)
    : m_previous(g_current)
{
    g_current = &loop;
}

ScopedEventLoop::~ScopedEventLoop()
{
    g_current = m_previous;
}

uint32_t GetTickCount()
{
    return static_cast<uint32_t>(CurrentEventLoop().NowMs());
}

void ProcessMessages()
{
    CurrentEventLoop().ProcessMessages();
}

}
