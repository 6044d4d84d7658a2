#include "platform/window/SdlWindow.h"

#include "platform/picture/Picture.h"
#include "platform/text/Codepage.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <tuple>
#include <utility>

// SDL loads the desktop session bus library, which keeps a buffer until the process ends. The
// leak checker of sanitizer builds is told so, for every program with a desktop window.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}

namespace platform {

namespace {

// Every window of the process: SDL's queue is one for all of them, and whichever pumps it first
// hands each input event to the window it belongs to.
std::vector<SdlWindow*>& OpenWindows()
{
    static std::vector<SdlWindow*> windows;
    return windows;
}

// The window an input event names; 0 for one without a window (a pad's, the quit request).
uint32_t EventWindowId(const SDL_Event& sdl)
{
    switch (sdl.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: return sdl.key.windowID;
    case SDL_TEXTINPUT: return sdl.text.windowID;
    case SDL_MOUSEMOTION: return sdl.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return sdl.button.windowID;
    case SDL_MOUSEWHEEL: return sdl.wheel.windowID;
    default: return 0;
    }
}

// The drag loop of a system move looks at the pointer this often.
constexpr uint32_t MoveLoopSliceMs = 10;
constexpr int VideoInitAttempts = 5;
constexpr uint32_t VideoInitRetryMs = 50;

std::string& ClassNameSetting()
{
    static std::string name;
    return name;
}

// Drivers that open no window anyone can see; with one of them there is no display.
bool InvisibleDriver(const char* driver)
{
    return !driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}

// SDL's video is started once for the process and stays up: connecting to the display again and
// again is slow and, under a virtual display, now and then fails and lands on a driver without
// windows, so a failed attempt is retried a few times.
bool AcquireVideo()
{
    static int state = 0; // 0 not tried, 1 up, -1 unavailable
    if (state != 0)
        return state > 0;
    // The boxes' watcher speaks to the X server from a thread of its own; Xlib's locks have to
    // be in place before the first connection, or a lock taken before they are may never be
    // given back.
    XInitThreads();
    // An accelerated window surface makes SDL recreate the X window behind our back, which
    // drops the outline set on it; the plain shared-memory surface keeps the window.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint("SDL_SHUTDOWN_DBUS_ON_QUIT", "1");
    // SIGTERM and SIGINT are the program's own (TerminationSignals), not a quit event of SDL's.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // SDL names its windows' class once, when the video starts.
    if (!ClassNameSetting().empty())
        SDL_SetHint("SDL_VIDEO_X11_WMCLASS", ClassNameSetting().c_str());
    for (int attempt = 0; attempt < VideoInitAttempts && state == 0; ++attempt) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
            if (!InvisibleDriver(SDL_GetCurrentVideoDriver())) {
                state = 1;
                std::atexit(SDL_Quit);
                break;
            }
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
        SDL_Delay(VideoInitRetryMs);
    }
    if (state == 0)
        state = -1;
    return state > 0;
}

// The game-controller part comes up beside the video, once; without it pads are ignored.
bool AcquirePads()
{
    static const bool up = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    return up;
}

bool PadControlOf(uint8_t button, PadControl& control)
{
    switch (button) {
    case SDL_CONTROLLER_BUTTON_A: control = PadControl::A; return true;
    case SDL_CONTROLLER_BUTTON_B: control = PadControl::B; return true;
    case SDL_CONTROLLER_BUTTON_START: control = PadControl::Start; return true;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: control = PadControl::LeftShoulder; return true;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: control = PadControl::RightShoulder; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: control = PadControl::DpadUp; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: control = PadControl::DpadDown; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: control = PadControl::DpadLeft; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: control = PadControl::DpadRight; return true;
    default: return false;
    }
}

bool PadAxisOf(uint8_t axis, PadAxis& padAxis)
{
    switch (axis) {
    case SDL_CONTROLLER_AXIS_LEFTX: padAxis = PadAxis::LeftX; return true;
    case SDL_CONTROLLER_AXIS_LEFTY: padAxis = PadAxis::LeftY; return true;
    case SDL_CONTROLLER_AXIS_TRIGGERLEFT: padAxis = PadAxis::LeftTrigger; return true;
    case SDL_CONTROLLER_AXIS_TRIGGERRIGHT: padAxis = PadAxis::RightTrigger; return true;
    default: return false;
    }
}

// Keys whose press also types a character, as the window system's translation gives it.
char TypedControlChar(uint16_t virtualKey)
{
    switch (virtualKey) {
    case VK_BACK: return '\b';
    case VK_TAB: return '\t';
    case VK_RETURN: return '\r';
    case VK_ESCAPE: return '\x1B';
    default: return 0;
    }
}

// The shift state of the bits of `state` that `table` names.
TShiftState ShiftOf(uint32_t state, std::initializer_list<std::pair<uint32_t, TShiftState>> table)
{
    TShiftState shift = 0;
    for (auto [bit, flag] : table) {
        if (state & bit)
            shift |= flag;
    }
    return shift;
}

TShiftState Modifiers()
{
    return ShiftOf(SDL_GetModState(), { { KMOD_SHIFT, ssShift }, { KMOD_CTRL, ssCtrl }, { KMOD_ALT, ssAlt } });
}

TShiftState Buttons(uint32_t state)
{
    return ShiftOf(state, { { SDL_BUTTON_LMASK, ssLeft }, { SDL_BUTTON_RMASK, ssRight }, { SDL_BUTTON_MMASK, ssMiddle } });
}

bool Button(uint8_t sdlButton, TMouseButton& button)
{
    switch (sdlButton) {
    case SDL_BUTTON_LEFT: button = TMouseButton::mbLeft; return true;
    case SDL_BUTTON_RIGHT: button = TMouseButton::mbRight; return true;
    case SDL_BUTTON_MIDDLE: button = TMouseButton::mbMiddle; return true;
    default: return false;
    }
}

SDL_SystemCursor SystemCursor(TCursor cursor)
{
    switch (cursor) {
    case crHourGlass: return SDL_SYSTEM_CURSOR_WAIT;
    case crHandPoint: return SDL_SYSTEM_CURSOR_HAND;
    case crIBeam: return SDL_SYSTEM_CURSOR_IBEAM;
    case crCross: return SDL_SYSTEM_CURSOR_CROSSHAIR;
    default: return SDL_SYSTEM_CURSOR_ARROW;
    }
}

struct X11Handles {
    Display* display = nullptr;
    ::Window window = 0;
};

// Xft.dpi from the X resources, as desktops publish their scale there; 0 when not set.
double ResourceDpi(Display* display)
{
    const char* resources = display ? XResourceManagerString(display) : nullptr;
    if (!resources)
        return 0;
    const char* at = std::strstr(resources, "Xft.dpi:");
    return at ? std::atof(at + std::strlen("Xft.dpi:")) : 0;
}

// The factor for a density: whole steps of the usual 96 dots per inch, never below 1.
int ScaleForDpi(double dpi)
{
    return std::clamp(static_cast<int>(dpi / 96.0 + 0.01), 1, 8);
}

// The desktop's scale: GDK_SCALE as the toolkits take it, else the X resources' Xft.dpi, else
// the density SDL reports for the display.
int DesktopScale(Display* display)
{
    if (const char* gdk = std::getenv("GDK_SCALE")) {
        int factor = std::atoi(gdk);
        if (factor >= 1 && factor <= 8)
            return factor;
    }
    if (double dpi = ResourceDpi(display); dpi > 0)
        return ScaleForDpi(dpi);
    float displayDpi = 0;
    if (SDL_GetDisplayDPI(0, &displayDpi, nullptr, nullptr) == 0 && displayDpi > 0)
        return ScaleForDpi(displayDpi);
    return 1;
}

// Whether a running window manager says it moves windows on request (_NET_WM_MOVERESIZE):
// its check window names itself, and the atom is in its list of supported ones.
bool ManagerSupports(Display* display, const char* feature)
{
    ::Window root = DefaultRootWindow(display);
    auto windowProperty = [&](::Window of, Atom property) -> ::Window {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        ::Window value = 0;
        if (XGetWindowProperty(display, of, property, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data) == Success
            && data && count == 1 && format == 32)
            value = *reinterpret_cast<::Window*>(data);
        if (data)
            XFree(data);
        return value;
    };
    Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    ::Window manager = windowProperty(root, check);
    if (!manager || windowProperty(manager, check) != manager)
        return false;
    Atom wanted = XInternAtom(display, feature, False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(display, root, XInternAtom(display, "_NET_SUPPORTED", False), 0, 4096, False, XA_ATOM, &type, &format,
            &count, &after, &data)
            == Success
        && data && format == 32) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        found = std::find(atoms, atoms + count, wanted) != atoms + count;
    }
    if (data)
        XFree(data);
    return found;
}

// A request to the window manager about the window, as the root window's client message.
void AskManager(const X11Handles& x11, const char* request, std::array<long, 5> data)
{
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = x11.window;
    event.xclient.message_type = XInternAtom(x11.display, request, False);
    event.xclient.format = 32;
    std::copy(data.begin(), data.end(), event.xclient.data.l);
    XSendEvent(x11.display, DefaultRootWindow(x11.display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(x11.display);
}

X11Handles X11Of(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return {};
    return { info.info.x11.display, info.info.x11.window };
}

}

uint16_t SdlVirtualKey(int32_t key)
{
    if (key >= SDLK_a && key <= SDLK_z)
        return static_cast<uint16_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9)
        return static_cast<uint16_t>('0' + (key - SDLK_0));
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return static_cast<uint16_t>(VK_F1 + (key - SDLK_F1));
    switch (key) {
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    default: return 0;
    }
}

int SdlDesktopScale(SDL_Window* window)
{
    return DesktopScale(X11Of(window).display);
}

void PresentScaled(SDL_Surface* surface, const PixelView& pixels, const TRect& r, int n, TPoint offset, std::vector<uint32_t>& scaledRow)
{
    auto* base = static_cast<uint8_t*>(surface->pixels);
    uint32_t format = surface->format->format;
    bool sameLayout = format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888;
    const int width = r.Width() * n;
    for (int y = r.Top; y < r.Bottom; ++y) {
        const uint32_t* src = pixels.Row(y) + r.Left;
        // Nearest neighbour: each pixel becomes an n by n square, so the artwork stays crisp.
        if (n > 1) {
            scaledRow.resize(static_cast<size_t>(width));
            for (int x = 0; x < r.Width(); ++x)
                std::fill_n(scaledRow.begin() + x * n, n, src[x]);
            src = scaledRow.data();
        }
        for (int copy = 0; copy < n; ++copy) {
            uint8_t* dst = base + static_cast<ptrdiff_t>(offset.Y + y * n + copy) * surface->pitch
                + static_cast<ptrdiff_t>(offset.X + r.Left * n) * surface->format->BytesPerPixel;
            if (sameLayout)
                std::memcpy(dst, src, static_cast<size_t>(width) * 4);
            else
                SDL_ConvertPixels(width, 1, SDL_PIXELFORMAT_RGB888, src, width * 4, format, dst, surface->pitch);
        }
    }
}

bool SdlWindow::DisplayAvailable()
{
    return AcquireVideo() && SDL_GetNumVideoDisplays() > 0;
}

void SdlWindow::SetClassName(const std::string& name)
{
    ClassNameSetting() = name;
}

const std::string& SdlWindow::ClassName()
{
    return ClassNameSetting();
}

void SdlWindow::GiveClassName(SDL_Window* window)
{
    X11Handles x11 = X11Of(window);
    std::string name = ClassNameSetting();
    if (!x11.display || name.empty())
        return;
    XClassHint hint { name.data(), name.data() };
    XSetClassHint(x11.display, x11.window, &hint);
}

SdlWindow::SdlWindow(EventLoop& loop, int scale, bool fullscreen)
    : m_loop(loop)
    , m_scale(std::clamp(scale, 1, 8))
    , m_desktopScale(scale == 0)
    , m_fullscreenAtShow(fullscreen)
{
    if (!AcquireVideo())
        throw Exception(std::string("no display for the window: ") + SDL_GetError());
    m_window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1, 1, SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    if (!m_window)
        throw Exception(std::string("cannot create the window: ") + SDL_GetError());
    // Whatever SDL does to the window for its surface happens now, before it gets an outline.
    SDL_GetWindowSurface(m_window);
    // SDL marks the window as belonging to the root window; taskbars then leave it out. The
    // menu is a main window of its own.
    if (auto x11 = X11Of(m_window); x11.display)
        XDeleteProperty(x11.display, x11.window, XA_WM_TRANSIENT_FOR);
    GiveClassName(m_window);
    if (m_desktopScale)
        m_scale = DesktopScale(X11Of(m_window).display);
    SDL_StartTextInput();
    // Pads plugged in before the window are opened now; later ones announce themselves.
    if (AcquirePads())
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            OpenPad(i);
    m_loop.AddSource(this);
    OpenWindows().push_back(this);
}

SdlWindow::~SdlWindow()
{
    std::erase(OpenWindows(), this);
    m_loop.RemoveSource(this);
    for (auto& [instance, pad] : m_pads)
        SDL_GameControllerClose(pad.controller);
    for (auto& [id, cursor] : m_cursors)
        SDL_FreeCursor(cursor);
    SDL_DestroyWindow(m_window);
}

uint32_t SdlWindow::WindowId() const
{
    return SDL_GetWindowID(m_window);
}

int SdlWindow::Logical(int pixels) const
{
    return pixels >= 0 ? pixels / m_scale : -((-pixels + m_scale - 1) / m_scale);
}

TPoint SdlWindow::ClientPoint(int x, int y) const
{
    return { Logical(x - m_offset.X), Logical(y - m_offset.Y) };
}

std::pair<int, int> SdlWindow::ClientXY(int x, int y) const
{
    const TPoint at = ClientPoint(x, y);
    return { at.X, at.Y };
}

void SdlWindow::SetClientSize(int width, int height)
{
    width = std::max(1, width);
    height = std::max(1, height);
    m_clientSize = { width, height };
    if (m_fullscreen) {
        LayOutFullscreen();
        return;
    }
    // The desktop's factor gives way to the screen: the whole window stays on it.
    if (m_desktopScale && !m_visible) {
        SDL_DisplayMode mode;
        if (SDL_GetDesktopDisplayMode(std::max(0, SDL_GetWindowDisplayIndex(m_window)), &mode) == 0)
            while (m_scale > 1 && (width * m_scale > mode.w || height * m_scale > mode.h))
                --m_scale;
    }
    SDL_SetWindowSize(m_window, width * m_scale, height * m_scale);
}

TSize SdlWindow::ClientSize() const
{
    if (m_fullscreen)
        return m_clientSize;
    int w = 0, h = 0;
    SDL_GetWindowSize(m_window, &w, &h);
    return { w / m_scale, h / m_scale };
}

// While fullscreen the form keeps the place it would have as a window: it gets it back after,
// and its screen coordinates (its place plus the client ones) stay consistent meanwhile.
void SdlWindow::SetPosition(int left, int top)
{
    if (m_fullscreen) {
        m_windowedPlace = { left * m_windowedScale, top * m_windowedScale };
        return;
    }
    SDL_SetWindowPosition(m_window, left * m_scale, top * m_scale);
}

TPoint SdlWindow::Position() const
{
    if (m_fullscreen)
        return { m_windowedPlace.X / m_windowedScale, m_windowedPlace.Y / m_windowedScale };
    int x = 0, y = 0;
    SDL_GetWindowPosition(m_window, &x, &y);
    return { Logical(x), Logical(y) };
}

void SdlWindow::SetCaption(const std::string& caption)
{
    SDL_SetWindowTitle(m_window, Cp1250ToUtf8(caption).c_str());
}

void SdlWindow::Show()
{
    if (m_visible)
        return;
    if (m_fullscreenAtShow) {
        m_fullscreenAtShow = false;
        SetFullscreen(true);
    }
    SDL_ShowWindow(m_window);
    m_visible = true;
    // The outline can only be set on a mapped window.
    if (auto x11 = X11Of(m_window); x11.display)
        XSync(x11.display, False);
    ApplyShape();
    if (m_fullscreen) {
        AskManagerForFullscreen(true);
        ClearBorders();
    }
}

void SdlWindow::SetFullscreen(bool fullscreen)
{
    if (fullscreen == m_fullscreen)
        return;
    if (fullscreen) {
        m_windowedScale = m_scale;
        SDL_GetWindowPosition(m_window, &m_windowedPlace.X, &m_windowedPlace.Y);
        m_fullscreen = true;
        LayOutFullscreen();
    } else {
        m_fullscreen = false;
        m_scale = m_windowedScale;
        m_offset = {};
        if (m_visible)
            AskManagerForFullscreen(false);
        SDL_SetWindowSize(m_window, m_clientSize.cx * m_scale, m_clientSize.cy * m_scale);
        SDL_SetWindowPosition(m_window, m_windowedPlace.X, m_windowedPlace.Y);
    }
    if (!m_visible)
        return;
    if (fullscreen)
        AskManagerForFullscreen(true);
    if (auto x11 = X11Of(m_window); x11.display)
        XSync(x11.display, False);
    ApplyShape();
    ClearBorders();
    PostTo(m_loop, { .type = EventType::Paint, .rect = { 0, 0, m_clientSize.cx, m_clientSize.cy } });
}

// The screen the window is on, the form centred on it at the largest whole factor that fits.
void SdlWindow::LayOutFullscreen()
{
    SDL_Rect bounds {};
    if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(m_window)), &bounds) != 0 || bounds.w <= 0 || bounds.h <= 0)
        bounds = { 0, 0, m_clientSize.cx * m_windowedScale, m_clientSize.cy * m_windowedScale };
    m_scale = std::clamp(std::min(bounds.w / m_clientSize.cx, bounds.h / m_clientSize.cy), 1, 8);
    m_offset = { (bounds.w - m_clientSize.cx * m_scale) / 2, (bounds.h - m_clientSize.cy * m_scale) / 2 };
    SDL_SetWindowPosition(m_window, bounds.x, bounds.y);
    SDL_SetWindowSize(m_window, bounds.w, bounds.h);
}

// A window manager that knows fullscreen windows keeps panels off this one; without a manager
// the window's own size and place already cover the screen.
void SdlWindow::AskManagerForFullscreen(bool fullscreen)
{
    X11Handles x11 = X11Of(m_window);
    if (!x11.display || !ManagerSupports(x11.display, "_NET_WM_STATE_FULLSCREEN"))
        return;
    constexpr long Remove = 0, Add = 1, SourceApplication = 1;
    AskManager(x11, "_NET_WM_STATE",
        { fullscreen ? Add : Remove, static_cast<long>(XInternAtom(x11.display, "_NET_WM_STATE_FULLSCREEN", False)), 0, SourceApplication, 0 });
}

void SdlWindow::ClearBorders()
{
    SDL_Surface* surface = SDL_GetWindowSurface(m_window);
    if (!m_fullscreen || !surface)
        return;
    const int w = m_clientSize.cx * m_scale, h = m_clientSize.cy * m_scale;
    const SDL_Rect borders[] = {
        { 0, 0, surface->w, m_offset.Y },
        { 0, m_offset.Y + h, surface->w, surface->h - m_offset.Y - h },
        { 0, m_offset.Y, m_offset.X, h },
        { m_offset.X + w, m_offset.Y, surface->w - m_offset.X - w, h },
    };
    for (const SDL_Rect& border : borders)
        SDL_FillRect(surface, &border, SDL_MapRGB(surface->format, 0, 0, 0));
    SDL_UpdateWindowSurfaceRects(m_window, borders, 4);
}

void SdlWindow::Hide()
{
    SDL_HideWindow(m_window);
    m_visible = false;
}

void SdlWindow::SetShape(const std::vector<TRect>& region)
{
    m_shape = region;
    if (m_visible)
        ApplyShape();
}

void SdlWindow::ApplyShape()
{
    X11Handles x11 = X11Of(m_window);
    m_shapeApplied = false;
    if (!x11.display)
        return;
    int eventBase = 0, errorBase = 0;
    if (!XShapeQueryExtension(x11.display, &eventBase, &errorBase))
        return;
    if (m_shape.empty() || m_fullscreen) {
        XShapeCombineMask(x11.display, x11.window, ShapeBounding, 0, 0, None, ShapeSet);
    } else {
        std::vector<XRectangle> rects;
        rects.reserve(m_shape.size());
        for (const TRect& r : m_shape) {
            if (r.IsEmpty())
                continue;
            const int n = m_scale;
            rects.push_back({ static_cast<short>(std::clamp(r.Left * n, -32768, 32767)), static_cast<short>(std::clamp(r.Top * n, -32768, 32767)),
                static_cast<unsigned short>(std::min(r.Width() * n, 65535)), static_cast<unsigned short>(std::min(r.Height() * n, 65535)) });
        }
        XShapeCombineRectangles(x11.display, x11.window, ShapeBounding, 0, 0, rects.data(), static_cast<int>(rects.size()), ShapeSet, Unsorted);
    }
    XFlush(x11.display);
    m_shapeApplied = !m_fullscreen;
}

void SdlWindow::SetCapture(bool captured)
{
    SDL_CaptureMouse(captured ? SDL_TRUE : SDL_FALSE);
}

void SdlWindow::SetCursor(TCursor cursor)
{
    if (cursor == crNone) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    SDL_ShowCursor(SDL_ENABLE);
    auto it = m_cursors.find(cursor);
    if (it == m_cursors.end()) {
        SDL_Cursor* created = SDL_CreateSystemCursor(SystemCursor(cursor));
        if (!created)
            return;
        it = m_cursors.emplace(cursor, created).first;
    }
    SDL_SetCursor(it->second);
}

void SdlWindow::Present(const PixelView& pixels, const TRect& dirty)
{
    SDL_Surface* surface = SDL_GetWindowSurface(m_window);
    if (!surface || pixels.IsEmpty())
        return;
    const int n = m_scale;
    const TRect shown = m_fullscreen ? TRect { 0, 0, m_clientSize.cx, m_clientSize.cy } : TRect { 0, 0, surface->w / n, surface->h / n };
    TRect r = Intersect(Intersect(dirty, shown), { 0, 0, pixels.width, pixels.height });
    if (r.IsEmpty())
        return;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
        return;
    PresentScaled(surface, pixels, r, n, m_offset, m_scaledRow);
    const int width = r.Width() * n;
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
    SDL_Rect rect { m_offset.X + r.Left * n, m_offset.Y + r.Top * n, width, r.Height() * n };
    SDL_UpdateWindowSurfaceRects(m_window, &rect, 1);
}

TSize SdlWindow::ScreenSize() const
{
    SDL_DisplayMode mode;
    int display = std::max(0, SDL_GetWindowDisplayIndex(m_window));
    if (SDL_GetDesktopDisplayMode(display, &mode) != 0)
        return { 0, 0 };
    // In the units of Position, which stay the shaped window's while fullscreen.
    const int scale = m_fullscreen ? m_windowedScale : m_scale;
    return { mode.w / scale, mode.h / scale };
}

TPoint SdlWindow::CursorPos() const
{
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    if (m_fullscreen) {
        int windowX = 0, windowY = 0;
        SDL_GetWindowPosition(m_window, &windowX, &windowY);
        const TPoint client = ClientPoint(x - windowX, y - windowY);
        const TPoint place = Position();
        return { place.X + client.X, place.Y + client.Y };
    }
    return { Logical(x), Logical(y) };
}

void SdlWindow::BringToFront()
{
    SDL_RaiseWindow(m_window);
}

// A window manager that moves windows on request drags the window itself, as it drags a
// caption. Without one the window follows the pointer until the left button is released; the
// mouse events of the drag belong to the move, not to the window, while timers and repaints
// keep running.
void SdlWindow::BeginSystemMove()
{
    int startX = 0, startY = 0;
    if (m_fullscreen || !LeftButtonHeld(startX, startY))
        return;
    if (AskManagerToMove(startX, startY))
        return;
    int originX = 0, originY = 0;
    SDL_GetWindowPosition(m_window, &originX, &originY);
    int x = startX, y = startY;
    while (LeftButtonHeld(x, y)) {
        SDL_SetWindowPosition(m_window, originX + x - startX, originY + y - startY);
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_MOUSEMOTION, SDL_MOUSEWHEEL);
        m_loop.ProcessMessages();
        SDL_Delay(MoveLoopSliceMs);
    }
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_MOUSEMOTION, SDL_MOUSEWHEEL);
}

void SdlWindow::SetIcon(const std::vector<uint32_t>& argb, int size)
{
    if (size <= 0 || argb.size() < static_cast<size_t>(size) * size)
        return;
    std::vector<uint32_t> pixels(argb.begin(), argb.begin() + static_cast<ptrdiff_t>(size) * size);
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), size, size, 32, size * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!icon)
        return;
    SDL_SetWindowIcon(m_window, icon);
    SDL_FreeSurface(icon);
}

// Asked of the X server itself: SDL's global pointer state is only refreshed by input events,
// and the drag takes those away.
bool SdlWindow::LeftButtonHeld(int& rootX, int& rootY) const
{
    X11Handles x11 = X11Of(m_window);
    if (!x11.display)
        return SDL_GetGlobalMouseState(&rootX, &rootY) & SDL_BUTTON_LMASK;
    ::Window root = 0, child = 0;
    int windowX = 0, windowY = 0;
    unsigned mask = 0;
    if (!XQueryPointer(x11.display, DefaultRootWindow(x11.display), &root, &child, &rootX, &rootY, &windowX, &windowY, &mask))
        return false;
    return mask & Button1Mask;
}

bool SdlWindow::AskManagerToMove(int rootX, int rootY)
{
    X11Handles x11 = X11Of(m_window);
    if (!x11.display || !ManagerSupports(x11.display, "_NET_WM_MOVERESIZE"))
        return false;
    constexpr long MoveResizeMove = 8; // _NET_WM_MOVERESIZE_MOVE
    constexpr long SourceApplication = 1;
    // The press gave us the pointer; the manager can only take it once we let it go.
    XUngrabPointer(x11.display, CurrentTime);
    AskManager(x11, "_NET_WM_MOVERESIZE", { rootX, rootY, MoveResizeMove, Button1, SourceApplication });
    return true;
}

void SdlWindow::PumpEvents(EventLoop& loop)
{
    SDL_Event event;
    while (SDL_PollEvent(&event))
        Translate(event, loop);
    for (auto& [instance, pad] : m_pads)
        PostStrokes(loop, pad.keys.Repeat(SDL_GetTicks()));
}

void SdlWindow::OpenPad(int deviceIndex)
{
    if (!SDL_IsGameController(deviceIndex) || PadOwner(SDL_JoystickGetDeviceInstanceID(deviceIndex)))
        return;
    if (SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex))
        m_pads[SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller))].controller = controller;
}

// Keys still held when a pad goes away are let go, so nothing repeats on without it.
void SdlWindow::ClosePad(int32_t instance)
{
    auto it = m_pads.find(instance);
    if (it == m_pads.end())
        return;
    PostStrokes(m_loop, it->second.keys.ReleaseAll());
    SDL_GameControllerClose(it->second.controller);
    m_pads.erase(it);
}

SdlWindow* SdlWindow::PadOwner(int32_t instance)
{
    for (SdlWindow* window : OpenWindows())
        if (window->m_pads.count(instance))
            return window;
    return nullptr;
}

// Whichever window took a pad's event from SDL's one queue, the pad's keys are kept by the
// window that opened it.
void SdlWindow::TranslatePad(const SDL_Event& sdl, EventLoop& loop)
{
    const uint32_t now = SDL_GetTicks();
    switch (sdl.type) {
    case SDL_CONTROLLERDEVICEADDED: OpenPad(sdl.cdevice.which); return;
    case SDL_CONTROLLERDEVICEREMOVED:
        if (SdlWindow* owner = PadOwner(sdl.cdevice.which))
            owner->ClosePad(sdl.cdevice.which);
        return;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        SdlWindow* owner = PadOwner(sdl.cbutton.which);
        PadControl control {};
        if (owner && PadControlOf(sdl.cbutton.button, control))
            PostStrokes(loop, owner->m_pads[sdl.cbutton.which].keys.Button(control, sdl.type == SDL_CONTROLLERBUTTONDOWN, now));
        return;
    }
    case SDL_CONTROLLERAXISMOTION: {
        SdlWindow* owner = PadOwner(sdl.caxis.which);
        PadAxis axis {};
        if (owner && PadAxisOf(sdl.caxis.axis, axis))
            PostStrokes(loop, owner->m_pads[sdl.caxis.which].keys.Axis(axis, sdl.caxis.value, now));
        return;
    }
    default: return;
    }
}

// Pads type into the window with the keyboard's focus, as keys do, whichever window took their
// events from SDL's one queue: with the shelf hidden behind a disc's menu, into the menu.
SdlWindow& SdlWindow::PadTarget()
{
    SDL_Window* focused = SDL_GetKeyboardFocus();
    for (SdlWindow* window : OpenWindows())
        if (window->m_window == focused)
            return *window;
    return *this;
}

void SdlWindow::PostStrokes(EventLoop& loop, const std::vector<PadKeyStroke>& strokes)
{
    SdlWindow& target = PadTarget();
    for (const PadKeyStroke& stroke : strokes)
        target.PostKey(loop, stroke.down, stroke.key, stroke.shift);
}

void SdlWindow::PostKey(EventLoop& loop, bool down, uint16_t key, TShiftState shift)
{
    PostTo(loop, { .type = down ? EventType::KeyDown : EventType::KeyUp, .shift = shift, .key = key });
    if (char typed = TypedControlChar(key); typed && down)
        PostTo(loop, { .type = EventType::KeyChar, .ch = typed });
}

void SdlWindow::PostTo(EventLoop& loop, Event event)
{
    event.target = m_sink;
    loop.Post(std::move(event));
}

void SdlWindow::Translate(const SDL_Event& sdl, EventLoop& loop)
{
    if (const uint32_t id = EventWindowId(sdl); id && id != WindowId()) {
        for (SdlWindow* other : OpenWindows())
            if (other->WindowId() == id)
                return other->Translate(sdl, loop);
        return;
    }
    Event e;
    switch (sdl.type) {
    case SDL_QUIT:
        e.type = EventType::Close;
        PostTo(loop, std::move(e));
        return;
    case SDL_WINDOWEVENT:
        if (sdl.window.windowID != WindowId())
            return;
        switch (sdl.window.event) {
        case SDL_WINDOWEVENT_EXPOSED: {
            ClearBorders();
            const TSize size = ClientSize();
            e.type = EventType::Paint;
            e.rect = { 0, 0, size.cx, size.cy };
            break;
        }
        case SDL_WINDOWEVENT_ENTER: e.type = EventType::MouseEnterWindow; break;
        case SDL_WINDOWEVENT_LEAVE: e.type = EventType::MouseLeaveWindow; break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: e.type = EventType::Activate; break;
        case SDL_WINDOWEVENT_FOCUS_LOST: e.type = EventType::Deactivate; break;
        case SDL_WINDOWEVENT_CLOSE: e.type = EventType::Close; break;
        default: return;
        }
        PostTo(loop, std::move(e));
        return;
    case SDL_MOUSEMOTION:
        e.type = EventType::MouseMove;
        std::tie(e.x, e.y) = ClientXY(sdl.motion.x, sdl.motion.y);
        e.shift = static_cast<TShiftState>(Buttons(sdl.motion.state) | Modifiers());
        PostTo(loop, std::move(e));
        return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (!Button(sdl.button.button, e.button))
            return;
        e.type = sdl.type == SDL_MOUSEBUTTONDOWN ? EventType::MouseDown : EventType::MouseUp;
        std::tie(e.x, e.y) = ClientXY(sdl.button.x, sdl.button.y);
        e.shift = static_cast<TShiftState>(Buttons(SDL_GetMouseState(nullptr, nullptr)) | Modifiers());
        if (sdl.type == SDL_MOUSEBUTTONDOWN && sdl.button.clicks >= 2)
            e.shift |= ssDouble;
        PostTo(loop, std::move(e));
        return;
    case SDL_MOUSEWHEEL: {
        int notches = sdl.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -sdl.wheel.y : sdl.wheel.y;
        if (notches == 0)
            return;
        e.type = EventType::MouseWheel;
        uint32_t buttons = SDL_GetMouseState(&e.x, &e.y);
        std::tie(e.x, e.y) = ClientXY(e.x, e.y);
        e.wheelDelta = notches * WHEEL_DELTA;
        e.shift = static_cast<TShiftState>(Buttons(buttons) | Modifiers());
        PostTo(loop, std::move(e));
        return;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        uint16_t key = SdlVirtualKey(sdl.key.keysym.sym);
        if (key == 0)
            return;
        // F11 belongs to the window, as a window manager's own keys do.
        if (key == VK_F11) {
            if (sdl.type == SDL_KEYDOWN && !sdl.key.repeat)
                SetFullscreen(!m_fullscreen);
            return;
        }
        PostKey(loop, sdl.type == SDL_KEYDOWN, key, Modifiers());
        return;
    }
    case SDL_TEXTINPUT: {
        for (char32_t codePoint : Utf8ToCodePoints(sdl.text.text)) {
            int byte = codePoint < 0x80 ? static_cast<int>(codePoint) : CodePointToCp1250(codePoint);
            if (byte <= 0)
                continue;
            PostTo(loop, { .type = EventType::KeyChar, .ch = static_cast<char>(byte) });
        }
        return;
    }
    default:
        TranslatePad(sdl, loop);
        return;
    }
}

std::vector<uint8_t> SdlWindow::CaptureWindowPng(TSize logical) const
{
    int x = 0, y = 0;
    SDL_GetWindowPosition(m_window, &x, &y);
    return CaptureScreen(Bounds(x + m_offset.X, y + m_offset.Y, logical.cx * m_scale, logical.cy * m_scale), m_scale);
}

std::vector<uint8_t> SdlWindow::CaptureShownPng(TSize logical) const
{
    if (!m_fullscreen)
        return CaptureWindowPng(logical);
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(m_window, &x, &y);
    SDL_GetWindowSize(m_window, &w, &h);
    return CaptureScreenPng(Bounds(x, y, w, h));
}

std::vector<uint8_t> SdlWindow::CaptureScreenPng(const TRect& screenRect) const
{
    return CaptureScreen(screenRect, 1);
}

// Every `step`-th pixel of every `step`-th row of the screen rectangle, as PNG.
std::vector<uint8_t> SdlWindow::CaptureScreen(const TRect& screenRect, int step) const
{
    X11Handles x11 = X11Of(m_window);
    if (!x11.display || screenRect.IsEmpty())
        return {};
    XSync(x11.display, False);
    ::Window root = DefaultRootWindow(x11.display);
    XImage* image = XGetImage(x11.display, root, screenRect.Left, screenRect.Top, static_cast<unsigned>(screenRect.Width()),
        static_cast<unsigned>(screenRect.Height()), AllPlanes, ZPixmap);
    if (!image)
        return {};
    Picture picture;
    picture.width = screenRect.Width() / step;
    picture.height = screenRect.Height() / step;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            unsigned long value = XGetPixel(image, x * step, y * step);
            uint32_t r = static_cast<uint32_t>((value & image->red_mask) * 255 / std::max<unsigned long>(1, image->red_mask));
            uint32_t g = static_cast<uint32_t>((value & image->green_mask) * 255 / std::max<unsigned long>(1, image->green_mask));
            uint32_t b = static_cast<uint32_t>((value & image->blue_mask) * 255 / std::max<unsigned long>(1, image->blue_mask));
            picture.pixels.push_back(0xFF000000u | r << 16 | g << 8 | b);
        }
    XDestroyImage(image);
    return EncodePng(picture, false);
}

}
