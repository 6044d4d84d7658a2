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

// With a depth of 8 the window stands for a paletted display: a system palette of 256 entries
// (20 fixed colours, 10 at each end, and 236 free ones in between), every pixel shown as the
// nearest of them, and the palette messages a window gets there.
class HeadlessWindow final : public IWindowBackend {
public:
    static constexpr int SystemPaletteSize = 256;
    static constexpr int StaticColors = 20;

    explicit HeadlessWindow(EventLoop& loop, TSize screen = { 1024, 768 }, int depth = 32);

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
    int BitsPerPixel() const override { return m_depth; }
    PixelView ShownPicture() override { return Screen(); }
    int RealizePalette(const std::vector<uint32_t>& colors, bool background) override;
    void PresentIndexed(int x, int y, int width, int height, const uint8_t* bits, int stride,
        const std::vector<uint32_t>& colorTable) override;

    // Paletted display only: the system palette (0x00RRGGBB) and the entry a pixel shows.
    const std::vector<uint32_t>& SystemPalette() const { return m_systemPalette; }
    uint8_t ScreenIndex(int x, int y) const;
    // The window becomes the active one; on a paletted display it is asked to realize its
    // palette first.
    void InjectActivate();
    // Another program came to the front and realized `colors`: they take the free system
    // entries, and the window, now inactive, hears that the palette changed.
    void InjectForeignPalette(const std::vector<uint32_t>& colors);

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
    int TakeFreeEntries(const std::vector<uint32_t>& colors);
    uint8_t NearestSystemEntry(uint32_t color) const;
    void ShowIndex(int x, int y, uint8_t index);

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
    int m_depth = 32;
    std::vector<uint32_t> m_systemPalette;
    std::vector<uint8_t> m_screenIndices;
    // Which system entry each colour of the last realized palette shows as.
    std::vector<uint8_t> m_realizedMapping;
};

}
