#include "platform/window/SdlProgressWindow.h"

#include "platform/window/PaintedWindow.h"
#include "platform/window/SdlWindow.h"

#include <SDL2/SDL.h>

namespace platform {

std::unique_ptr<SdlProgressWindow> SdlProgressWindow::Open(const std::string& titleUtf8, const std::string& caption, const std::string& name,
    SdlWindow* owner)
{
    if (!SdlWindow::DisplayAvailable())
        return nullptr;
    std::optional<BoxPainter> painter = BoxPainter::Load();
    if (!painter)
        return nullptr;
    std::unique_ptr<SdlProgressWindow> progress(new SdlProgressWindow(std::move(*painter), { caption, name, 0, 0, "&Storno" }));
    SdlProgressWindow* self = progress.get();
    progress->m_window = std::make_unique<PaintedWindow>(
        titleUtf8, progress->m_layout.size, owner, std::vector<char> { BoxAccelerator(progress->m_content.button) },
        [self](const BoxLook& look, PixelView target) { self->m_painter.PaintProgress(self->m_content, self->m_layout, look, target); },
        [self](TPoint point) { return self->m_layout.button.Contains(point) ? 0 : -1; });
    if (!progress->m_window->Made())
        return nullptr;
    progress->m_window->Show();
    return progress;
}

SdlProgressWindow::SdlProgressWindow(BoxPainter painter, ProgressContent content)
    : m_painter(std::move(painter))
    , m_content(std::move(content))
    , m_layout(m_painter.LayProgress(m_content))
{
}

SdlProgressWindow::~SdlProgressWindow() = default;

SDL_Window* SdlProgressWindow::Handle() const
{
    return m_window->Handle();
}

bool SdlProgressWindow::Update(uint64_t done, uint64_t total)
{
    SDL_Event event;
    while (SDL_PollEvent(&event))
        if (m_window->Handle(event))
            m_stopped = true;
    m_content.done = done;
    m_content.total = total;
    // The figures change at most a few hundred times, the bar's pixels as often: only a visible
    // change is drawn.
    std::string figures = ProgressFigures(done, total) + std::to_string(total ? done * m_layout.bar.Width() / total : 0);
    if (figures != m_shownFigures) {
        m_shownFigures = figures;
        m_window->Repaint();
    }
    return !m_stopped;
}

}
