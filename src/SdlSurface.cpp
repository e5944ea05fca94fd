// SPDX-License-Identifier: MIT
#include "SdlSurface.h"

#include <SDL.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Only the low 8 bits of a channel count: 256 draws as 0, -1 as 255.
Uint32 mapColor(const SDL_PixelFormat* format, const Surface::Color& c)
{
    return SDL_MapRGB(const_cast<SDL_PixelFormat*>(format),
                      static_cast<Uint8>(c.red), static_cast<Uint8>(c.green),
                      static_cast<Uint8>(c.blue));
}

// Stores a mapped pixel value in a pixel of n bytes.
inline void storePixel(Uint8* p, int n, Uint32 pixel)
{
    switch (n) {
    case 1:
        *p = static_cast<Uint8>(pixel);
        break;
    case 2:
        *reinterpret_cast<Uint16*>(p) = static_cast<Uint16>(pixel);
        break;
    case 3:
        // Least significant byte first, whatever the machine's byte order.
        p[0] = static_cast<Uint8>(pixel);
        p[1] = static_cast<Uint8>(pixel >> 8);
        p[2] = static_cast<Uint8>(pixel >> 16);
        break;
    case 4:
        *reinterpret_cast<Uint32*>(p) = pixel;
        break;
    default:
        break;
    }
}

bool isRgb32(const SDL_PixelFormat* f)
{
    return f->BytesPerPixel == 4 && f->Rmask == 0xFF0000 && f->Gmask == 0xFF00 && f->Bmask == 0xFF
        && f->Amask == 0;
}

} // namespace

unsigned int SdlSurface::modeFlags(bool fullscreen)
{
#if SDL_MAJOR_VERSION >= 2
    (void)fullscreen;
    return 0;
#else
    Uint32 flags = SDL_HWSURFACE | SDL_DOUBLEBUF | SDL_ANYFORMAT;
    if (fullscreen)
        flags |= SDL_FULLSCREEN;
    return flags;
#endif
}

namespace {

#if SDL_MAJOR_VERSION >= 2
// SDL 2 has windows rather than a video mode: the program's own, or the one
// SDL_WINDOWID names (a screensaver's). On return width and height are the
// picture's size, 0 where the window's own is the picture's.
SDL_Window* openWindow(int& width, int& height, bool fullscreen)
{
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
#endif

} // namespace

SdlSurface::SdlSurface(int width, int height, int bpp, bool fullscreen)
    : screen(nullptr), directRgb(false)
{
#if SDL_MAJOR_VERSION >= 2
    (void)bpp;
    window = openWindow(width, height, fullscreen);
    if (window != nullptr)
        screen = SDL_GetWindowSurface(window);
#else
    screen = SDL_SetVideoMode(width, height, bpp, modeFlags(fullscreen));
    // sdl12-compat grants a line of 65536 bytes or more, which SDL 1.2's
    // 16-bit pitch cannot count, so that every row would be drawn over the
    // first: refuse it, as classic SDL 1.2 does.
    if (screen != nullptr && screen->pitch < screen->w * screen->format->BytesPerPixel) {
        SDL_SetError("A scanline is too wide");
        screen = nullptr;
    }
    width = height = 0; // SDL 1.2 itself shows a smaller picture in the middle of a larger mode
#endif
    if (screen == nullptr) {
        std::printf("Can't set video mode: %s\n", SDL_GetError());
        std::exit(1);
    }
#if SDL_MAJOR_VERSION < 2
    // A window that SDL was given to draw in (SDL_WINDOWID) keeps its name.
    if (std::getenv("SDL_WINDOWID") == nullptr)
        SDL_WM_SetCaption("nimbrel", "nimbrel");
#endif
    directRgb = isRgb32(screen->format);
    // The picture: the size asked for in the middle of a larger screen, or
    // the whole video surface.
    area.w = width > 0 && width <= screen->w ? width : screen->w;
    area.h = height > 0 && height <= screen->h ? height : screen->h;
    area.x = (screen->w - area.w) / 2;
    area.y = (screen->h - area.h) / 2;
    this->width = area.w;
    this->height = area.h;
    findPixels();
}

void SdlSurface::setScale(int factor)
{
    scale = factor;
    width = area.w / scale;
    height = area.h / scale;
    findPixels();
}

bool SdlSurface::keepPictureBetweenFrames()
{
#if SDL_MAJOR_VERSION < 2
    // SDL 1.2's SDL_Rect has signed 16-bit x and y.
    if (screen->w > 32767 || screen->h > 32767)
        return false;
#endif
    damage = std::make_unique<Damage>(width, height);
    marks = damage.get();
    return true;
}

bool SdlSurface::flipWaitsForDisplay() const
{
#if SDL_MAJOR_VERSION >= 2
    return false; // a window surface is one buffer, shown when told
#else
    const Uint32 wanted = SDL_HWSURFACE | SDL_DOUBLEBUF;
    return (screen->flags & wanted) == wanted;
#endif
}

// SDL 1.2's video surface belongs to SDL, which frees it when it shuts down;
// SDL 2's belongs to the window, which is this surface's own.
SdlSurface::~SdlSurface()
{
#if SDL_MAJOR_VERSION >= 2
    SDL_DestroyWindow(window);
#endif
}

void SdlSurface::update()
{
    if (!damage) {
#if SDL_MAJOR_VERSION >= 2
        SDL_UpdateWindowSurface(window);
#else
        SDL_Flip(screen);
#endif
        return;
    }
    const std::vector<Damage::Rect>& changed = damage->take();
    marks = damage.get();
    sdlRects.resize(changed.size());
    for (size_t i = 0; i < changed.size(); ++i) {
        const Damage::Rect& r = changed[i];
        SDL_Rect& to = sdlRects[i];
        // Inside the video surface, so SDL 1.2's 16-bit fields hold them.
        to.x = static_cast<decltype(to.x)>(area.x + r.x * scale);
        to.y = static_cast<decltype(to.y)>(area.y + r.y * scale);
        to.w = static_cast<decltype(to.w)>(r.w * scale);
        to.h = static_cast<decltype(to.h)>(r.h * scale);
    }
    // Called with no rectangle too: a frame in which nothing changed is still a frame.
#if SDL_MAJOR_VERSION >= 2
    SDL_UpdateWindowSurfaceRects(window, sdlRects.data(), static_cast<int>(sdlRects.size()));
#else
    SDL_UpdateRects(screen, static_cast<int>(sdlRects.size()), sdlRects.data());
#endif
}

void SdlSurface::exposed()
{
    if (damage)
        damage->markAll();
}

void SdlSurface::clear()
{
    SDL_FillRect(screen, nullptr, 0);
    if (damage)
        damage->markAll();
    marks = nullptr;
}

int SdlSurface::getHeight()
{
    return height;
}

int SdlSurface::getWidth()
{
    return width;
}

void SdlSurface::lock()
{
    if (SDL_MUSTLOCK(screen))
        SDL_LockSurface(screen);
    findPixels(); // locking may move them
}

void SdlSurface::findPixels()
{
    bytes = screen->format->BytesPerPixel;
    pitch = screen->pitch;
    pixels = static_cast<unsigned char*>(screen->pixels) + static_cast<ptrdiff_t>(area.y) * pitch + area.x * bytes;
}

void SdlSurface::unlock()
{
    if (SDL_MUSTLOCK(screen))
        SDL_UnlockSurface(screen);
}

// Picture pixel (x, y) as a square of scale x scale video pixels.
void SdlSurface::storeSquare(int x, int y, uint32_t value)
{
    unsigned char* row = pixels + static_cast<ptrdiff_t>(y) * scale * pitch + x * scale * bytes;
    for (int i = 0; i < scale; ++i, row += pitch)
        for (int j = 0; j < scale; ++j)
            storePixel(row + j * bytes, bytes, value);
}

void SdlSurface::putPixel(int x, int y, Color color)
{
    // SDL_ANYFORMAT may have given another depth than asked for, so the store
    // follows the depth the surface really has.
    if (marks)
        marks->mark(x, y);
    const uint32_t value = directRgb ? packRgb(color) : mapColor(screen->format, color);
    if (scale != 1) {
        storeSquare(x, y, value);
        return;
    }
    if (directRgb) {
        // The value SDL_MapRGB would give, without the call: the hot path.
        *reinterpret_cast<Uint32*>(pixels + static_cast<ptrdiff_t>(y) * pitch + x * 4) = value;
        return;
    }
    storePixel(pixels + static_cast<ptrdiff_t>(y) * pitch + x * bytes, bytes, value);
}

void SdlSurface::putPixelRow(int x, int y, const uint32_t* rgb, int count)
{
    const SDL_PixelFormat* f = screen->format;
    if (marks)
        marks->markRow(x, y, count);
    if (scale != 1) {
        for (int i = 0; i < count; ++i)
            storeSquare(x + i, y, directRgb ? rgb[i] : mapColor(f, unpackRgb(rgb[i])));
        return;
    }
    Uint8* p = pixels + static_cast<ptrdiff_t>(y) * pitch + x * bytes;
    // The usual X11 format is 0x00RRGGBB already: copy the row as it is.
    if (directRgb) {
        if (count == 1) // the landed layer's single pixels: no library call
            *reinterpret_cast<Uint32*>(p) = *rgb;
        else
            std::memcpy(p, rgb, static_cast<size_t>(count) * 4);
        return;
    }
    for (int i = 0; i < count; ++i, p += bytes)
        storePixel(p, bytes, mapColor(f, unpackRgb(rgb[i])));
}

void SdlSurface::drawLine(int, int, int, int, Color&)
{
    std::fprintf(stderr, "WARNING: SdlSurface::drawLine() not implemented\n");
}

void SdlSurface::drawCircle(int, int, int, Color&)
{
    std::fprintf(stderr, "WARNING: SdlSurface::drawCircle() not implemented\n");
}

void SdlSurface::fillRect(int x1, int y1, int x2, int y2, Color& color)
{
    if (damage) // seldom and never by the rain: count the whole picture
        damage->markAll();
    // SDL 1.2's SDL_Rect has 16-bit fields; each value keeps its low 16 bits.
    const int x = static_cast<Sint16>(x1);
    const int y = static_cast<Sint16>(y1);
    const int w = static_cast<Uint16>(x2 - x1);
    const int h = static_cast<Uint16>(y2 - y1);
    // Clipped to the picture, then placed on the video surface.
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min(x + w, width), bottom = std::min(y + h, height);
    if (left >= right || top >= bottom)
        return;
    SDL_Rect rect;
    rect.x = static_cast<decltype(rect.x)>(area.x + left * scale);
    rect.y = static_cast<decltype(rect.y)>(area.y + top * scale);
    rect.w = static_cast<decltype(rect.w)>((right - left) * scale);
    rect.h = static_cast<decltype(rect.h)>((bottom - top) * scale);
    SDL_FillRect(screen, &rect, mapColor(screen->format, color));
}
