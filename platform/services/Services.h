#pragma once

// What the parts of a program use of the computer: the machine prefix, the service that starts
// programs, the dialog channel and the event loop with its clock. The program makes one bundle at
// start and passes it down; tests make theirs from test doubles.

#include "platform/dialogs/Dialogs.h"
#include "platform/events/EventLoop.h"
#include "platform/machine/Machine.h"
#include "platform/process/Process.h"

#include <memory>

namespace platform {

struct Services {
    std::shared_ptr<Machine> machine;
    IProcessService& processes;
    Dialogs& dialogs;
    EventLoop& loop;

    // Timeouts and timestamps count on the loop's clock, so that a virtual one drives both.
    IClock& Clock() const { return loop.Clock(); }
};

}
