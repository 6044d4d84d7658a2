#include "platform/window/HeadlessWindow.h"

#include "platform/picture/Picture.h"

#include <algorithm>

namespace platform {

namespace {

TShiftState ButtonBit(TMouseButton button)
{
    switch (button) {
    case TMouseButton::mbLeft:
        return ssLeft;
    case TMouseButton::mbRight:
        return ssRight;
    case TMouseButton::mbMiddle:
        return ssMiddle;
    }
    return 0;
}

TShiftState ModifierBit(uint16_t key)
{
    switch (key) {
    case VK_SHIFT:
        return ssShift;
    case VK_CONTROL:
        return ssCtrl;
    case VK_MENU:
        return ssAlt;
    default:
        return 0;
    }
}

}

HeadlessWindow::HeadlessWindow(EventLoop& loop, TSize screen)
    : m_loop(loop)
    , m_screen(screen)
{
}

void HeadlessWindow::SetClientSize(int width, int height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == m_size.cx && height == m_size.cy)
        return;
    // Keep what was shown in the part both sizes share, as a desktop would until repainted.
    std::vector<uint32_t> pixels(size_t(width) * height, 0);
    PixelView to { reinterpret_cast<uint8_t*>(pixels.data()), width, height };
    PixelView from = Screen();
    for (int y = 0; y < std::min(height, m_size.cy); ++y)
        std::copy_n(from.Row(y), std::min(width, m_size.cx), to.Row(y));
    m_screenPixels = std::move(pixels);
    m_size = { width, height };
}

void HeadlessWindow::Show()
{
    if (m_visible)
        return;
    m_visible = true;
    // A window that appears has nothing on screen yet: the desktop asks for all of it.
    InjectExpose({ 0, 0, m_size.cx, m_size.cy });
}

void HeadlessWindow::Present(const PixelView& pixels, const TRect& dirty)
{
    if (pixels.IsEmpty())
        return;
    TRect r = Intersect(Intersect(dirty, { 0, 0, m_size.cx, m_size.cy }), { 0, 0, pixels.width, pixels.height });
    ++m_presentCount;
    m_lastPresented = r;
    PixelView screen = Screen();
    for (int y = r.Top; y < r.Bottom; ++y)
        std::copy(pixels.Row(y) + r.Left, pixels.Row(y) + r.Right, screen.Row(y) + r.Left);
}

uint32_t HeadlessWindow::ScreenPixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_size.cx || y >= m_size.cy)
        return 0;
    return m_screenPixels[size_t(m_size.cy - 1 - y) * m_size.cx + size_t(x)];
}

std::vector<uint8_t> HeadlessWindow::ScreenshotPng() const
{
    Picture picture;
    picture.width = m_size.cx;
    picture.height = m_size.cy;
    picture.pixels.reserve(m_screenPixels.size());
    for (int y = 0; y < m_size.cy; ++y)
        for (int x = 0; x < m_size.cx; ++x)
            picture.pixels.push_back(ScreenPixel(x, y) | 0xFF000000u);
    return EncodePng(picture, false);
}

void HeadlessWindow::BeginSystemMove()
{
    ++m_systemMoves;
    // The desktop takes the mouse for the drag; the window sees the button's release no more.
    m_buttons &= static_cast<TShiftState>(~ssLeft);
}

void HeadlessWindow::InjectSystemMove(int dx, int dy)
{
    m_position = { m_position.X + dx, m_position.Y + dy };
}

bool HeadlessWindow::HitsWindow(int x, int y) const
{
    if (!m_visible || x < 0 || y < 0 || x >= m_size.cx || y >= m_size.cy)
        return false;
    if (m_shape.empty())
        return true;
    return std::any_of(m_shape.begin(), m_shape.end(), [&](const TRect& r) { return r.Contains({ x, y }); });
}

bool HeadlessWindow::TrackPointer(int x, int y)
{
    m_pointer = { x, y };
    bool hit = HitsWindow(x, y);
    if (hit && !m_inside) {
        m_inside = true;
        Event enter;
        enter.type = EventType::MouseEnterWindow;
        enter.x = x;
        enter.y = y;
        Post(std::move(enter));
    } else if (!hit && m_inside && !m_captured) {
        m_inside = false;
        Event leave;
        leave.type = EventType::MouseLeaveWindow;
        leave.x = x;
        leave.y = y;
        Post(std::move(leave));
    }
    return hit || m_captured;
}

TShiftState HeadlessWindow::Shift() const
{
    return static_cast<TShiftState>(m_buttons | m_modifiers);
}

void HeadlessWindow::Post(Event event)
{
    event.target = m_sink;
    if (event.shift == 0)
        event.shift = Shift();
    m_loop.Post(std::move(event));
}

void HeadlessWindow::InjectMouseMove(int x, int y)
{
    if (!TrackPointer(x, y))
        return;
    Event e;
    e.type = EventType::MouseMove;
    e.x = x;
    e.y = y;
    Post(std::move(e));
}

void HeadlessWindow::InjectMouseDown(int x, int y, TMouseButton button, bool doubleClick)
{
    if (!TrackPointer(x, y))
        return;
    m_buttons |= ButtonBit(button);
    Event e;
    e.type = EventType::MouseDown;
    e.x = x;
    e.y = y;
    e.button = button;
    e.shift = static_cast<TShiftState>(Shift() | (doubleClick ? ssDouble : 0));
    Post(std::move(e));
}

void HeadlessWindow::InjectMouseUp(int x, int y, TMouseButton button)
{
    bool wasDown = m_buttons & ButtonBit(button);
    m_buttons &= static_cast<TShiftState>(~ButtonBit(button));
    // A release outside the window reaches it only while it holds the capture.
    if (!TrackPointer(x, y) || !wasDown)
        return;
    Event e;
    e.type = EventType::MouseUp;
    e.x = x;
    e.y = y;
    e.button = button;
    Post(std::move(e));
}

void HeadlessWindow::InjectWheel(int x, int y, int delta)
{
    if (!TrackPointer(x, y))
        return;
    Event e;
    e.type = EventType::MouseWheel;
    e.x = x;
    e.y = y;
    e.wheelDelta = delta;
    Post(std::move(e));
}

void HeadlessWindow::InjectKeyDown(uint16_t virtualKey)
{
    m_modifiers |= ModifierBit(virtualKey);
    Event e;
    e.type = EventType::KeyDown;
    e.key = virtualKey;
    Post(std::move(e));
}

void HeadlessWindow::InjectKeyUp(uint16_t virtualKey)
{
    m_modifiers &= static_cast<TShiftState>(~ModifierBit(virtualKey));
    Event e;
    e.type = EventType::KeyUp;
    e.key = virtualKey;
    Post(std::move(e));
}

void HeadlessWindow::InjectChar(char ch)
{
    Event e;
    e.type = EventType::KeyChar;
    e.ch = ch;
    Post(std::move(e));
}

void HeadlessWindow::InjectClose()
{
    Event e;
    e.type = EventType::Close;
    Post(std::move(e));
}

void HeadlessWindow::InjectExpose(const TRect& rect)
{
    Event e;
    e.type = EventType::Paint;
    e.rect = Intersect(rect, { 0, 0, m_size.cx, m_size.cy });
    if (e.rect.IsEmpty())
        return;
    Post(std::move(e));
}

}
