// SPDX-License-Identifier: MIT
// The display on SDL 1.2: one video mode, shown by a flip or by rectangles.
#include "SdlDisplay.h"
#include "DisplayLoss.h"

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

struct SdlDisplay::Native {};

int SdlDisplay::startUp(int argc, char* argv[], int (*entry)(int, char*[]))
{
    SDL_Init(SDL_INIT_NOPARACHUTE);
    std::atexit(SDL_Quit);
    entry(argc, argv);
    return 0;
}

unsigned int SdlDisplay::modeFlags(bool fullscreen)
{
    Uint32 flags = SDL_HWSURFACE | SDL_DOUBLEBUF | SDL_ANYFORMAT;
    if (fullscreen)
        flags |= SDL_FULLSCREEN;
    return flags;
}

SdlDisplay::SdlDisplay(int width, int height, int bpp, bool fullscreen)
{
    try {
        screen = SDL_SetVideoMode(width, height, bpp, modeFlags(fullscreen));
    } catch (const std::bad_alloc&) {
        // sdl12-compat draws through SDL 2's OpenGL, whose Mesa may throw
        // when memory runs out while it builds its context.
        SDL_SetError("Out of memory");
        screen = nullptr;
    }
    // A surface without its pixel format cannot be drawn in.
    if (screen != nullptr && screen->format == nullptr) {
        SDL_SetError("The video surface has no pixel format");
        screen = nullptr;
    }
    // sdl12-compat grants a line of 65536 bytes or more, which SDL 1.2's
    // 16-bit pitch cannot count, so that every row would be drawn over the
    // first: refuse it, as classic SDL 1.2 does.
    if (screen != nullptr && screen->pitch < screen->w * screen->format->BytesPerPixel) {
        SDL_SetError("A scanline is too wide");
        screen = nullptr;
    }
    if (screen == nullptr) {
        std::printf("Can't set video mode: %s\n", SDL_GetError());
        std::exit(1);
    }
    DisplayLoss::catchIt(); // over SDL's own, which it has set by now
    // A window that SDL was given to draw in (SDL_WINDOWID) keeps its name.
    if (std::getenv("SDL_WINDOWID") == nullptr)
        SDL_WM_SetCaption("nimbrel", "nimbrel");
    // SDL 1.2 itself shows a smaller picture in the middle of a larger mode:
    // the picture is the whole surface.
}

// The video surface belongs to SDL, which frees it when it shuts down.
SdlDisplay::~SdlDisplay() = default;

bool SdlDisplay::flipWaitsForDisplay() const
{
    const Uint32 wanted = SDL_HWSURFACE | SDL_DOUBLEBUF;
    return (screen->flags & wanted) == wanted;
}

bool SdlDisplay::rectanglesReachEverywhere() const
{
    // SDL 1.2's SDL_Rect has signed 16-bit x and y.
    return screen->w <= 32767 && screen->h <= 32767;
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
    SDL_Flip(screen);
}

void SdlDisplay::present(SDL_Rect* rects, int count)
{
    if (count > 0)
        SDL_UpdateRects(screen, count, rects);
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
    SDL_Event e;
    if (!SDL_PollEvent(&e))
        return false;
    switch (e.type) {
    case SDL_QUIT:
    case SDL_MOUSEBUTTONDOWN: // the wheel too: buttons 4 and 5
    case SDL_MOUSEBUTTONUP:
        event = Event::Quit;
        break;
    case SDL_VIDEOEXPOSE: // sdl12-compat's: the picture must be shown again
        event = Event::Exposed;
        break;
    case SDL_KEYDOWN: // SDL 1.2 repeats no key unless asked to
        event = e.key.keysym.sym == SDLK_d ? Event::ToggleDrops : Event::Other;
        break;
    default:
        event = Event::Other;
        break;
    }
    return true;
}
