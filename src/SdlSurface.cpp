#include "SdlSurface.h"

#include <SDL/SDL.h>

#include <cstddef>
#include <cstdio>
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

const std::vector<Damage::Rect> SdlSurface::none;

unsigned int SdlSurface::modeFlags(bool fullscreen)
{
    Uint32 flags = SDL_HWSURFACE | SDL_DOUBLEBUF | SDL_ANYFORMAT;
    if (fullscreen)
        flags |= SDL_FULLSCREEN;
    return flags;
}

SdlSurface::SdlSurface(int width, int height, int bpp, bool fullscreen)
    : screen(SDL_SetVideoMode(width, height, bpp, modeFlags(fullscreen))), directRgb(false)
{
    if (screen == nullptr) {
        std::printf("Can't set video mode: %s\n", SDL_GetError());
        std::exit(1);
    }
    directRgb = isRgb32(screen->format);
    pixels = static_cast<unsigned char*>(screen->pixels);
    pitch = screen->pitch;
}

bool SdlSurface::keepPictureBetweenFrames()
{
    // SDL_Rect's x and y are signed 16-bit.
    if (screen->w > 32767 || screen->h > 32767)
        return false;
    damage = std::make_unique<Damage>(screen->w, screen->h);
    marks = damage.get();
    return true;
}

bool SdlSurface::flipWaitsForDisplay() const
{
    const Uint32 wanted = SDL_HWSURFACE | SDL_DOUBLEBUF;
    return (screen->flags & wanted) == wanted;
}

// The video surface belongs to SDL, which frees it when it shuts down.
SdlSurface::~SdlSurface() = default;

void SdlSurface::update()
{
    if (!damage) {
        SDL_Flip(screen);
        return;
    }
    shown = &damage->take();
    marks = damage.get();
    // Kept from frame to frame, so that a frame allocates nothing.
    sdlRects.resize(shown->size());
    for (size_t i = 0; i < shown->size(); ++i) {
        const Damage::Rect& r = (*shown)[i];
        sdlRects[i] = SDL_Rect{static_cast<Sint16>(r.x), static_cast<Sint16>(r.y), static_cast<Uint16>(r.w),
                               static_cast<Uint16>(r.h)};
    }
    // Called with no rectangle too: a frame in which nothing changed is still a frame.
    SDL_UpdateRects(screen, static_cast<int>(sdlRects.size()), sdlRects.data());
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
    return screen->h;
}

int SdlSurface::getWidth()
{
    return screen->w;
}

void SdlSurface::lock()
{
    if (SDL_MUSTLOCK(screen))
        SDL_LockSurface(screen);
    // Locking may move the pixels.
    pixels = static_cast<unsigned char*>(screen->pixels);
    pitch = screen->pitch;
}

void SdlSurface::unlock()
{
    if (SDL_MUSTLOCK(screen))
        SDL_UnlockSurface(screen);
}

void SdlSurface::putPixel(int x, int y, Color color)
{
    // SDL_ANYFORMAT may have given another depth than asked for, so the store
    // follows the depth the surface really has.
    if (marks)
        marks->mark(x, y);
    if (directRgb) {
        // The value SDL_MapRGB would give, without the call: the hot path.
        *reinterpret_cast<Uint32*>(pixels + static_cast<ptrdiff_t>(y) * pitch + x * 4) = packRgb(color);
        return;
    }
    const int bpp = screen->format->BytesPerPixel;
    storePixel(pixels + static_cast<ptrdiff_t>(y) * pitch + x * bpp, bpp, mapColor(screen->format, color));
}

void SdlSurface::putPixelRow(int x, int y, const uint32_t* rgb, int count)
{
    const SDL_PixelFormat* f = screen->format;
    const int bpp = f->BytesPerPixel;
    Uint8* p = pixels + static_cast<ptrdiff_t>(y) * pitch + x * bpp;
    if (marks)
        marks->markRow(x, y, count);
    // The usual X11 format is 0x00RRGGBB already: copy the row as it is.
    if (directRgb) {
        if (count == 1) // the landed layer's single pixels: no library call
            *reinterpret_cast<Uint32*>(p) = *rgb;
        else
            std::memcpy(p, rgb, static_cast<size_t>(count) * 4);
        return;
    }
    for (int i = 0; i < count; ++i, p += bpp)
        storePixel(p, bpp, mapColor(f, unpackRgb(rgb[i])));
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
    // SDL_Rect has 16-bit fields; each value keeps its low 16 bits.
    SDL_Rect rect;
    rect.x = static_cast<Sint16>(x1);
    rect.y = static_cast<Sint16>(y1);
    rect.w = static_cast<Uint16>(x2 - x1);
    rect.h = static_cast<Uint16>(y2 - y1);
    SDL_FillRect(screen, &rect, mapColor(screen->format, color));
}
