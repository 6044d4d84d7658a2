#pragma once

// A small desktop window with a progress bar for long work before the main window exists (the
// first unpacking of a disc image). Its title says what is going on; closing it, or Esc, asks
// to stop.

#include <memory>
#include <string>

struct SDL_Window;

namespace platform {

class SdlProgressWindow {
public:
    // Empty when there is no display.
    static std::unique_ptr<SdlProgressWindow> Open(const std::string& titleUtf8);
    ~SdlProgressWindow();
    SdlProgressWindow(const SdlProgressWindow&) = delete;
    SdlProgressWindow& operator=(const SdlProgressWindow&) = delete;

    // Shows `fraction` (0 to 1) and handles the window's events; false once the user has asked
    // to stop.
    bool Update(double fraction);

    SDL_Window* Handle() const { return m_window; }

private:
    explicit SdlProgressWindow(SDL_Window* window)
        : m_window(window) {}
    SDL_Window* m_window;
    bool m_stopped = false;
    int m_shownWidth = -1;
};

}
