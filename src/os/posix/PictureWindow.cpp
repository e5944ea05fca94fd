// SPDX-License-Identifier: MIT
// On a Wayland desktop SDL 2 would damage its window whole every frame: the
// picture goes to a window of the program's own on SDL's connection.
#include "PictureWindow.h"
#include "WaylandWindow.h"

#include <SDL.h>
#include <SDL_syswm.h>

std::unique_ptr<PictureWindow> PictureWindow::open(SDL_Window* window, int width, int height, bool fullscreen)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND)
        return nullptr;
    return WaylandWindow::open(info.info.wl.display, width, height, fullscreen);
}
