#pragma once

// A window without a display: what the form presents is composed into a screen-sized picture of
// the client area that tests and scripts look at or save as PNG, and input is injected. Injected
// input goes through the same rules a desktop applies: a point outside the window's shape
// belongs to whatever is behind it (no event, the pointer has left) unless the mouse is
// captured, and entering or leaving the window is reported as it happens.

#include "platform/events/EventLoop.h"
#include "platform/events/WindowBackend.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class HeadlessWindow final : public IWindowBackend {
public:
    explicit HeadlessWindow(EventLoop& loop, TSize screen = { 1024, 768 });

    // IWindowBackend
    void SetEventSink(IEventSink* sink) override { m_sink = sink; }
    void SetClientSize(int width, int height) override;
    TSize ClientSize() const override { return m_size; }
    void SetPosition(int left, int top) override { m_position = { left, top }; }
    TPoint Position() const override { return m_position; }
    void SetCaption(const std::string& caption) override { m_caption = caption; }
    void Show() override;
    void Hide() override { m_visible = false; }
    void SetShape(const std::vector<TRect>& region) override { m_shape = region; }
    void SetCapture(bool captured) override { m_captured = captured; }
    void SetCursor(TCursor cursor) override { m_cursor = cursor; }
    void Present(const PixelView& pixels, const TRect& dirty) override;
    TSize ScreenSize() const override { return m_screen; }
    TPoint CursorPos() const override { return { m_pointer.X + m_position.X, m_pointer.Y + m_position.Y }; }
    void BringToFront() override { ++m_raised; }
    void BeginSystemMove() override;

    // What the window shows: client-sized, bottom-up rows like every surface.
    PixelView Screen() { return { reinterpret_cast<uint8_t*>(m_screenPixels.data()), m_size.cx, m_size.cy }; }
    uint32_t ScreenPixel(int x, int y) const;
    // The picture as PNG (RGB, top row first).
    std::vector<uint8_t> ScreenshotPng() const;

    // Input, in client coordinates. The pointer's position carries over between calls.
    void InjectMouseMove(int x, int y);
    void InjectMouseDown(int x, int y, TMouseButton button = TMouseButton::mbLeft, bool doubleClick = false);
    void InjectMouseUp(int x, int y, TMouseButton button = TMouseButton::mbLeft);
    // delta in multiples of WHEEL_DELTA, positive away from the user.
    void InjectWheel(int x, int y, int delta);
    void InjectKeyDown(uint16_t virtualKey);
    void InjectKeyUp(uint16_t virtualKey);
    // A typed character (code page 1250 byte).
    void InjectChar(char ch);
    void InjectClose();
    // The desktop lost part of the picture: asks the form to present it again.
    void InjectExpose(const TRect& rect);
    // A drag begun with BeginSystemMove ends where the pointer is released.
    void InjectSystemMove(int dx, int dy);

    int PresentCount() const { return m_presentCount; }
    TRect LastPresented() const { return m_lastPresented; }
    bool Visible() const { return m_visible; }
    bool Captured() const { return m_captured; }
    TCursor Cursor() const { return m_cursor; }
    const std::vector<TRect>& Shape() const { return m_shape; }
    const std::string& Caption() const { return m_caption; }
    int RaisedCount() const { return m_raised; }
    int SystemMoveCount() const { return m_systemMoves; }
    bool PointerInside() const { return m_inside; }

private:
    bool HitsWindow(int x, int y) const;
    // Reports entering or leaving for a pointer at (x, y); false when the window gets no event.
    bool TrackPointer(int x, int y);
    void Post(Event event);
    TShiftState Shift() const;

    EventLoop& m_loop;
    IEventSink* m_sink = nullptr;
    TSize m_screen;
    TSize m_size;
    TPoint m_position;
    std::string m_caption;
    bool m_visible = false;
    std::vector<TRect> m_shape;
    bool m_captured = false;
    TCursor m_cursor = crDefault;
    std::vector<uint32_t> m_screenPixels;
    int m_presentCount = 0;
    TRect m_lastPresented;
    int m_raised = 0;
    int m_systemMoves = 0;
    TPoint m_pointer { -1, -1 };
    bool m_inside = false;
    TShiftState m_buttons = 0;
    TShiftState m_modifiers = 0;
};

}
