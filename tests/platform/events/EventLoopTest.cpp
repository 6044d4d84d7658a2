#include "platform/events/EventLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform;

namespace {

struct Fixture : ::testing::Test {
    VirtualClock clock;
    EventLoop loop { clock };
    std::vector<std::string> log;

    TimerId Logging(uint32_t interval, const std::string& name)
    {
        return loop.SetTimer(interval, [this, name] { log.push_back(name + "@" + std::to_string(clock.NowMs())); });
    }
};

using VirtualTimers = Fixture;

TEST_F(VirtualTimers, FireInOrderOfDueTimeWithReArm)
{
    Logging(30, "a");
    Logging(20, "b");
    loop.Advance(65);
    EXPECT_EQ(log, (std::vector<std::string> { "b@20", "a@30", "b@40", "a@60", "b@60" }));
    EXPECT_EQ(clock.NowMs(), 65u);
}

TEST_F(VirtualTimers, IntervalsBelowTheMinimumRunAtTheMinimum)
{
    Logging(0, "z");
    Logging(1, "o");
    loop.Advance(USER_TIMER_MINIMUM);
    EXPECT_EQ(log, (std::vector<std::string> { "z@10", "o@10" }));
}

TEST_F(VirtualTimers, NoHandlerIsRefusedAndWithoutTimersTimeJustMoves)
{
    EXPECT_EQ(loop.SetTimer(10, nullptr), 0u);
    EXPECT_EQ(loop.TimerCount(), 0u);
    loop.Advance(1234);
    EXPECT_EQ(clock.NowMs(), 1234u);
    EXPECT_FALSE(loop.NextTimerDue());
}

// A kill inside a handler also stops the pending message of the same round; a handler may
// kill its own timer.
TEST_F(VirtualTimers, HandlersMayKillOtherTimersAndThemselves)
{
    TimerId second = 0, self = 0;
    loop.SetTimer(10, [&] {
        log.push_back("first");
        loop.KillTimer(second);
    });
    second = Logging(10, "second");
    self = loop.SetTimer(10, [&] {
        log.push_back("once");
        loop.KillTimer(self);
    });
    loop.Advance(50);
    EXPECT_EQ(log, (std::vector<std::string> { "first", "once", "first", "first", "first", "first" }));
    EXPECT_FALSE(loop.HasTimer(second));
    EXPECT_EQ(loop.TimerCount(), 1u);
}

TEST_F(VirtualTimers, ATimerSetInAHandlerCountsFromThatMoment)
{
    loop.SetTimer(10, [&] {
        if (log.empty())
            Logging(25, "late");
        log.push_back("early@" + std::to_string(clock.NowMs()));
    });
    loop.Advance(40);
    EXPECT_EQ(log, (std::vector<std::string> { "early@10", "early@20", "early@30", "late@35", "early@40" }));
}

TEST_F(VirtualTimers, PostedEventsGoBeforeTimerMessages)
{
    Logging(10, "timer");
    clock.SetNow(10);
    loop.PostCallback([&] { log.push_back("posted"); });
    loop.ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string> { "posted", "timer@10" }));
}

// With the loop held up for several intervals the timer owes one message, not many.
TEST_F(VirtualTimers, OnePendingMessagePerTimerWhateverTheDelay)
{
    Logging(10, "t");
    clock.SetNow(95);
    loop.ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string> { "t@95" }));
    log.clear();
    // The next one is an interval after the late one, not at the missed grid points.
    loop.Advance(10);
    EXPECT_EQ(log, (std::vector<std::string> { "t@105" }));
}

TEST_F(VirtualTimers, ProcessMessagesInsideAHandlerDoesNotRunTheSameTimerTwice)
{
    int depth = 0;
    int calls = 0;
    loop.SetTimer(10, [&] {
        ++calls;
        ++depth;
        EXPECT_EQ(depth, 1);
        loop.ProcessMessages();
        --depth;
    });
    loop.Advance(30);
    EXPECT_EQ(calls, 3);
}

struct RecordingSink : IEventSink {
    std::vector<EventType> seen;
    void HandleEvent(const Event& e) override { seen.push_back(e.type); }
};

using EventQueue = Fixture;

TEST_F(EventQueue, EventsGoToTheirTargetOrTheDefaultSinkInOrder)
{
    RecordingSink a, fallback;
    loop.SetDefaultSink(&fallback);
    loop.Post({ .type = EventType::MouseDown, .target = &a });
    loop.Post({ .type = EventType::KeyDown });
    loop.ProcessMessages();
    EXPECT_EQ(a.seen, std::vector<EventType> { EventType::MouseDown });
    EXPECT_EQ(fallback.seen, std::vector<EventType> { EventType::KeyDown });
}

TEST_F(EventQueue, DiscardDropsOnlyThatSinksEvents)
{
    RecordingSink a, b;
    loop.Post({ .type = EventType::Paint, .target = &a });
    loop.Post({ .type = EventType::Paint, .target = &b });
    loop.DiscardEventsFor(&a);
    loop.ProcessMessages();
    EXPECT_TRUE(a.seen.empty());
    EXPECT_EQ(b.seen.size(), 1u);
}

struct CountingSource : IEventSource {
    int pumps = 0;
    void PumpEvents(EventLoop& loop) override
    {
        if (++pumps == 1)
            loop.PostCallback([] {});
    }
};

TEST_F(EventQueue, SourcesArePumpedBeforeDispatch)
{
    CountingSource source;
    loop.AddSource(&source);
    loop.ProcessMessages();
    EXPECT_GE(source.pumps, 1);
    EXPECT_EQ(loop.PendingCount(), 0u);
    loop.RemoveSource(&source);
}

// The real clock sleeps until the timer is due instead of spinning, and Wake ends a wait.
TEST(RealClockLoop, WaitSleepsUntilTheNextTimer)
{
    RealClock clock;
    EventLoop loop(clock);
    bool fired = false;
    loop.SetTimer(30, [&] {
        fired = true;
        loop.Terminate();
    });
    uint64_t start = clock.NowMs();
    loop.Run();
    EXPECT_TRUE(fired);
    EXPECT_GE(clock.NowMs() - start, 30u);
}

TEST(RealClockLoop, WakeEndsAWaitEarly)
{
    RealClock clock;
    EventLoop loop(clock);
    loop.Wake();
    uint64_t start = clock.NowMs();
    loop.WaitForEvent(5000);
    EXPECT_LT(clock.NowMs() - start, 1000u);
}

}
