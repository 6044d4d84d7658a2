#pragma once

// A borderless SDL window of the program's own that shows a picture drawn by a painter (boxes,
// the progress window) at the menu's scale, and turns the keyboard and the mouse into
// BoxNavigation's answers. It takes the keyboard when shown, as there may be no window manager
// to give it, and hands it back to its owner when it goes.

#include "platform/types/Geometry.h"
#include "platform/types/PixelView.h"
#include "platform/window/BoxNavigation.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct SDL_Window;
union SDL_Event;

namespace platform {

class SdlWindow;

class PaintedWindow {
public:
    using Paint = std::function<void(const BoxLook& look, PixelView target)>;
    using ButtonAt = std::function<int(TPoint point)>;

    // size: the picture's; owner: the menu's window (centred on it and modal), or none (centred
    // on the screen). accelerators: each button's letter, as BoxNavigation takes them.
    PaintedWindow(const std::string& titleUtf8, TSize size, SdlWindow* owner, std::vector<char> accelerators, Paint paint,
        ButtonAt buttonAt);
    ~PaintedWindow();
    PaintedWindow(const PaintedWindow&) = delete;
    PaintedWindow& operator=(const PaintedWindow&) = delete;

    bool Made() const { return m_window != nullptr; }
    SDL_Window* Handle() const { return m_window; }
    void Show();
    // Draws the picture again and shows it.
    void Repaint();
    // Handles one event of SDL's queue; the answer once there is one (closing the window
    // answers BoxNavigation::Closed).
    std::optional<int> Handle(const SDL_Event& event);

private:
    int FittingScale(int scale) const;
    void Centre();
    std::optional<int> Dispatch(const SDL_Event& event);
    int ButtonUnder(int x, int y) const;

    SDL_Window* m_owner;
    SDL_Window* m_window = nullptr;
    TSize m_size;
    BoxNavigation m_navigation;
    Paint m_paint;
    ButtonAt m_buttonAt;
    int m_scale = 1;
    std::vector<uint32_t> m_pixels;
    PixelView m_view;
    std::vector<uint32_t> m_scaledRow;
};

}
