#pragma once

// The window of long work on a disc image (unpacking it whole before the main window exists, or
// while the menu waits for its drive), drawn by the box painter in the program's own frame: what
// is going on, the image's name, the bar, the percentage and the megabytes done and left, and a
// Cancel button. Cancel (a click, Enter, Escape or its letter) or closing the window asks to
// stop; it needs no window manager, as it takes the keyboard itself.

#include "platform/window/BoxPainter.h"

#include <cstdint>
#include <memory>
#include <string>

struct SDL_Window;

namespace platform {

class PaintedWindow;
class SdlWindow;

class SdlProgressWindow {
public:
    // Empty when there is no display or the window cannot be made. titleUtf8: the title a
    // desktop's task list shows; caption and name: code page 1250; owner: the menu's window when
    // the work runs while it shows (the progress is then modal over it), else none.
    static std::unique_ptr<SdlProgressWindow> Open(const std::string& titleUtf8, const std::string& caption, const std::string& name,
        SdlWindow* owner = nullptr);
    ~SdlProgressWindow();
    SdlProgressWindow(const SdlProgressWindow&) = delete;
    SdlProgressWindow& operator=(const SdlProgressWindow&) = delete;

    // Shows how far the work is and handles the window's events; false once the user has
    // asked to stop.
    bool Update(uint64_t done, uint64_t total);

    SDL_Window* Handle() const;

private:
    SdlProgressWindow(BoxPainter painter, ProgressContent content);

    BoxPainter m_painter;
    ProgressContent m_content;
    ProgressLayout m_layout;
    std::unique_ptr<PaintedWindow> m_window;
    std::string m_shownFigures;
    bool m_stopped = false;
};

}
