// SIGTERM as a request to end: noted, woken into the loop, answered once.

#include "platform/events/Clock.h"
#include "platform/events/EventLoop.h"
#include "platform/events/TerminationSignals.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

using namespace platform;

TEST(TerminationSignalsTest, ASignalWakesTheLoopAndIsAnsweredOnce)
{
    ASSERT_TRUE(InstallTerminationSignals());
    RealClock clock;
    EventLoop loop(clock);
    int answers = 0;
    TerminationWatch watch(loop, [&] {
        ++answers;
        loop.Terminate();
    });
    loop.ProcessMessages();
    EXPECT_FALSE(TerminationRequested());
    EXPECT_EQ(answers, 0);

    // From another thread while the loop sleeps without a timer: only the pipe can wake it.
    std::thread sender([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::raise(SIGTERM);
    });
    const auto start = std::chrono::steady_clock::now();
    loop.Run();
    sender.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(TerminationRequested());
    EXPECT_EQ(TerminationSignal(), SIGTERM);
    loop.ClearTerminated();
    loop.ProcessMessages();
    loop.WaitForEvent(50);
    loop.ProcessMessages();
    EXPECT_EQ(answers, 1);
}
