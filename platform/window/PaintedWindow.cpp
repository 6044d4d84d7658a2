#include "platform/window/PaintedWindow.h"

#include "platform/window/SdlWindow.h"

#include <SDL2/SDL.h>

#include <algorithm>

namespace platform {

PaintedWindow::PaintedWindow(const std::string& titleUtf8, TSize size, SdlWindow* owner, std::vector<char> accelerators,
    Paint paint, ButtonAt buttonAt)
    : m_owner(owner ? owner->Handle() : nullptr)
    , m_size(size)
    , m_navigation(std::move(accelerators), 0)
    , m_paint(std::move(paint))
    , m_buttonAt(std::move(buttonAt))
    , m_pixels(static_cast<size_t>(size.cx) * size.cy)
    , m_view { reinterpret_cast<uint8_t*>(m_pixels.data()), size.cx, size.cy }
{
    m_window = SDL_CreateWindow(titleUtf8.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, size.cx, size.cy,
        SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN | SDL_WINDOW_SKIP_TASKBAR);
    if (!m_window)
        return;
    SdlWindow::GiveClassName(m_window);
    m_scale = FittingScale(owner ? owner->Scale() : SdlDesktopScale(m_window));
    SDL_SetWindowSize(m_window, size.cx * m_scale, size.cy * m_scale);
    Centre();
    if (m_owner)
        SDL_SetWindowModalFor(m_window, m_owner);
}

PaintedWindow::~PaintedWindow()
{
    if (!m_window)
        return;
    SDL_DestroyWindow(m_window);
    // Without a window manager nobody else hands the keyboard back.
    if (m_owner)
        SDL_SetWindowInputFocus(m_owner);
}

void PaintedWindow::Show()
{
    SDL_ShowWindow(m_window);
    SDL_RaiseWindow(m_window);
    SDL_SetWindowInputFocus(m_window);
    Repaint();
}

// The menu's factor, made smaller where the window would not fit on the screen.
int PaintedWindow::FittingScale(int scale) const
{
    scale = std::clamp(scale, 1, 8);
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(std::max(0, SDL_GetWindowDisplayIndex(m_owner ? m_owner : m_window)), &mode) == 0)
        while (scale > 1 && (m_size.cx * scale > mode.w || m_size.cy * scale > mode.h))
            --scale;
    return scale;
}

void PaintedWindow::Centre()
{
    const int width = m_size.cx * m_scale, height = m_size.cy * m_scale;
    if (!m_owner) {
        SDL_SetWindowPosition(m_window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        return;
    }
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(m_owner, &x, &y);
    SDL_GetWindowSize(m_owner, &w, &h);
    x += (w - width) / 2;
    y += (h - height) / 2;
    // A menu partly off the screen still gets its box whole on the screen.
    SDL_Rect screen;
    if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(m_owner)), &screen) == 0) {
        x = std::clamp(x, screen.x, std::max(screen.x, screen.x + screen.w - width));
        y = std::clamp(y, screen.y, std::max(screen.y, screen.y + screen.h - height));
    }
    SDL_SetWindowPosition(m_window, x, y);
}

void PaintedWindow::Repaint()
{
    m_paint(m_navigation.Look(), m_view);
    SDL_Surface* surface = SDL_GetWindowSurface(m_window);
    if (!surface || (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0))
        return;
    PresentScaled(surface, m_view, { 0, 0, m_view.width, m_view.height }, m_scale, {}, m_scaledRow);
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
    SDL_UpdateWindowSurface(m_window);
}

int PaintedWindow::ButtonUnder(int x, int y) const
{
    return m_buttonAt({ x / m_scale, y / m_scale });
}

std::optional<int> PaintedWindow::Handle(const SDL_Event& event)
{
    const BoxLook before = m_navigation.Look();
    std::optional<int> answer = Dispatch(event);
    const BoxLook& after = m_navigation.Look();
    if (!answer && (after.focused != before.focused || after.pressed != before.pressed))
        Repaint();
    return answer;
}

std::optional<int> PaintedWindow::Dispatch(const SDL_Event& event)
{
    const uint32_t id = SDL_GetWindowID(m_window);
    switch (event.type) {
    case SDL_QUIT: {
        // The program is asked to end: the window goes, and the menu hears it too.
        SDL_Event quit = event;
        SDL_PushEvent(&quit);
        return BoxNavigation::Closed;
    }
    case SDL_WINDOWEVENT:
        if (event.window.windowID == id && event.window.event == SDL_WINDOWEVENT_CLOSE)
            return BoxNavigation::Closed;
        if (event.window.windowID == id && event.window.event == SDL_WINDOWEVENT_EXPOSED)
            Repaint();
        // The menu's window keeps what it showed; a part the box uncovered is shown again.
        else if (m_owner && event.window.windowID == SDL_GetWindowID(m_owner) && event.window.event == SDL_WINDOWEVENT_EXPOSED)
            SDL_UpdateWindowSurface(m_owner);
        return std::nullopt;
    case SDL_KEYDOWN:
        if (event.key.windowID != id)
            return std::nullopt;
        return m_navigation.Key(SdlVirtualKey(event.key.keysym.sym), event.key.keysym.mod & KMOD_SHIFT);
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.windowID == id && event.button.button == SDL_BUTTON_LEFT)
            m_navigation.MouseDown(ButtonUnder(event.button.x, event.button.y));
        return std::nullopt;
    case SDL_MOUSEMOTION:
        if (event.motion.windowID == id)
            m_navigation.MouseMove(ButtonUnder(event.motion.x, event.motion.y));
        return std::nullopt;
    case SDL_MOUSEBUTTONUP:
        if (event.button.windowID != id || event.button.button != SDL_BUTTON_LEFT)
            return std::nullopt;
        return m_navigation.MouseUp(ButtonUnder(event.button.x, event.button.y));
    default:
        return std::nullopt;
    }
}

}
