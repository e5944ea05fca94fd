// SPDX-License-Identifier: MIT
// On a Wayland desktop SDL 2 would damage its window whole every frame: the
// picture goes to a window of the program's own on SDL's connection.
#include "PictureWindow.h"
#include "WaylandWindow.h"

#include <SDL.h>
#include <SDL_syswm.h>

namespace {

// The Wayland window's picture, drawn in through an SDL surface.
class WaylandPicture : public PictureWindow {
public:
    explicit WaylandPicture(std::unique_ptr<WaylandWindow> opened) : window(std::move(opened))
    {
        const WaylandPresenter& shown = window->presenter();
        surface = SDL_CreateRGBSurfaceWithFormatFrom(shown.picture(), shown.pictureWidth(), shown.pictureHeight(),
                                                     32, shown.pictureWidth() * 4, SDL_PIXELFORMAT_RGB888);
    }
    ~WaylandPicture() override { SDL_FreeSurface(surface); }

    SDL_Surface* picture() override { return surface; }
    void present() override { window->present(); }
    void present(SDL_Rect* rects, int count) override { window->present(rects, count); }
    bool poll(Event& event) override { return window->poll(event); }

private:
    std::unique_ptr<WaylandWindow> window;
    SDL_Surface* surface = nullptr;
};

} // namespace

std::unique_ptr<PictureWindow> PictureWindow::open(SDL_Window* window, int width, int height, bool fullscreen)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND)
        return nullptr;
    std::unique_ptr<WaylandWindow> opened = WaylandWindow::open(info.info.wl.display, width, height, fullscreen);
    if (!opened)
        return nullptr;
    return std::make_unique<WaylandPicture>(std::move(opened));
}
