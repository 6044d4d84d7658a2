#pragma once

// The program's services for a benchmark on a machine: the host's process service (nothing
// measured starts a program), boxes nobody answers, and the benchmark's own loop.

#include "platform/services/Services.h"

#include <memory>

struct BenchServices {
    BenchServices(std::shared_ptr<platform::Machine> machine, platform::EventLoop& loop)
        : processes(platform::MakeHostProcessService(machine))
        , services { std::move(machine), *processes, dialogs, loop }
    {
    }

    platform::Dialogs dialogs;
    std::shared_ptr<platform::IProcessService> processes;
    platform::Services services;
};
