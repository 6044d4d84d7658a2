#pragma once

// A program's services made of test doubles: programs recorded instead of run, boxes recorded
// and answered from a queue, timers on a virtual clock that is also the components' loop.

#include "platform/events/Clock.h"
#include "platform/events/EventLoop.h"
#include "platform/services/Services.h"
#include "tests/support/RecordingProcessService.h"
#include "tests/support/RecordingUserInterface.h"

#include <memory>

namespace torva::test {

struct TestServices {
    TestServices()
        : recorder(std::make_shared<platform::RecordingProcessService>())
        , services { nullptr, *recorder, channel, loop }
    {
    }
    explicit TestServices(std::shared_ptr<platform::Machine> machine)
        : TestServices()
    {
        UseMachine(std::move(machine));
    }
    // The machine the services and the recorded starts work on.
    void UseMachine(std::shared_ptr<platform::Machine> machine)
    {
        recorder->SetMachine(machine);
        services.machine = std::move(machine);
    }

    RecordingDialogs boxes;
    platform::Dialogs channel { boxes };
    platform::VirtualClock clock;
    platform::EventLoop loop { clock };
    platform::ScopedEventLoop currentLoop { loop };
    std::shared_ptr<platform::RecordingProcessService> recorder;
    platform::Services services;
};

}
