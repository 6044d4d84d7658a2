#include "platform/events/TerminationSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

volatile std::sig_atomic_t g_signal = 0;
int g_pipe[2] = { -1, -1 };

void NoteSignal(int signal)
{
    if (g_signal != 0) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    g_signal = signal;
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] ssize_t written = write(g_pipe[1], &byte, 1);
    errno = saved;
}

void Drain()
{
    char bytes[64];
    while (read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
}

}

bool InstallTerminationSignals()
{
    static const bool installed = [] {
        if (pipe2(g_pipe, O_NONBLOCK | O_CLOEXEC) != 0)
            return false;
        struct sigaction action {};
        action.sa_handler = NoteSignal;
        sigemptyset(&action.sa_mask);
        // No SA_RESTART: a wait in a system call returns, so whoever waits looks at the note.
        action.sa_flags = 0;
        return sigaction(SIGTERM, &action, nullptr) == 0 && sigaction(SIGINT, &action, nullptr) == 0;
    }();
    return installed;
}

bool TerminationRequested()
{
    return g_signal != 0;
}

int TerminationSignal()
{
    return g_signal;
}

TerminationWatch::TerminationWatch(EventLoop& loop, std::function<void()> onRequest)
    : m_loop(loop)
    , m_onRequest(std::move(onRequest))
{
    // Without the handlers no signal is ever noted, and there is no pipe to sleep on.
    if (g_pipe[0] >= 0)
        m_loop.AddSource(this);
}

TerminationWatch::~TerminationWatch()
{
    if (g_pipe[0] >= 0 && EventLoop::Alive(&m_loop))
        m_loop.RemoveSource(this);
}

void TerminationWatch::PumpEvents(EventLoop& loop)
{
    Drain();
    if (m_answered || !TerminationRequested())
        return;
    m_answered = true;
    loop.PostCallback(m_onRequest);
}

int TerminationWatch::WaitDescriptor() const
{
    return g_pipe[0];
}

}
