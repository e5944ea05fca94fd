// SPDX-License-Identifier: MIT
// The display on SDL 3: a window, its surface shown whole or by rectangles.
#include "SdlDisplay.h"
#include "DisplayLoss.h"
#include "WaylandWindow.h"

#include <SDL3/SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

struct SdlDisplay::Native {
    SDL_Window* window = nullptr;
    // On Wayland, the window that shows the picture, in place of SDL's, and
    // its picture as a surface.
    std::unique_ptr<WaylandWindow> wayland;
    SDL_Surface* picture = nullptr;
};

namespace {

bool driverIs(const char* name)
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, name) == 0;
}

// SDL 3 still shows its window surface on Wayland through a renderer, the
// whole window every frame, as SDL 2 does: the picture goes to a window of
// the program's own, on SDL's connection, by the rectangles that changed.
// SDL opens no window then.
std::unique_ptr<WaylandWindow> openWaylandWindow(int width, int height, bool fullscreen)
{
    auto* display = static_cast<wl_display*>(
        SDL_GetPointerProperty(SDL_GetGlobalProperties(), SDL_PROP_GLOBAL_VIDEO_WAYLAND_WL_DISPLAY_POINTER, nullptr));
    return display != nullptr ? WaylandWindow::open(display, width, height, fullscreen) : nullptr;
}

SDL_Window* createWindow(SDL_PropertiesID props)
{
    SDL_Window* window = SDL_CreateWindowWithProperties(props);
    SDL_DestroyProperties(props);
    return window;
}

SDL_Window* createWindow(int x, int y, int width, int height, SDL_WindowFlags flags)
{
    const SDL_PropertiesID props = SDL_CreateProperties();
    SDL_SetStringProperty(props, SDL_PROP_WINDOW_CREATE_TITLE_STRING, "nimbrel");
    SDL_SetNumberProperty(props, SDL_PROP_WINDOW_CREATE_X_NUMBER, x);
    SDL_SetNumberProperty(props, SDL_PROP_WINDOW_CREATE_Y_NUMBER, y);
    SDL_SetNumberProperty(props, SDL_PROP_WINDOW_CREATE_WIDTH_NUMBER, width);
    SDL_SetNumberProperty(props, SDL_PROP_WINDOW_CREATE_HEIGHT_NUMBER, height);
    SDL_SetNumberProperty(props, SDL_PROP_WINDOW_CREATE_FLAGS_NUMBER, static_cast<Sint64>(flags));
    return createWindow(props);
}

// The program's own window, or the one SDL_WINDOWID names (a screensaver's).
// On return width and height are the picture's size, 0 where the window's
// own is the picture's; on Wayland, wayland may hold the window that shows
// it, and no SDL window is opened.
SDL_Window* openWindow(int& width, int& height, bool fullscreen, std::unique_ptr<WaylandWindow>& wayland)
{
    // On a Wayland desktop that offers Xwayland too, the program's own
    // Wayland window costs the desktop less than Xwayland does: ask for
    // Wayland first. A user's SDL_VIDEODRIVER still wins, and a window to
    // draw in (SDL_WINDOWID) is an X window.
    if (std::getenv("WAYLAND_DISPLAY") != nullptr && std::getenv("SDL_WINDOWID") == nullptr)
        SDL_SetHint(SDL_HINT_VIDEO_DRIVER, "wayland,x11");
    if (!SDL_InitSubSystem(SDL_INIT_VIDEO))
        return nullptr;
    // On X11 the window surface then lies in shared memory that the server
    // copies the changed rectangles from; otherwise SDL would show it through
    // a renderer, whole, every frame.
    if (driverIs("x11"))
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Rain behind other windows is still rain: a full screen stays shown.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");

    if (const char* id = std::getenv("SDL_WINDOWID")) {
        width = height = 0;
        const SDL_PropertiesID props = SDL_CreateProperties();
        SDL_SetNumberProperty(props, SDL_PROP_WINDOW_CREATE_X11_WINDOW_NUMBER,
                              static_cast<Sint64>(std::strtoull(id, nullptr, 0)));
        return createWindow(props);
    }

    const SDL_DisplayID screen = SDL_GetPrimaryDisplay();
    const SDL_DisplayMode* desktop = SDL_GetDesktopDisplayMode(screen);
    if (desktop == nullptr)
        return nullptr;
    if (width == 0)
        width = desktop->w;
    if (height == 0)
        height = desktop->h;
    if (driverIs("wayland")) {
        // Full screen shows the picture in the middle of the screen's size.
        wayland = openWaylandWindow(fullscreen ? desktop->w : width, fullscreen ? desktop->h : height, fullscreen);
        if (wayland)
            return nullptr;
    }
    if (!fullscreen) {
        // SDL centres a window; one larger than the screen would then start
        // off it, where SDL 1.2 puts it at the top-left.
        const int x = width > desktop->w ? 0 : SDL_WINDOWPOS_UNDEFINED;
        const int y = height > desktop->h ? 0 : SDL_WINDOWPOS_UNDEFINED;
        return createWindow(x, y, width, height, 0);
    }
    // A real mode: the smallest the display has that holds the picture,
    // which then shows in its middle. At the desktop's own size that covers
    // the screen without changing its mode.
    SDL_DisplayMode mode;
    if (!SDL_GetClosestFullscreenDisplayMode(screen, width, height, 0.0f, false, &mode)) {
        SDL_SetError("No display mode holds %dx%d", width, height);
        return nullptr;
    }
    const bool desktopSize = mode.w == desktop->w && mode.h == desktop->h;
    SDL_Window* window = createWindow(0, 0, mode.w, mode.h, SDL_WINDOW_FULLSCREEN | SDL_WINDOW_HIDDEN);
    if (window != nullptr && !desktopSize && !SDL_SetWindowFullscreenMode(window, &mode)) {
        SDL_DestroyWindow(window);
        return nullptr;
    }
    if (window != nullptr)
        SDL_ShowWindow(window);
    return window;
}

} // namespace

int SdlDisplay::startUp(int argc, char* argv[], int (*entry)(int, char*[]))
{
    // The program handles SIGTERM and SIGINT itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_Init(0);
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
        const WaylandPresenter& shown = native->wayland->presenter();
        native->picture = SDL_CreateSurfaceFrom(shown.pictureWidth(), shown.pictureHeight(), SDL_PIXELFORMAT_XRGB8888,
                                                shown.picture(), shown.pictureWidth() * 4);
        screen = native->picture;
        // SDL would report keys typed into that window too, which the window
        // reports itself.
        SDL_SetEventEnabled(SDL_EVENT_KEY_DOWN, false);
    } else if (native->window != nullptr)
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
    SDL_DestroySurface(native->picture);
    native->wayland.reset(); // on SDL's connection, which SDL_Quit closes
    SDL_DestroyWindow(native->window);
}

int SdlDisplay::bytesPerPixel() const
{
    return SDL_BYTESPERPIXEL(screen->format);
}

bool SdlDisplay::directRgb() const
{
    return screen->format == SDL_PIXELFORMAT_XRGB8888;
}

uint32_t SdlDisplay::mapRgb(uint8_t red, uint8_t green, uint8_t blue) const
{
    return SDL_MapSurfaceRGB(screen, red, green, blue);
}

void SdlDisplay::fill(SDL_Rect* rect, uint32_t value)
{
    SDL_FillSurfaceRect(screen, rect, value);
}

bool SdlDisplay::flipWaitsForDisplay() const
{
    return false; // a window surface is one buffer, shown when told
}

bool SdlDisplay::rectanglesReachEverywhere() const
{
    return true; // SDL 3's rectangles count in ints
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
    SDL_HideCursor();
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
    case SDL_EVENT_QUIT:
    case SDL_EVENT_MOUSE_BUTTON_DOWN:
    case SDL_EVENT_MOUSE_BUTTON_UP:
    case SDL_EVENT_MOUSE_WHEEL: // SDL 1.2 reports the wheel as buttons 4 and 5
        event = Event::Quit;
        break;
    case SDL_EVENT_WINDOW_EXPOSED:
        event = Event::Exposed;
        break;
    case SDL_EVENT_KEY_DOWN: // a key held down flips once, as in SDL 1.2
        event = e.key.key == SDLK_D && !e.key.repeat ? Event::ToggleDrops : Event::Other;
        break;
    default:
        event = Event::Other;
        break;
    }
    return true;
}
