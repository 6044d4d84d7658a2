#pragma once

// What every program on this layer does around its main form: the host options
// (--headless, --script FILE, --screenshot FILE), the event loop on the right clock, the window
// backend (a desktop window, or none when there is no display or when asked), the dialog
// channel with the service that fits it, and the run itself (the script, or the message loop until the
// application terminates), with the screenshot taken at the end.
//
//     platform::HostOptions options = platform::TakeHostOptions(args);   // leaves the rest
//     platform::ProgramHost host(options, std::cerr);
//     if (!host.Ready()) return 1;
//     auto* form = new MyForm(&platform::Application(), host.NewWindow());
//     return host.Run(*form, std::cout, std::cerr);

#include "platform/components/Forms.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/events/EventLoop.h"
#include "platform/events/TerminationSignals.h"
#include "platform/process/Process.h"
#include "platform/types/Exception.h"

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class HostOptionError : public Exception {
public:
    using Exception::Exception;
};

struct HostOptions {
    bool headless = false;
    std::optional<std::filesystem::path> script;
    std::optional<std::filesystem::path> screenshot;
    // Milliseconds a run without a script lets pass before its screenshot, so that start-up
    // timers and fades have run (virtual when headless; on the desktop 2000 when 0).
    uint32_t settleMs = 0;
    // Colour depth of a headless window: 32, or 8 for a paletted display.
    int depth = 32;
    // Whole factor the desktop window is shown larger by; 0: the desktop's own scale.
    int scale = 0;
    // The desktop window fills the screen (F11 switches back and forth).
    bool fullscreen = false;
};

// Removes the host options from args (which keeps the program's own ones, in order).
// Raises HostOptionError for an option without its value.
HostOptions TakeHostOptions(std::vector<std::string>& args);

// The usage lines of the host options, for a program's help text.
const char* HostOptionsUsage();

class ProgramHost {
public:
    // Chooses the mode: a script always runs headless on the virtual clock; without a
    // display the program says so on `log` and runs headless only when a screenshot is asked.
    ProgramHost(const HostOptions& options, std::ostream& log);
    ~ProgramHost();
    ProgramHost(const ProgramHost&) = delete;
    ProgramHost& operator=(const ProgramHost&) = delete;

    // False when there is nothing the program can do (no display and no headless work).
    bool Ready() const { return m_ready; }
    bool Headless() const { return m_headless; }
    EventLoop& Loop() { return *m_loop; }
    // The headless answer queue (only in headless mode).
    HeadlessDialogs* Dialogs() { return m_headlessDialogs.get(); }
    // The channel every box of the program goes through.
    platform::Dialogs& DialogChannel() { return m_dialogs; }

    // The window for the main form: a desktop window, or a headless one.
    std::unique_ptr<IWindowBackend> NewWindow();

    // Runs the program on the form (shown first) and takes the screenshot; the exit status.
    // A desktop run with a screenshot ends once the screenshot is taken. A script waits for the
    // programs `programs` started (none: the program starts none).
    int Run(TForm& form, std::ostream& out, std::ostream& err, IProcessService* programs = nullptr);

private:
    bool WriteScreenshot(const TForm& form, std::ostream& err) const;
    bool WriteDesktopScreenshot(const TForm& form, std::ostream& err) const;

    HostOptions m_options;
    bool m_ready = false;
    bool m_headless = false;
    std::unique_ptr<IClock> m_clock;
    std::unique_ptr<EventLoop> m_loop;
    std::unique_ptr<ScopedEventLoop> m_scope;
    std::unique_ptr<TerminationWatch> m_termination;
    std::unique_ptr<HeadlessDialogs> m_headlessDialogs;
    std::unique_ptr<IDialogService> m_desktopDialogs;
    platform::Dialogs m_dialogs;
    class SdlWindow* m_desktopWindow = nullptr;
};

}
