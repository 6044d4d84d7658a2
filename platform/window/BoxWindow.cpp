#include "platform/window/BoxWindow.h"

#include "platform/text/Codepage.h"
#include "platform/window/SdlWindow.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <vector>

namespace platform {

namespace {

constexpr int WakeMs = 100;

class Box {
public:
    Box(const BoxContent& content, BoxPainter& painter, int focused, SdlWindow* owner)
        : m_content(content)
        , m_painter(painter)
        , m_layout(painter.Lay(content))
        , m_navigation(Accelerators(content), focused)
        , m_owner(owner ? owner->Handle() : nullptr)
        , m_pixels(static_cast<size_t>(m_layout.size.cx) * m_layout.size.cy)
        , m_view { reinterpret_cast<uint8_t*>(m_pixels.data()), m_layout.size.cx, m_layout.size.cy }
    {
        m_window = SDL_CreateWindow(Cp1250ToUtf8(content.caption).c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
            m_layout.size.cx, m_layout.size.cy, SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN | SDL_WINDOW_SKIP_TASKBAR);
        if (!m_window)
            return;
        SdlWindow::GiveClassName(m_window);
        m_scale = FittingScale(owner ? owner->Scale() : SdlDesktopScale(m_window));
        SDL_SetWindowSize(m_window, m_layout.size.cx * m_scale, m_layout.size.cy * m_scale);
        Centre();
        if (m_owner)
            SDL_SetWindowModalFor(m_window, m_owner);
    }
    ~Box()
    {
        if (!m_window)
            return;
        SDL_DestroyWindow(m_window);
        // Without a window manager nobody else hands the keyboard back.
        if (m_owner)
            SDL_SetWindowInputFocus(m_owner);
    }
    Box(const Box&) = delete;
    Box& operator=(const Box&) = delete;

    bool Made() const { return m_window; }

    int Run(const std::function<bool()>& stop)
    {
        SDL_ShowWindow(m_window);
        SDL_RaiseWindow(m_window);
        SDL_SetWindowInputFocus(m_window);
        Paint();
        for (;;) {
            if (stop && stop())
                return BoxNavigation::Closed;
            SDL_Event event;
            if (!SDL_WaitEventTimeout(&event, WakeMs))
                continue;
            do {
                if (std::optional<int> answer = Handle(event))
                    return *answer;
            } while (SDL_PollEvent(&event));
        }
    }

private:
    static std::vector<char> Accelerators(const BoxContent& content)
    {
        std::vector<char> letters;
        for (const std::string& label : content.buttons)
            letters.push_back(BoxAccelerator(label));
        return letters;
    }

    // The menu's factor, made smaller where the box would not fit on the screen.
    int FittingScale(int scale) const
    {
        scale = std::clamp(scale, 1, 8);
        SDL_DisplayMode mode;
        if (SDL_GetDesktopDisplayMode(std::max(0, SDL_GetWindowDisplayIndex(m_owner ? m_owner : m_window)), &mode) == 0)
            while (scale > 1 && (m_layout.size.cx * scale > mode.w || m_layout.size.cy * scale > mode.h))
                --scale;
        return scale;
    }

    void Centre()
    {
        const int width = m_layout.size.cx * m_scale, height = m_layout.size.cy * m_scale;
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

    void Paint()
    {
        m_painter.Paint(m_content, m_layout, m_navigation.Look(), m_view);
        SDL_Surface* surface = SDL_GetWindowSurface(m_window);
        if (!surface || (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0))
            return;
        PresentScaled(surface, m_view, { 0, 0, m_view.width, m_view.height }, m_scale, {}, m_scaledRow);
        if (SDL_MUSTLOCK(surface))
            SDL_UnlockSurface(surface);
        SDL_UpdateWindowSurface(m_window);
    }

    int ButtonAt(int x, int y) const { return m_layout.ButtonAt({ x / m_scale, y / m_scale }); }

    // Repaints when the buttons' look changed; the answer once there is one.
    std::optional<int> Handle(const SDL_Event& event)
    {
        const BoxLook before = m_navigation.Look();
        std::optional<int> answer = Dispatch(event);
        const BoxLook& after = m_navigation.Look();
        if (!answer && (after.focused != before.focused || after.pressed != before.pressed))
            Paint();
        return answer;
    }

    std::optional<int> Dispatch(const SDL_Event& event)
    {
        const uint32_t id = SDL_GetWindowID(m_window);
        switch (event.type) {
        case SDL_QUIT: {
            // The program is asked to end: the box goes, and the menu hears it too.
            SDL_Event quit = event;
            SDL_PushEvent(&quit);
            return BoxNavigation::Closed;
        }
        case SDL_WINDOWEVENT:
            if (event.window.windowID == id && event.window.event == SDL_WINDOWEVENT_CLOSE)
                return BoxNavigation::Closed;
            if (event.window.windowID == id && event.window.event == SDL_WINDOWEVENT_EXPOSED)
                Paint();
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
                m_navigation.MouseDown(ButtonAt(event.button.x, event.button.y));
            return std::nullopt;
        case SDL_MOUSEMOTION:
            if (event.motion.windowID == id)
                m_navigation.MouseMove(ButtonAt(event.motion.x, event.motion.y));
            return std::nullopt;
        case SDL_MOUSEBUTTONUP:
            if (event.button.windowID != id || event.button.button != SDL_BUTTON_LEFT)
                return std::nullopt;
            return m_navigation.MouseUp(ButtonAt(event.button.x, event.button.y));
        default:
            return std::nullopt;
        }
    }

    const BoxContent& m_content;
    BoxPainter& m_painter;
    BoxLayout m_layout;
    BoxNavigation m_navigation;
    SDL_Window* m_owner;
    SDL_Window* m_window = nullptr;
    int m_scale = 1;
    std::vector<uint32_t> m_pixels;
    PixelView m_view;
    std::vector<uint32_t> m_scaledRow;
};

}

BoxOutcome RunBoxWindow(const BoxContent& content, int focused, SdlWindow* owner, const std::function<bool()>& stop)
{
    if (!SdlWindow::DisplayAvailable())
        return {};
    static std::optional<BoxPainter> painter = BoxPainter::Load();
    if (!painter)
        return {};
    Box box(content, *painter, focused, owner);
    if (!box.Made())
        return {};
    return { true, box.Run(stop) };
}

}
