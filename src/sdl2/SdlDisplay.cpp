// SPDX-License-Identifier: MIT
// The display on SDL 2: a window, its surface shown whole or by rectangles.
#include "SdlDisplay.h"
#include "DisplayLoss.h"
#include "PictureWindow.h"

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

struct SdlDisplay::Native {
    SDL_Window* window = nullptr;
    // On Wayland, the window that shows the picture in place of SDL's.
    std::unique_ptr<PictureWindow> wayland;
};

namespace {

// SDL 2 has windows rather than a video mode: the program's own, or the one
// SDL_WINDOWID names (a screensaver's). On return width and height are the
// picture's size, 0 where the window's own is the picture's; on Wayland,
// wayland may hold the window that shows it.
SDL_Window* openWindow(int& width, int& height, bool fullscreen, std::unique_ptr<PictureWindow>& wayland)
{
    // On a Wayland desktop that offers Xwayland too, the program's own
    // Wayland window costs the desktop less than Xwayland does: ask for
    // Wayland first. A user's SDL_VIDEODRIVER still wins, and a window to
    // draw in (SDL_WINDOWID) is an X window.
    if (std::getenv("WAYLAND_DISPLAY") != nullptr && std::getenv("SDL_WINDOWID") == nullptr)
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland,x11");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return nullptr;
    // On X11 the window surface then lies in shared memory that the server
    // copies the changed rectangles from, as SDL 1.2's does; otherwise SDL 2
    // would show it through a renderer, whole, every frame. Other drivers
    // have no such surface of their own.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && std::strcmp(driver, "x11") == 0)
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Rain behind other windows is still rain: a full screen stays shown.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");

    if (const char* id = std::getenv("SDL_WINDOWID")) {
        width = height = 0;
        return SDL_CreateWindowFrom(reinterpret_cast<void*>(static_cast<uintptr_t>(std::strtoull(id, nullptr, 0))));
    }

    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0)
        return nullptr;
    if (width == 0)
        width = desktop.w;
    if (height == 0)
        height = desktop.h;
    if (driver != nullptr && std::strcmp(driver, "wayland") == 0) {
        // Full screen shows the picture in the middle of the screen's size.
        const int w = fullscreen ? desktop.w : width, h = fullscreen ? desktop.h : height;
        SDL_Window* hidden = SDL_CreateWindow("nimbrel", 0, 0, w, h, SDL_WINDOW_HIDDEN);
        if (hidden != nullptr && (wayland = PictureWindow::open(hidden, w, h, fullscreen)))
            return hidden;
        SDL_DestroyWindow(hidden);
    }
    if (!fullscreen) {
        // SDL 2 centres a window; one larger than the screen would then
        // start off it, where SDL 1.2 puts it at the top-left.
        const int x = width > desktop.w ? 0 : SDL_WINDOWPOS_UNDEFINED;
        const int y = height > desktop.h ? 0 : SDL_WINDOWPOS_UNDEFINED;
        return SDL_CreateWindow("nimbrel", x, y, width, height, 0);
    }
    // A real mode: the smallest the display has that holds the picture,
    // which then shows in its middle. At the desktop's own size that covers
    // the screen without changing its mode.
    SDL_DisplayMode wanted{};
    wanted.w = width;
    wanted.h = height;
    SDL_DisplayMode mode;
    if (SDL_GetClosestDisplayMode(0, &wanted, &mode) == nullptr) {
        SDL_SetError("No display mode holds %dx%d", width, height);
        return nullptr;
    }
    const bool desktopSize = mode.w == desktop.w && mode.h == desktop.h;
    return SDL_CreateWindow("nimbrel", 0, 0, mode.w, mode.h,
                            desktopSize ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_FULLSCREEN);
}

} // namespace

int SdlDisplay::startUp(int argc, char* argv[], int (*entry)(int, char*[]))
{
    // The program handles SIGTERM and SIGINT itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_Init(SDL_INIT_NOPARACHUTE);
    std::atexit(SDL_Quit);
    entry(argc, argv);
    return 0;
}

unsigned int SdlDisplay::modeFlags(bool)
{
    return 0;
}

SdlDisplay::SdlDisplay(int width, int height, int, bool fullscreen) : native(std::make_unique<Native>())
{
    native->window = openWindow(width, height, fullscreen, native->wayland);
    if (native->wayland) {
        screen = native->wayland->picture();
        // SDL reports keys typed into that window too, which the window
        // reports itself.
        SDL_EventState(SDL_KEYDOWN, SDL_IGNORE);
    }
    else if (native->window != nullptr)
        screen = SDL_GetWindowSurface(native->window);
    if (screen == nullptr) {
        std::printf("Can't set video mode: %s\n", SDL_GetError());
        std::exit(1);
    }
    DisplayLoss::catchIt(); // over SDL's own, which it has set by now
    this->width = width;
    this->height = height;
}

// The window surface belongs to the window, which is this display's own,
// as does the Wayland window's picture.
SdlDisplay::~SdlDisplay()
{
    native->wayland.reset(); // on SDL's connection, which goes with SDL's window
    SDL_DestroyWindow(native->window);
}

bool SdlDisplay::flipWaitsForDisplay() const
{
    return false; // a window surface is one buffer, shown when told
}

bool SdlDisplay::rectanglesReachEverywhere() const
{
    return true; // SDL 2's rectangles count in ints
}

int SdlDisplay::bytesPerPixel() const
{
    return screen->format->BytesPerPixel;
}

bool SdlDisplay::directRgb() const
{
    const SDL_PixelFormat* f = screen->format;
    return f->BytesPerPixel == 4 && f->Rmask == 0xFF0000 && f->Gmask == 0xFF00 && f->Bmask == 0xFF
        && f->Amask == 0;
}

uint32_t SdlDisplay::mapRgb(uint8_t red, uint8_t green, uint8_t blue) const
{
    return SDL_MapRGB(screen->format, red, green, blue);
}

void SdlDisplay::fill(SDL_Rect* rect, uint32_t value)
{
    SDL_FillRect(screen, rect, value);
}

void SdlDisplay::present()
{
    if (native->wayland)
        native->wayland->present();
    else
        SDL_UpdateWindowSurface(native->window);
}

void SdlDisplay::present(SDL_Rect* rects, int count)
{
    if (native->wayland)
        native->wayland->present(rects, count);
    else if (count > 0)
        SDL_UpdateWindowSurfaceRects(native->window, rects, count);
}

void SdlDisplay::hideCursor()
{
    SDL_ShowCursor(0);
}

bool SdlDisplay::poll(Event& event)
{
    // A window taken away ends the run as closing it would.
    if (DisplayLoss::takeWindowLost()) {
        event = Event::Quit;
        return true;
    }
    if (native->wayland && native->wayland->poll(event))
        return true;
    SDL_Event e;
    if (!SDL_PollEvent(&e))
        return false;
    switch (e.type) {
    case SDL_QUIT:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEWHEEL: // SDL 1.2 reports the wheel as buttons 4 and 5
        event = Event::Quit;
        break;
    case SDL_WINDOWEVENT:
        event = e.window.event == SDL_WINDOWEVENT_EXPOSED ? Event::Exposed : Event::Other;
        break;
    case SDL_KEYDOWN: // a key held down flips once, as in SDL 1.2
        event = e.key.keysym.sym == SDLK_d && !e.key.repeat ? Event::ToggleDrops : Event::Other;
        break;
    default:
        event = Event::Other;
        break;
    }
    return true;
}
