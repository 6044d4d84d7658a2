#pragma once

// The desktop window: one borderless SDL window of the form's client size. Its outline comes
// from the region's rectangles through the X11 SHAPE extension (SDL's own shaped windows
// misplace themselves); where there is no X11 the window stays rectangular. The window pulls
// its input from SDL when the event loop pumps it, and shows finished pixels only when the form
// presents them, one rectangle at a time.
//
// On a screen of high density the window is shown a whole factor larger, every pixel as a
// square of pixels: the form keeps its own size, and sizes, positions, pointer coordinates
// and the outline are the form's units here, the window system's pixels divided by the factor.
//
// Fullscreen (asked at start or toggled with F11) fills the screen with black and shows the
// form centred at the largest whole factor that fits, without its outline; the form's units
// stay the same, and leaving it puts the shaped window back at its factor and place.
//
// Game controllers, plugged in before or while the window runs, type the keys GamepadKeys
// gives their buttons; they never move the pointer.

#include "platform/events/EventLoop.h"
#include "platform/events/WindowBackend.h"
#include "platform/types/Exception.h"
#include "platform/window/GamepadKeys.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct SDL_Window;
struct SDL_Surface;
struct SDL_Cursor;
struct _SDL_GameController;
union SDL_Event;

namespace platform {

// The key code of the window system for an SDL key, 0 for keys the program does not take.
uint16_t SdlVirtualKey(int32_t sdlKey);
// The desktop's scale (GDK_SCALE, else Xft.dpi, else the display's density) as the display of
// `window` gives it.
int SdlDesktopScale(SDL_Window* window);
// Copies rectangle r of `pixels` into the surface (locked by the caller), each pixel an n by n
// square, the picture's origin at `offset` (surface pixels); scaledRow is scratch memory.
void PresentScaled(SDL_Surface* surface, const PixelView& pixels, const TRect& r, int n, TPoint offset,
    std::vector<uint32_t>& scaledRow);

class SdlWindow final : public IWindowBackend, public IEventSource {
public:
    // Throws Exception when there is no display to open a window on. scale: the whole factor
    // the window is shown larger by; 0 takes the desktop's (GDK_SCALE, else Xft.dpi, else the
    // display's density), made smaller where the window would not fit on the screen.
    // fullscreen: the window opens fullscreen when it is first shown.
    explicit SdlWindow(EventLoop& loop, int scale = 1, bool fullscreen = false);
    ~SdlWindow() override;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    // Whether a display can be reached at all (a quick check for tests and the program entry).
    static bool DisplayAvailable();
    // The WM_CLASS (name and class) of every window the program opens, boxes included; to be
    // set before the first window or box.
    static void SetClassName(const std::string& name);
    static const std::string& ClassName();
    // Gives `window` that class, also where the video came up before it was set.
    static void GiveClassName(SDL_Window* window);

    // IWindowBackend
    void SetEventSink(IEventSink* sink) override { m_sink = sink; }
    void SetClientSize(int width, int height) override;
    TSize ClientSize() const override;
    void SetPosition(int left, int top) override;
    TPoint Position() const override;
    void SetCaption(const std::string& caption) override;
    void Show() override;
    void Hide() override;
    void SetShape(const std::vector<TRect>& region) override;
    void SetCapture(bool captured) override;
    void SetCursor(TCursor cursor) override;
    void Present(const PixelView& pixels, const TRect& dirty) override;
    TSize ScreenSize() const override;
    TPoint CursorPos() const override;
    void BringToFront() override;
    void BeginSystemMove() override;
    void SetIcon(const std::vector<uint32_t>& argb, int size) override;

    // IEventSource
    void PumpEvents(EventLoop& loop) override;

    SDL_Window* Handle() const { return m_window; }
    int Scale() const { return m_scale; }
    void SetFullscreen(bool fullscreen);
    bool Fullscreen() const { return m_fullscreen; }
    // Where the form's top-left corner is inside the window, in the window system's pixels.
    TPoint ContentOffset() const { return m_offset; }
    // How many game controllers are open.
    size_t PadCount() const { return m_pads.size(); }
    // Whether the outline could be given to the window system (false without X11).
    bool ShapeApplied() const { return m_shapeApplied; }
    // What the X server shows in a rectangle of the screen, as PNG: the real result of
    // presents and shapes, for checks under a virtual display. Empty without X11.
    std::vector<uint8_t> CaptureScreenPng(const TRect& screenRect) const;
    // What the X server shows where the window is, at the form's size (`logical`): one pixel of
    // each square the factor makes. Empty without X11.
    std::vector<uint8_t> CaptureWindowPng(TSize logical) const;
    // What the window shows: the form at its size, or the whole screen when fullscreen.
    std::vector<uint8_t> CaptureShownPng(TSize logical) const;

private:
    void Translate(const SDL_Event& event, EventLoop& loop);
    void PostTo(EventLoop& loop, Event event);
    void ApplyShape();
    uint32_t WindowId() const;
    // The window system's pixels in the form's units (rounded towards minus infinity).
    int Logical(int pixels) const;
    // A point of the window in the form's client coordinates.
    TPoint ClientPoint(int x, int y) const;
    std::pair<int, int> ClientXY(int x, int y) const;
    void LayOutFullscreen();
    void AskManagerForFullscreen(bool fullscreen);
    // Blacks out the screen around the form.
    void ClearBorders();
    void OpenPad(int deviceIndex);
    void ClosePad(int32_t instance);
    // The window that opened the pad, which may not be the one that took its events.
    static SdlWindow* PadOwner(int32_t instance);
    void TranslatePad(const SDL_Event& event, EventLoop& loop);
    SdlWindow& PadTarget();
    void PostStrokes(EventLoop& loop, const std::vector<PadKeyStroke>& strokes);
    void PostKey(EventLoop& loop, bool down, uint16_t key, TShiftState shift);
    // Asks the window manager to move the window with the pointer; false where none does that.
    bool AskManagerToMove(int rootX, int rootY);
    // Whether the left button is down, and where the pointer is on the screen.
    bool LeftButtonHeld(int& rootX, int& rootY) const;
    std::vector<uint8_t> CaptureScreen(const TRect& screenRect, int step) const;

    EventLoop& m_loop;
    IEventSink* m_sink = nullptr;
    SDL_Window* m_window = nullptr;
    bool m_visible = false;
    std::vector<TRect> m_shape;
    bool m_shapeApplied = false;
    std::map<TCursor, SDL_Cursor*> m_cursors;
    int m_scale = 1;
    bool m_desktopScale = false;
    std::vector<uint32_t> m_scaledRow;
    TSize m_clientSize { 1, 1 };
    bool m_fullscreenAtShow = false;
    bool m_fullscreen = false;
    TPoint m_offset {};
    int m_windowedScale = 1;
    // The shaped window's place on the screen (pixels) while fullscreen.
    TPoint m_windowedPlace {};
    struct Pad {
        _SDL_GameController* controller = nullptr;
        GamepadKeys keys;
    };
    std::map<int32_t, Pad> m_pads;
};

}
