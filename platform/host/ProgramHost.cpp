#include "platform/host/ProgramHost.h"

#include "platform/events/Clock.h"
#include "platform/picture/Picture.h"
#include "platform/script/ScriptRunner.h"
#include "platform/window/HeadlessWindow.h"
#include "platform/window/SdlDialogs.h"
#include "platform/window/SdlWindow.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>

namespace platform {

namespace {

std::string TakeValue(std::vector<std::string>& args, size_t at)
{
    if (at + 1 >= args.size())
        throw HostOptionError(args[at] + " needs a value");
    std::string value = args[at + 1];
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(at), args.begin() + static_cast<std::ptrdiff_t>(at) + 2);
    return value;
}

bool ReadText(const std::filesystem::path& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

}

HostOptions TakeHostOptions(std::vector<std::string>& args)
{
    HostOptions options;
    for (size_t i = 0; i < args.size();) {
        if (args[i] == "--headless") {
            options.headless = true;
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
        } else if (args[i] == "--fullscreen") {
            options.fullscreen = true;
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
        } else if (args[i] == "--script") {
            options.script = TakeValue(args, i);
        } else if (args[i] == "--screenshot") {
            options.screenshot = TakeValue(args, i);
        } else if (args[i] == "--settle") {
            std::string value = TakeValue(args, i);
            char* end = nullptr;
            unsigned long ms = std::strtoul(value.c_str(), &end, 10);
            if (value.empty() || *end || ms > 600000)
                throw HostOptionError("--settle needs milliseconds (0 to 600000), not '" + value + "'");
            options.settleMs = static_cast<uint32_t>(ms);
        } else if (args[i] == "--scale") {
            std::string value = TakeValue(args, i);
            if (value.size() != 1 || value[0] < '1' || value[0] > '8')
                throw HostOptionError("--scale takes a whole factor from 1 to 8, not '" + value + "'");
            options.scale = value[0] - '0';
        } else if (args[i] == "--depth") {
            std::string value = TakeValue(args, i);
            if (value != "8" && value != "32")
                throw HostOptionError("--depth takes 8 or 32, not '" + value + "'");
            options.depth = std::stoi(value);
        } else {
            ++i;
        }
    }
    return options;
}

const char* HostOptionsUsage()
{
    return "  --headless           run without a window, on the virtual clock\n"
           "  --script FILE        run a test script against the window (implies --headless)\n"
           "  --screenshot FILE    save the window's picture as PNG when the run ends\n"
           "  --settle MS          let MS milliseconds pass before the screenshot\n"
           "  --depth 8|32         colour depth of the headless window (8: a paletted display)\n"
           "  --scale N            show the window N times larger, pixel for pixel (default: the\n"
           "                       desktop's scale, from GDK_SCALE, Xft.dpi or the display)\n"
           "  --fullscreen         fill the screen, the window centred at the largest whole factor\n"
           "                       that fits (F11 switches back and forth)\n";
}

ProgramHost::ProgramHost(const HostOptions& options, std::ostream& log)
    : m_options(options)
{
    m_headless = options.headless || options.script;
    if (!m_headless && !SdlWindow::DisplayAvailable()) {
        log << "no display is available";
        if (!options.screenshot) {
            log << "; use --headless with --screenshot or --script to run without one\n";
            return;
        }
        log << "; rendering headless for the screenshot\n";
        m_headless = true;
    }
    if (m_headless)
        m_clock = std::make_unique<VirtualClock>();
    else
        m_clock = std::make_unique<RealClock>();
    m_loop = std::make_unique<EventLoop>(*m_clock);
    m_scope = std::make_unique<ScopedEventLoop>(*m_loop);
    // SIGTERM or SIGINT closes the main form as its quit button does: the normal way out.
    m_termination = std::make_unique<TerminationWatch>(*m_loop, [this] {
        if (TForm* main = Application().MainForm(); main && main->Visible())
            main->Close();
        else
            m_loop->Terminate();
    });
    if (m_headless) {
        m_headlessDialogs = std::make_unique<HeadlessDialogs>();
        m_dialogs.SetService(m_headlessDialogs.get());
    }
    m_ready = true;
}

ProgramHost::~ProgramHost() = default;

std::unique_ptr<IWindowBackend> ProgramHost::NewWindow()
{
    if (m_headless)
        return std::make_unique<HeadlessWindow>(*m_loop, TSize { 1024, 768 }, m_options.depth);
    auto window = std::make_unique<SdlWindow>(*m_loop, m_options.scale, m_options.fullscreen);
    if (!m_desktopDialogs) {
        m_desktopWindow = window.get();
        m_desktopDialogs = std::make_unique<SdlDialogs>(window.get());
        m_dialogs.SetService(m_desktopDialogs.get());
    }
    return window;
}

int ProgramHost::Run(TForm& form, std::ostream& out, std::ostream& err, IProcessService* programs)
{
    int status = 0;
    form.Show();
    m_loop->ProcessMessages();
    if (m_options.script) {
        std::string text;
        if (!ReadText(*m_options.script, text)) {
            err << m_options.script->string() << ": cannot read the script\n";
            return 1;
        }
        ScriptRunner runner(form, *m_loop, *m_headlessDialogs, out, programs);
        status = runner.Run(text, m_options.script->filename().string(), err);
        if (status == 0 && !m_headlessDialogs->Failure().empty()) {
            err << m_options.script->filename().string() << ": " << m_headlessDialogs->Failure() << "\n";
            status = 1;
        }
    } else if (m_headless) {
        if (m_options.settleMs)
            m_loop->Advance(m_options.settleMs);
        m_loop->ProcessMessages();
    } else if (m_options.screenshot) {
        // On the desktop the screenshot is what the display shows, outline included, once
        // start-up has settled; the run ends there.
        bool written = false;
        m_loop->SetTimer(m_options.settleMs ? m_options.settleMs : 2000, [&] {
            written = WriteDesktopScreenshot(form, err);
            m_loop->Terminate();
        });
        m_loop->Run();
        return written ? 0 : 1;
    } else {
        m_loop->Run();
        return 0;
    }
    if (m_options.screenshot && !WriteScreenshot(form, err))
        status = 1;
    return status;
}

bool ProgramHost::WriteDesktopScreenshot(const TForm& form, std::ostream& err) const
{
    std::vector<uint8_t> png;
    if (m_desktopWindow)
        png = m_desktopWindow->CaptureShownPng({ form.Width(), form.Height() });
    if (png.empty())
        return WriteScreenshot(form, err);
    try {
        WritePictureFile(*m_options.screenshot, png);
        return true;
    } catch (const std::exception& e) {
        err << m_options.screenshot->string() << ": " << e.what() << "\n";
        return false;
    }
}

bool ProgramHost::WriteScreenshot(const TForm& form, std::ostream& err) const
{
    try {
        WriteSurfacePng(ScreenshotPicture(form.Window(), form.Surface()), *m_options.screenshot);
        return true;
    } catch (const std::exception& e) {
        err << m_options.screenshot->string() << ": " << e.what() << "\n";
        return false;
    }
}

}
