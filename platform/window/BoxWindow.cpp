#include "platform/window/BoxWindow.h"

#include "platform/text/Codepage.h"
#include "platform/window/PaintedWindow.h"
#include "platform/window/SdlWindow.h"

#include <SDL2/SDL.h>

namespace platform {

namespace {

constexpr int WakeMs = 100;

std::vector<char> Accelerators(const BoxContent& content)
{
    std::vector<char> letters;
    for (const std::string& label : content.buttons)
        letters.push_back(BoxAccelerator(label));
    return letters;
}

}

BoxOutcome RunBoxWindow(const BoxContent& content, SdlWindow* owner, const std::function<bool()>& stop)
{
    if (stop && stop())
        return { true, BoxNavigation::Closed };
    if (!SdlWindow::DisplayAvailable())
        return {};
    std::optional<BoxPainter> painter = BoxPainter::Load();
    if (!painter)
        return {};
    const BoxLayout layout = painter->Lay(content);
    PaintedWindow window(
        Cp1250ToUtf8(content.caption), layout.size, owner, Accelerators(content),
        [&](const BoxLook& look, PixelView target) { painter->Paint(content, layout, look, target); },
        [&](TPoint point) { return layout.ButtonAt(point); });
    if (!window.Made())
        return {};
    window.Show();
    for (;;) {
        if (stop && stop())
            return { true, BoxNavigation::Closed };
        SDL_Event event;
        if (!SDL_WaitEventTimeout(&event, WakeMs))
            continue;
        do {
            if (std::optional<int> answer = window.Handle(event))
                return { true, *answer };
        } while (SDL_PollEvent(&event));
    }
}

}
