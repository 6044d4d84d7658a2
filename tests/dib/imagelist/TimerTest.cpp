#include "dib/imagelist/cDIBTimer.h"

#include "platform/components/ClassBuilder.h"
#include "platform/components/Forms.h"
#include "platform/events/EventLoop.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

struct TimerRig {
    platform::VirtualClock clock;
    platform::EventLoop loop { clock };
    TDIBTimer timer { nullptr, loop };
    std::vector<uint64_t> ticks;

    void Count()
    {
        timer.SetOnTimer([this](platform::TObject* sender) {
            EXPECT_EQ(sender, &timer);
            ticks.push_back(loop.NowMs());
        });
    }
    // Whether the timer holds no window timer and nothing ticks for `ms`.
    bool SilentFor(uint64_t ms)
    {
        bool running = timer.Running();
        size_t before = ticks.size();
        loop.Advance(ms);
        return !running && ticks.size() == before;
    }
    // Counting ticks, enabled, every `interval`.
    void Start(uint32_t interval)
    {
        timer.SetInterval(interval);
        Count();
        timer.SetEnabled(true);
    }
};

}

TEST(DIBTimer, TicksEveryIntervalOnceEnabledWithAHandler)
{
    TimerRig rig;
    rig.Start(50);
    EXPECT_TRUE(rig.timer.Running());
    rig.loop.Advance(200);
    EXPECT_EQ(rig.ticks, (std::vector<uint64_t> { 50, 100, 150, 200 }));
    rig.timer.SetEnabled(false);
    EXPECT_FALSE(rig.timer.Running());
    EXPECT_EQ(rig.loop.TimerCount(), 0u);
    rig.loop.Advance(200);
    EXPECT_EQ(rig.ticks.size(), 4u);
}

TEST(DIBTimer, NeverTicksUnlessEnabledWithIntervalAndHandler)
{
    TimerRig rig;
    rig.Count();
    EXPECT_TRUE(rig.SilentFor(5000)) << "a new timer is off";
    rig.Start(0);
    EXPECT_TRUE(rig.timer.Enabled());
    EXPECT_TRUE(rig.SilentFor(3000));

    rig.timer.SetInterval(20);
    rig.timer.SetOnTimer({});
    EXPECT_TRUE(rig.SilentFor(100));
}

// Writing a value that is already there leaves the running interval alone; a new handler
// always restarts it.
TEST(DIBTimer, OnlyRealChangesRestartTheInterval)
{
    TimerRig rig;
    rig.Start(100);
    rig.loop.Advance(60);
    rig.timer.SetEnabled(true);
    rig.timer.SetInterval(100);
    rig.loop.Advance(40);
    EXPECT_EQ(rig.ticks, (std::vector<uint64_t> { 100 }));

    rig.loop.Advance(60); // now 160
    rig.Count();
    rig.loop.Advance(60);
    EXPECT_EQ(rig.ticks.size(), 1u) << "the tick due at 200 moved to 260";
    rig.loop.Advance(40);
    EXPECT_EQ(rig.ticks.back(), 260u);

    rig.timer.SetInterval(30);
    rig.loop.Advance(30);
    EXPECT_EQ(rig.ticks.back(), 290u);
}

// A timer destroyed, also by its own handler, leaves no window timer and never ticks again.
TEST(DIBTimer, DestructionStopsTheTicksEvenFromTheHandler)
{
    platform::VirtualClock clock;
    platform::EventLoop loop(clock);
    int ticks = 0;
    {
        TDIBTimer timer(nullptr, loop);
        timer.SetInterval(10);
        timer.SetOnTimer([&](platform::TObject*) { ++ticks; });
        timer.SetEnabled(true);
        loop.Advance(10);
    }
    auto* freesItself = new TDIBTimer(nullptr, loop);
    freesItself->SetInterval(10);
    freesItself->SetOnTimer([&](platform::TObject*) {
        ++ticks;
        platform::TComponent::Free(freesItself);
    });
    freesItself->SetEnabled(true);
    loop.Advance(100);
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(loop.TimerCount(), 0u);
}

TEST(DIBTimer, HandlerErrorsGoToTheApplicationAndTheTimerGoesOn)
{
    TimerRig rig;
    std::vector<std::string> reported;
    platform::Application().SetExceptionHandler([&](const std::exception& e) { reported.push_back(e.what()); });
    rig.timer.SetInterval(10);
    rig.timer.SetOnTimer([](platform::TObject*) { throw std::runtime_error("picture missing"); });
    rig.timer.SetEnabled(true);
    rig.loop.Advance(30);
    platform::Application().SetExceptionHandler({});
    EXPECT_EQ(reported, (std::vector<std::string>(3, "picture missing")));
    EXPECT_TRUE(rig.timer.Enabled());
}

// A layout binds OnTimer by name and sets Enabled while loading; the timer runs once loaded.
TEST(DIBTimer, LoadedFromALayoutStartsTicking)
{
    platform::VirtualClock clock;
    platform::EventLoop loop(clock);
    platform::ScopedEventLoop current(loop);
    int ticks = 0;
    platform::MethodTable methods;
    methods.Add<void(platform::TObject*)>("DIBTimer1Timer", [&](platform::TObject*) { ++ticks; });

    const platform::ClassInfo* cls = platform::FindClass("TDIBTimer");
    ASSERT_NE(cls, nullptr);
    platform::ComponentPtr<platform::TComponent> timer(cls->Create(nullptr));
    timer->BeginLoading();
    platform::SetPropertyValue(*timer, "Interval", platform::PropertyValue::Int(50));
    platform::SetPropertyValue(*timer, "Enabled", platform::PropertyValue::Ident("True"));
    ASSERT_TRUE(cls->FindProperty("OnTimer")->bind(*timer, &methods, "DIBTimer1Timer"));
    timer->Loaded();
    loop.Advance(100);
    EXPECT_EQ(ticks, 2);
}
