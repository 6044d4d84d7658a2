#include "platform/window/SdlDialogs.h"

#include "platform/components/Forms.h"
#include "platform/events/TerminationSignals.h"
#include "platform/text/Codepage.h"
#include "platform/window/BoxWindow.h"
#include "platform/window/SdlWindow.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <set>
#include <unistd.h>
#include <string>
#include <thread>
#include <vector>

namespace platform {

namespace {

constexpr size_t kBoxLineLength = 72;

// Errors on the watcher's own connection (a window of another program gone between two
// requests) are expected and ignored; everything else goes to the handler that was there.
Display* g_watcherDisplay = nullptr;
XErrorHandler g_previousHandler = nullptr;

int IgnoreWatcherErrors(Display* display, XErrorEvent* error)
{
    if (display == g_watcherDisplay)
        return 0;
    return g_previousHandler ? g_previousHandler(display, error) : 0;
}

// SDL's boxes carry no class and land off the window they belong to. While a box is up, a
// watcher on a connection of its own finds it (the window that names the owner as the one it
// belongs to), gives it the owner's class and centres it over the owner. A box without an owner
// (shown before the main window exists) is found by its title and given the program's class. SDL shows the box
// from a child process it forks: the watcher's thread must hold no lock of Xlib's shared
// state then, so the connection is opened and closed, and the error handler set, on the
// calling thread.
class BoxPlacer {
public:
    BoxPlacer(SDL_Window* owner, const std::string& titleUtf8)
        : m_title(titleUtf8)
    {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (owner) {
            if (!SDL_GetWindowWMInfo(owner, &info) || info.subsystem != SDL_SYSWM_X11)
                return;
            m_owner = info.info.x11.window;
        } else {
            const char* driver = SDL_GetCurrentVideoDriver();
            if (SdlWindow::ClassName().empty() || !driver || std::strcmp(driver, "x11") != 0)
                return;
        }
        m_display = XOpenDisplay(nullptr);
        if (!m_display)
            return;
        g_watcherDisplay = m_display;
        g_previousHandler = XSetErrorHandler(IgnoreWatcherErrors);
        m_thread = std::thread([this] { Place(); });
    }
    ~BoxPlacer()
    {
        m_done = true;
        if (m_thread.joinable())
            m_thread.join();
        if (!m_display)
            return;
        XSync(m_display, False);
        XSetErrorHandler(g_previousHandler);
        g_watcherDisplay = nullptr;
        XCloseDisplay(m_display);
    }
    BoxPlacer(const BoxPlacer&) = delete;
    BoxPlacer& operator=(const BoxPlacer&) = delete;

private:
    static constexpr auto Slice = std::chrono::milliseconds(5);
    static constexpr int MostSlices = 1000;

    void Place()
    {
        for (int slice = 0; slice < MostSlices && !m_done; ++slice) {
            if (::Window box = FindBox(m_display)) {
                Arrange(m_display, box);
                break;
            }
            std::this_thread::sleep_for(Slice);
        }
    }

    ::Window FindBox(Display* display) const
    {
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        ::Window found = 0;
        if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
            return 0;
        for (unsigned i = 0; i < count && !found; ++i) {
            if (!m_owner) {
                found = TitledWithoutClass(display, children[i]);
                continue;
            }
            ::Window candidate = TopClient(display, children[i]);
            ::Window owner = 0;
            XWindowAttributes attributes;
            if (candidate && XGetTransientForHint(display, candidate, &owner) && owner == m_owner
                && XGetWindowAttributes(display, candidate, &attributes) && attributes.map_state == IsViewable)
                found = candidate;
        }
        if (children)
            XFree(children);
        return found;
    }

    // A managed window sits in its manager's frame: the client is the child with WM_STATE or,
    // unmanaged, the top-level window itself.
    static ::Window TopClient(Display* display, ::Window top)
    {
        ::Window owner = 0;
        if (XGetTransientForHint(display, top, &owner))
            return top;
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        ::Window client = 0;
        if (XQueryTree(display, top, &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count && !client; ++i)
                if (XGetTransientForHint(display, children[i], &owner))
                    client = children[i];
        }
        if (children)
            XFree(children);
        return client;
    }

    // The viewable window titled as the box that has no class yet: the top-level one or, in a
    // manager's frame, its child.
    ::Window TitledWithoutClass(Display* display, ::Window top) const
    {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, top, &attributes) || attributes.map_state != IsViewable)
            return 0;
        std::vector<::Window> candidates { top };
        ::Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display, top, &root, &parent, &children, &count) && children)
            candidates.insert(candidates.end(), children, children + count);
        if (children)
            XFree(children);
        for (::Window candidate : candidates) {
            XTextProperty name {};
            bool titled = false;
            if (XGetWMName(display, candidate, &name) && name.value) {
                titled = std::string(reinterpret_cast<const char*>(name.value), name.nitems) == m_title;
                XFree(name.value);
            }
            XClassHint existing {};
            if (!titled)
                continue;
            if (XGetClassHint(display, candidate, &existing)) {
                XFree(existing.res_name);
                XFree(existing.res_class);
                continue;
            }
            return candidate;
        }
        return 0;
    }

    void Arrange(Display* display, ::Window box) const
    {
        if (!m_owner) {
            std::string name = SdlWindow::ClassName();
            XClassHint programClass { name.data(), name.data() };
            XSetClassHint(display, box, &programClass);
            XFlush(display);
            return;
        }
        XClassHint ownerClass {};
        if (XGetClassHint(display, m_owner, &ownerClass)) {
            XSetClassHint(display, box, &ownerClass);
            XFree(ownerClass.res_name);
            XFree(ownerClass.res_class);
        }
        XWindowAttributes owner, shown;
        ::Window child = 0;
        int ownerX = 0, ownerY = 0;
        if (XGetWindowAttributes(display, m_owner, &owner) && XGetWindowAttributes(display, box, &shown)
            && XTranslateCoordinates(display, m_owner, DefaultRootWindow(display), 0, 0, &ownerX, &ownerY, &child))
            XMoveWindow(display, box, ownerX + (owner.width - shown.width) / 2, ownerY + (owner.height - shown.height) / 2);
        XFlush(display);
    }

    ::Window m_owner = 0;
    std::string m_title;
    Display* m_display = nullptr;
    std::atomic<bool> m_done { false };
    std::thread m_thread;
};

// A label as SDL's box shows it, which knows no marked letters: "&&" is one "&", a lone "&" goes.
std::string WithoutAccelerator(const std::string& label)
{
    std::string out;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '&' && i + 1 < label.size())
            ++i;
        else if (label[i] == '&')
            continue;
        out += label[i];
    }
    return out;
}

// SDL shows its box from a child process it forks and waits for, and takes up the wait again
// when a signal breaks it off. Once a signal asks the program to end, the box's process (a
// child of the calling thread that was not there before the box) is ended, so the wait returns.
class ForkedBoxEnder {
public:
    ForkedBoxEnder()
        : m_thread(gettid())
        , m_before(Children())
        , m_watch([this] { Watch(); })
    {
    }
    ~ForkedBoxEnder()
    {
        m_done = true;
        m_watch.join();
    }
    ForkedBoxEnder(const ForkedBoxEnder&) = delete;
    ForkedBoxEnder& operator=(const ForkedBoxEnder&) = delete;

private:
    static constexpr auto Slice = std::chrono::milliseconds(20);

    // Where the kernel keeps no such list, nothing is ended and the box waits for its answer.
    std::set<pid_t> Children() const
    {
        std::ifstream list("/proc/self/task/" + std::to_string(m_thread) + "/children");
        std::set<pid_t> children;
        pid_t child = 0;
        while (list >> child)
            children.insert(child);
        return children;
    }

    void Watch()
    {
        while (!m_done) {
            if (TerminationRequested()) {
                for (pid_t child : Children())
                    if (!m_before.count(child))
                        kill(child, SIGKILL);
                return;
            }
            std::this_thread::sleep_for(Slice);
        }
    }

    pid_t m_thread;
    std::set<pid_t> m_before;
    std::atomic<bool> m_done { false };
    std::thread m_watch;
};

// Shows the box; the pressed button's id, or `closed` when the box went away without one.
int Show(SDL_Window* owner, uint32_t flags, const std::string& caption, const std::string& text, const std::vector<SDL_MessageBoxButtonData>& buttons, int closed)
{
    std::string title = Cp1250ToUtf8(caption);
    // SDL's boxes do not wrap; a long question would run off the screen.
    std::string message = Cp1250ToUtf8(WrapBoxText(text, kBoxLineLength));
    SDL_MessageBoxData data {};
    data.flags = flags;
    data.window = owner;
    data.title = title.c_str();
    data.message = message.c_str();
    data.numbuttons = static_cast<int>(buttons.size());
    data.buttons = buttons.data();
    int pressed = -1;
    BoxPlacer placer(owner, title);
    ForkedBoxEnder ender;
    if (SDL_ShowMessageBox(&data, &pressed) != 0 || pressed < 0)
        return closed;
    return pressed;
}

}

// The box in the program's own window; SDL's desktop box only where that cannot be made.
int SdlDialogs::Present(const BoxContent& content, uint32_t fallbackFlags, const std::vector<int>& results, int closed)
{
    // A box asked after a signal asked the program to end is answered as closed, unseen.
    BoxOutcome outcome = RunBoxWindow(content, m_owner, TerminationRequested);
    if (outcome.shown)
        return outcome.answer >= 0 && outcome.answer < static_cast<int>(results.size()) ? results[size_t(outcome.answer)] : closed;
    std::vector<std::string> labels;
    for (const std::string& label : content.buttons)
        labels.push_back(Cp1250ToUtf8(WithoutAccelerator(label)));
    std::vector<SDL_MessageBoxButtonData> buttons;
    for (size_t i = 0; i < labels.size(); ++i) {
        uint32_t flags = 0;
        if (i == 0)
            flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        if (results[i] == closed)
            flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        buttons.push_back({ flags, results[i], labels[i].c_str() });
    }
    SDL_Window* owner = m_owner ? m_owner->Handle() : nullptr;
    return Show(owner, fallbackFlags, content.caption, content.text, buttons, closed);
}

int SdlDialogs::ShowMessageBox(const MessageBoxRequest& request)
{
    switch (request.kind) {
    case MessageBoxKind::Question:
        return Present({ BoxSign::Question, request.caption, request.text, { "&Ano", "&Ne" } },
            SDL_MESSAGEBOX_WARNING | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT, { mrYes, mrNo }, mrNo);
    case MessageBoxKind::Error:
        return Present({ BoxSign::Stop, request.caption, request.text, { "OK" } }, SDL_MESSAGEBOX_ERROR, { mrOk }, mrOk);
    case MessageBoxKind::Plain:
        break;
    }
    return Present({ BoxSign::Plain, request.caption, request.text, { "OK" } }, SDL_MESSAGEBOX_INFORMATION, { mrOk }, mrOk);
}

int SdlDialogs::ShowChoiceDialog(const ChoiceDialogRequest& request)
{
    if (request.labels.empty())
        return mrCancel;
    std::vector<int> results;
    for (size_t i = 0; i < request.labels.size(); ++i)
        results.push_back(ChoiceResultBase + static_cast<int>(i));
    return Present({ BoxSign::Question, request.caption, request.question, request.labels },
        SDL_MESSAGEBOX_INFORMATION | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT, results, mrCancel);
}

}
