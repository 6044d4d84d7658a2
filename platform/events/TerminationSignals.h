#pragma once

// SIGTERM and SIGINT, as the desktop sends them at logout and the terminal at Ctrl+C, are a
// request to end the program the normal way: the handlers only note the signal and write a
// byte into a pipe, and the program's loops look at the note and wake on the pipe. A second
// signal of the kind while the first is still being answered ends the program at once, as if
// there were no handler.
//
//     platform::InstallTerminationSignals();              // once, first thing in main
//     platform::TerminationWatch watch(loop, [] { form.Close(); });

#include "platform/events/EventLoop.h"

#include <functional>

namespace platform {

// False when the handlers could not be installed.
bool InstallTerminationSignals();
// Whether a signal came since the handlers were installed.
bool TerminationRequested();
// The signal that came (SIGTERM or SIGINT), 0 before.
int TerminationSignal();

// Runs onRequest once, from the loop, after a signal came; the loop sleeps on the pipe meanwhile.
class TerminationWatch final : public IEventSource {
public:
    TerminationWatch(EventLoop& loop, std::function<void()> onRequest);
    ~TerminationWatch() override;
    TerminationWatch(const TerminationWatch&) = delete;
    TerminationWatch& operator=(const TerminationWatch&) = delete;

    void PumpEvents(EventLoop& loop) override;
    int WaitDescriptor() const override;

private:
    EventLoop& m_loop;
    std::function<void()> m_onRequest;
    bool m_answered = false;
};

}
