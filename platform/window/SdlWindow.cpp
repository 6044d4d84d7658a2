#include "platform/window/SdlWindow.h"

#include "platform/picture/Picture.h"
#include "platform/text/Codepage.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

// SDL loads the desktop session bus library, which keeps a buffer until the process ends. The
// leak checker of sanitizer builds is told so, for every program with a desktop window.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\n";
}

namespace platform {

namespace {

// The drag loop of a system move looks at the pointer this often.
constexpr uint32_t MoveLoopSliceMs = 10;
constexpr int VideoInitAttempts = 5;
constexpr uint32_t VideoInitRetryMs = 50;

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
    // An accelerated window surface makes SDL recreate the X window behind our back, which
    // drops the outline set on it; the plain shared-memory surface keeps the window.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint("SDL_SHUTDOWN_DBUS_ON_QUIT", "1");
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

uint16_t VirtualKey(SDL_Keycode key)
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

TShiftState Modifiers()
{
    SDL_Keymod mod = SDL_GetModState();
    TShiftState shift = 0;
    if (mod & KMOD_SHIFT)
        shift |= ssShift;
    if (mod & KMOD_CTRL)
        shift |= ssCtrl;
    if (mod & KMOD_ALT)
        shift |= ssAlt;
    return shift;
}

TShiftState Buttons(uint32_t state)
{
    TShiftState shift = 0;
    if (state & SDL_BUTTON_LMASK)
        shift |= ssLeft;
    if (state & SDL_BUTTON_RMASK)
        shift |= ssRight;
    if (state & SDL_BUTTON_MMASK)
        shift |= ssMiddle;
    return shift;
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

X11Handles X11Of(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return {};
    return { info.info.x11.display, info.info.x11.window };
}

}

bool SdlWindow::DisplayAvailable()
{
    return AcquireVideo() && SDL_GetNumVideoDisplays() > 0;
}

SdlWindow::SdlWindow(EventLoop& loop)
    : m_loop(loop)
{
    if (!AcquireVideo())
        throw WindowError(std::string("no display for the window: ") + SDL_GetError());
    m_window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1, 1, SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    if (!m_window)
        throw WindowError(std::string("cannot create the window: ") + SDL_GetError());
    // Whatever SDL does to the window for its surface happens now, before it gets an outline.
    SDL_GetWindowSurface(m_window);
    SDL_StartTextInput();
    m_loop.AddSource(this);
}

SdlWindow::~SdlWindow()
{
    m_loop.RemoveSource(this);
    for (auto& [id, cursor] : m_cursors)
        SDL_FreeCursor(cursor);
    SDL_DestroyWindow(m_window);
}

uint32_t SdlWindow::WindowId() const
{
    return SDL_GetWindowID(m_window);
}

void SdlWindow::SetClientSize(int width, int height)
{
    SDL_SetWindowSize(m_window, std::max(1, width), std::max(1, height));
}

TSize SdlWindow::ClientSize() const
{
    int w = 0, h = 0;
    SDL_GetWindowSize(m_window, &w, &h);
    return { w, h };
}

void SdlWindow::SetPosition(int left, int top)
{
    SDL_SetWindowPosition(m_window, left, top);
}

TPoint SdlWindow::Position() const
{
    int x = 0, y = 0;
    SDL_GetWindowPosition(m_window, &x, &y);
    return { x, y };
}

void SdlWindow::SetCaption(const std::string& caption)
{
    SDL_SetWindowTitle(m_window, Cp1250ToUtf8(caption).c_str());
}

void SdlWindow::Show()
{
    if (m_visible)
        return;
    SDL_ShowWindow(m_window);
    m_visible = true;
    // The outline can only be set on a mapped window.
    if (auto x11 = X11Of(m_window); x11.display)
        XSync(x11.display, False);
    ApplyShape();
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
    if (m_shape.empty()) {
        XShapeCombineMask(x11.display, x11.window, ShapeBounding, 0, 0, None, ShapeSet);
    } else {
        std::vector<XRectangle> rects;
        rects.reserve(m_shape.size());
        for (const TRect& r : m_shape) {
            if (r.IsEmpty())
                continue;
            rects.push_back({ static_cast<short>(std::clamp(r.Left, -32768, 32767)), static_cast<short>(std::clamp(r.Top, -32768, 32767)),
                static_cast<unsigned short>(std::min(r.Width(), 65535)), static_cast<unsigned short>(std::min(r.Height(), 65535)) });
        }
        XShapeCombineRectangles(x11.display, x11.window, ShapeBounding, 0, 0, rects.data(), static_cast<int>(rects.size()), ShapeSet, Unsorted);
    }
    XFlush(x11.display);
    m_shapeApplied = true;
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
    TRect r = Intersect(Intersect(dirty, { 0, 0, surface->w, surface->h }), { 0, 0, pixels.width, pixels.height });
    if (r.IsEmpty())
        return;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
        return;
    auto* base = static_cast<uint8_t*>(surface->pixels);
    uint32_t format = surface->format->format;
    bool sameLayout = format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888;
    for (int y = r.Top; y < r.Bottom; ++y) {
        uint8_t* dst = base + static_cast<ptrdiff_t>(y) * surface->pitch + static_cast<ptrdiff_t>(r.Left) * surface->format->BytesPerPixel;
        const uint32_t* src = pixels.Row(y) + r.Left;
        if (sameLayout)
            std::memcpy(dst, src, static_cast<size_t>(r.Width()) * 4);
        else
            SDL_ConvertPixels(r.Width(), 1, SDL_PIXELFORMAT_RGB888, src, r.Width() * 4, format, dst, surface->pitch);
    }
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
    SDL_Rect rect { r.Left, r.Top, r.Width(), r.Height() };
    SDL_UpdateWindowSurfaceRects(m_window, &rect, 1);
}

TSize SdlWindow::ScreenSize() const
{
    SDL_DisplayMode mode;
    int display = std::max(0, SDL_GetWindowDisplayIndex(m_window));
    if (SDL_GetDesktopDisplayMode(display, &mode) != 0)
        return { 0, 0 };
    return { mode.w, mode.h };
}

TPoint SdlWindow::CursorPos() const
{
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    return { x, y };
}

void SdlWindow::BringToFront()
{
    SDL_RaiseWindow(m_window);
}

// The window follows the pointer until the left button is released; the mouse events of the
// drag belong to the move, not to the window, while timers and repaints keep running.
void SdlWindow::BeginSystemMove()
{
    int startX = 0, startY = 0;
    if (!(SDL_GetGlobalMouseState(&startX, &startY) & SDL_BUTTON_LMASK))
        return;
    TPoint origin = Position();
    int x = startX, y = startY;
    while (SDL_GetGlobalMouseState(&x, &y) & SDL_BUTTON_LMASK) {
        SetPosition(origin.X + x - startX, origin.Y + y - startY);
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_MOUSEMOTION, SDL_MOUSEWHEEL);
        m_loop.ProcessMessages();
        SDL_Delay(MoveLoopSliceMs);
    }
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_MOUSEMOTION, SDL_MOUSEWHEEL);
}

void SdlWindow::PumpEvents(EventLoop& loop)
{
    SDL_Event event;
    while (SDL_PollEvent(&event))
        Translate(event, loop);
}

void SdlWindow::PostTo(EventLoop& loop, Event event)
{
    event.target = m_sink;
    loop.Post(std::move(event));
}

void SdlWindow::Translate(const SDL_Event& sdl, EventLoop& loop)
{
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
            TSize size = ClientSize();
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
        e.x = sdl.motion.x;
        e.y = sdl.motion.y;
        e.shift = static_cast<TShiftState>(Buttons(sdl.motion.state) | Modifiers());
        PostTo(loop, std::move(e));
        return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (!Button(sdl.button.button, e.button))
            return;
        e.type = sdl.type == SDL_MOUSEBUTTONDOWN ? EventType::MouseDown : EventType::MouseUp;
        e.x = sdl.button.x;
        e.y = sdl.button.y;
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
        e.wheelDelta = notches * WHEEL_DELTA;
        e.shift = static_cast<TShiftState>(Buttons(buttons) | Modifiers());
        PostTo(loop, std::move(e));
        return;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        uint16_t key = VirtualKey(sdl.key.keysym.sym);
        if (key == 0)
            return;
        e.type = sdl.type == SDL_KEYDOWN ? EventType::KeyDown : EventType::KeyUp;
        e.key = key;
        e.shift = Modifiers();
        PostTo(loop, std::move(e));
        if (char typed = TypedControlChar(key); typed && sdl.type == SDL_KEYDOWN) {
            Event ch;
            ch.type = EventType::KeyChar;
            ch.ch = typed;
            PostTo(loop, std::move(ch));
        }
        return;
    }
    case SDL_TEXTINPUT: {
        for (char32_t codePoint : Utf8ToCodePoints(sdl.text.text)) {
            int byte = codePoint < 0x80 ? static_cast<int>(codePoint) : CodePointToCp1250(codePoint);
            if (byte <= 0)
                continue;
            Event ch;
            ch.type = EventType::KeyChar;
            ch.ch = static_cast<char>(byte);
            PostTo(loop, std::move(ch));
        }
        return;
    }
    default:
        return;
    }
}

std::vector<uint8_t> SdlWindow::CaptureScreenPng(const TRect& screenRect) const
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
    picture.width = screenRect.Width();
    picture.height = screenRect.Height();
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            unsigned long value = XGetPixel(image, x, y);
            uint32_t r = static_cast<uint32_t>((value & image->red_mask) * 255 / std::max<unsigned long>(1, image->red_mask));
            uint32_t g = static_cast<uint32_t>((value & image->green_mask) * 255 / std::max<unsigned long>(1, image->green_mask));
            uint32_t b = static_cast<uint32_t>((value & image->blue_mask) * 255 / std::max<unsigned long>(1, image->blue_mask));
            picture.pixels.push_back(0xFF000000u | r << 16 | g << 8 | b);
        }
    XDestroyImage(image);
    return EncodePng(picture, false);
}

}
