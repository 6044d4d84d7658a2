#include "platform/window/HeadlessWindow.h"

#include "platform/picture/Picture.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <stdexcept>
#include <unordered_map>

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

// The fixed entries every paletted display keeps, 10 at each end of the system palette.
constexpr uint32_t LowStaticColors[10] = { 0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080,
    0xC0C0C0, 0xC0DCC0, 0xA6CAF0 };
constexpr uint32_t HighStaticColors[10] = { 0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF,
    0xFF00FF, 0x00FFFF, 0xFFFFFF };

HeadlessWindow::HeadlessWindow(EventLoop& loop, TSize screen, int depth)
    : m_loop(loop)
    , m_screen(screen)
    , m_depth(depth == 8 ? 8 : 32)
{
    if (m_depth != 8)
        return;
    m_systemPalette.assign(SystemPaletteSize, 0);
    std::copy(std::begin(LowStaticColors), std::end(LowStaticColors), m_systemPalette.begin());
    std::copy(std::begin(HighStaticColors), std::end(HighStaticColors), m_systemPalette.end() - 10);
}

int HeadlessWindow::TakeFreeEntries(const std::vector<uint32_t>& colors)
{
    const int freeEntries = SystemPaletteSize - StaticColors;
    const int count = std::min<int>(static_cast<int>(colors.size()), freeEntries);
    int changed = 0;
    for (int i = 0; i < count; ++i) {
        uint32_t& entry = m_systemPalette[StaticColors / 2 + i];
        const uint32_t color = colors[i] & 0xFFFFFFu;
        changed += entry != color;
        entry = color;
    }
    return changed;
}

int HeadlessWindow::RealizePalette(const std::vector<uint32_t>& colors, bool background)
{
    // In the background a window gets no entries of its own: its colours map onto what the
    // foreground window left, and the answer is how many of them now map elsewhere.
    if (m_depth != 8)
        return 0;
    const int entriesChanged = background ? 0 : TakeFreeEntries(colors);
    std::vector<uint8_t> mapping;
    mapping.reserve(colors.size());
    for (uint32_t color : colors)
        mapping.push_back(NearestSystemEntry(color & 0xFFFFFFu));
    int remapped = 0;
    for (size_t i = 0; i < mapping.size(); ++i)
        remapped += i >= m_realizedMapping.size() || m_realizedMapping[i] != mapping[i];
    m_realizedMapping = std::move(mapping);
    return background ? remapped : entriesChanged;
}

uint8_t HeadlessWindow::NearestSystemEntry(uint32_t color) const
{
    int best = 0;
    int bestDistance = INT32_MAX;
    for (int i = 0; i < SystemPaletteSize; ++i) {
        const uint32_t e = m_systemPalette[i];
        const int dr = int((color >> 16) & 0xFF) - int((e >> 16) & 0xFF);
        const int dg = int((color >> 8) & 0xFF) - int((e >> 8) & 0xFF);
        const int db = int(color & 0xFF) - int(e & 0xFF);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
            if (distance == 0)
                break;
        }
    }
    return static_cast<uint8_t>(best);
}

void HeadlessWindow::ShowIndex(int x, int y, uint8_t index)
{
    const size_t at = size_t(m_size.cy - 1 - y) * m_size.cx + size_t(x);
    m_screenIndices[at] = index;
    m_screenPixels[at] = m_systemPalette[index];
}

uint8_t HeadlessWindow::ScreenIndex(int x, int y) const
{
    if (m_depth != 8 || x < 0 || y < 0 || x >= m_size.cx || y >= m_size.cy)
        return 0;
    return m_screenIndices[size_t(m_size.cy - 1 - y) * m_size.cx + size_t(x)];
}

void HeadlessWindow::PresentIndexed(int x, int y, int width, int height, const uint8_t* bits, int stride,
    const std::vector<uint32_t>& colorTable)
{
    if (m_depth != 8 || !bits || width <= 0 || height <= 0)
        return;
    // Each colour of the table shows as its nearest system entry: exactly itself once the
    // palette is realized in the foreground.
    uint8_t mapping[SystemPaletteSize] = {};
    for (size_t i = 0; i < colorTable.size() && i < SystemPaletteSize; ++i)
        mapping[i] = NearestSystemEntry(colorTable[i] & 0xFFFFFFu);
    const TRect r = Intersect(TRect { x, y, x + width, y + height }, { 0, 0, m_size.cx, m_size.cy });
    if (r.IsEmpty())
        return;
    ++m_presentCount;
    m_lastPresented = r;
    for (int row = r.Top; row < r.Bottom; ++row) {
        // Row 0 of the bottom-up picture is its bottom row.
        const uint8_t* line = bits + size_t(height - 1 - (row - y)) * stride;
        for (int column = r.Left; column < r.Right; ++column)
            ShowIndex(column, row, mapping[line[column - x]]);
    }
}

void HeadlessWindow::InjectActivate()
{
    if (m_depth == 8)
        Post({ .type = EventType::QueryNewPalette });
    Post({ .type = EventType::Activate });
}

void HeadlessWindow::InjectForeignPalette(const std::vector<uint32_t>& colors)
{
    if (m_depth != 8)
        return;
    // That program's window is in front now.
    Post({ .type = EventType::Deactivate });
    TakeFreeEntries(colors);
    Post({ .type = EventType::PaletteChanged });
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
    if (m_depth == 8)
        m_screenIndices.assign(m_screenPixels.size(), 0);
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
    if (m_depth == 8) {
        // A 32-bit picture blitted to a paletted display: every pixel becomes the nearest
        // system entry.
        std::unordered_map<uint32_t, uint8_t> nearest;
        for (int y = r.Top; y < r.Bottom; ++y) {
            for (int x = r.Left; x < r.Right; ++x) {
                const uint32_t color = pixels.Row(y)[x] & 0xFFFFFFu;
                auto [it, fresh] = nearest.try_emplace(color, 0);
                if (fresh)
                    it->second = NearestSystemEntry(color);
                ShowIndex(x, y, it->second);
            }
        }
        return;
    }
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
        Post({ .type = EventType::MouseEnterWindow, .x = x, .y = y });
    } else if (!hit && m_inside && !m_captured) {
        m_inside = false;
        Post({ .type = EventType::MouseLeaveWindow, .x = x, .y = y });
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
    Post({ .type = EventType::MouseMove, .x = x, .y = y });
}

void HeadlessWindow::InjectMouseDown(int x, int y, TMouseButton button, bool doubleClick)
{
    if (!TrackPointer(x, y))
        return;
    m_buttons |= ButtonBit(button);
    TShiftState shift = static_cast<TShiftState>(Shift() | (doubleClick ? ssDouble : 0));
    Post({ .type = EventType::MouseDown, .x = x, .y = y, .button = button, .shift = shift });
}

void HeadlessWindow::InjectMouseUp(int x, int y, TMouseButton button)
{
    bool wasDown = m_buttons & ButtonBit(button);
    m_buttons &= static_cast<TShiftState>(~ButtonBit(button));
    // A release outside the window reaches it only while it holds the capture.
    if (!TrackPointer(x, y) || !wasDown)
        return;
    Post({ .type = EventType::MouseUp, .x = x, .y = y, .button = button });
}

void HeadlessWindow::InjectWheel(int x, int y, int delta)
{
    if (!TrackPointer(x, y))
        return;
    Post({ .type = EventType::MouseWheel, .x = x, .y = y, .wheelDelta = delta });
}

void HeadlessWindow::InjectKeyDown(uint16_t virtualKey)
{
    m_modifiers |= ModifierBit(virtualKey);
    Post({ .type = EventType::KeyDown, .key = virtualKey });
}

void HeadlessWindow::InjectKeyUp(uint16_t virtualKey)
{
    m_modifiers &= static_cast<TShiftState>(~ModifierBit(virtualKey));
    Post({ .type = EventType::KeyUp, .key = virtualKey });
}

void HeadlessWindow::InjectChar(char ch)
{
    Post({ .type = EventType::KeyChar, .ch = ch });
}

void HeadlessWindow::InjectClose()
{
    Post({ .type = EventType::Close });
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
