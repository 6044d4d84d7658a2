#pragma once

// What a form needs of the window system. A backend (SDL on a desktop, headless for tests and
// scripts) implements it; the form composes its whole picture in its own pixel memory and
// hands the backend finished pixels, so a backend never draws controls itself.
//
// Events: the backend posts the window's input to the event loop with `target` set to the sink
// given to SetEventSink (mouse coordinates in client pixels, keys as virtual-key codes), and
// registers itself as an IEventSource of that loop if it has to be pumped. A Paint event asks
// the form to present the given client rectangle again (after an expose); the form's own
// invalidation does not go through the backend.

#include "platform/events/Event.h"
#include "platform/types/Geometry.h"
#include "platform/types/PixelView.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Cursor identities with the framework's numbers.
using TCursor = int16_t;
enum : TCursor {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crHourGlass = -11,
    crHandPoint = -21,
};

class IWindowBackend {
public:
    virtual ~IWindowBackend() = default;

    virtual void SetEventSink(IEventSink* sink) = 0;

    virtual void SetClientSize(int width, int height) = 0;
    virtual TSize ClientSize() const = 0;
    // Screen position of the client area's top-left corner.
    virtual void SetPosition(int left, int top) = 0;
    virtual TPoint Position() const = 0;
    // Code page 1250 bytes.
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    // The window's outline as rectangles in client coordinates; an empty list removes the
    // shape (the window is rectangular again).
    virtual void SetShape(const std::vector<TRect>& region) = 0;
    // While captured, mouse events keep coming to this window when the pointer is outside it.
    virtual void SetCapture(bool captured) = 0;
    virtual void SetCursor(TCursor cursor) = 0;
    // Shows `dirty` (client coordinates) of `pixels`, which is client-sized: one present per
    // paint, only that rectangle.
    virtual void Present(const PixelView& pixels, const TRect& dirty) = 0;
    virtual TSize ScreenSize() const = 0;
    // Pointer position in screen coordinates.
    virtual TPoint CursorPos() const = 0;
    virtual void BringToFront() = 0;
    // Moves the window with the pointer while the left button stays down, as dragging a
    // caption does; returns when the drag is over (or at once where the backend cannot).
    virtual void BeginSystemMove() = 0;

    // The picture the desktop shows for the window (taskbar, switcher): `size` x `size`
    // pixels 0xAARRGGBB, top row first.
    virtual void SetIcon(const std::vector<uint32_t>& /*argb*/, int /*size*/) {}

    // Paletted displays. A 32-bit display has no palette: these keep their defaults there.
    // Colours are 0x00RRGGBB, as surface pixels carry them.
    virtual int BitsPerPixel() const { return 32; }
    // Maps `colors` into the display's palette (taking free entries when in the foreground);
    // returns how many of the display's entries changed.
    virtual int RealizePalette(const std::vector<uint32_t>& /*colors*/, bool /*background*/) { return 0; }
    // Shows a bottom-up 8-bit picture at (x, y), rows `stride` bytes apart, each index standing
    // for the colour of `colorTable`.
    virtual void PresentIndexed(int /*x*/, int /*y*/, int /*width*/, int /*height*/, const uint8_t* /*bits*/,
        int /*stride*/, const std::vector<uint32_t>& /*colorTable*/)
    {
    }
    // What the window shows, where the backend keeps it (empty otherwise). On a paletted
    // display it differs from the form's picture: every pixel is one of the display's entries.
    virtual PixelView ShownPicture() { return {}; }
};

// The picture to save for a screenshot of `form picture` shown through `window`: what a
// paletted display shows, else the form's own picture.
inline PixelView ScreenshotPicture(IWindowBackend* window, const PixelView& formPicture)
{
    if (window && window->BitsPerPixel() == 8) {
        const PixelView shown = window->ShownPicture();
        if (!shown.IsEmpty())
            return shown;
    }
    return formPicture;
}

// How forms get their window. The program installs a factory at start-up (SDL or headless);
// without one a form keeps its picture to itself and has no window, which is enough for tests.
using WindowBackendFactory = std::function<std::unique_ptr<IWindowBackend>()>;
void SetWindowBackendFactory(WindowBackendFactory factory);
std::unique_ptr<IWindowBackend> CreateWindowBackend();

}
