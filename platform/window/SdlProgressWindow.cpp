#include "platform/window/SdlProgressWindow.h"

#include "platform/window/SdlWindow.h"

#include <SDL.h>

#include <algorithm>

namespace platform {

namespace {

constexpr int Width = 440;
constexpr int Height = 56;
constexpr int Margin = 14;
constexpr Uint8 Background[3] = { 0x2F, 0x32, 0x2B };
constexpr Uint8 Track[3] = { 0x55, 0x5A, 0x50 };
constexpr Uint8 Bar[3] = { 0xC8, 0xD2, 0x5A };

void Fill(SDL_Surface* surface, SDL_Rect rect, const Uint8 (&colour)[3])
{
    SDL_FillRect(surface, &rect, SDL_MapRGB(surface->format, colour[0], colour[1], colour[2]));
}

}

std::unique_ptr<SdlProgressWindow> SdlProgressWindow::Open(const std::string& titleUtf8)
{
    if (!SdlWindow::DisplayAvailable())
        return nullptr;
    SDL_Window* window = SDL_CreateWindow(titleUtf8.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, Width, Height, 0);
    if (!window)
        return nullptr;
    SdlWindow::GiveClassName(window);
    return std::unique_ptr<SdlProgressWindow>(new SdlProgressWindow(window));
}

SdlProgressWindow::~SdlProgressWindow()
{
    SDL_DestroyWindow(m_window);
}

bool SdlProgressWindow::Update(double fraction)
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT || (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)
            || (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE))
            m_stopped = true;
    }
    int barWidth = static_cast<int>(std::clamp(fraction, 0.0, 1.0) * (Width - 2 * Margin));
    if (barWidth != m_shownWidth) {
        m_shownWidth = barWidth;
        if (SDL_Surface* surface = SDL_GetWindowSurface(m_window)) {
            Fill(surface, { 0, 0, Width, Height }, Background);
            Fill(surface, { Margin, Margin, Width - 2 * Margin, Height - 2 * Margin }, Track);
            Fill(surface, { Margin, Margin, barWidth, Height - 2 * Margin }, Bar);
            SDL_UpdateWindowSurface(m_window);
        }
    }
    return !m_stopped;
}

}
