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
Uint32 mapColor(const SdlDisplay& display, const Surface::Color& c)
{
    return display.mapRgb(static_cast<Uint8>(c.red), static_cast<Uint8>(c.green), static_cast<Uint8>(c.blue));
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

} // namespace

SdlSurface::SdlSurface(int width, int height, int bpp, bool fullscreen)
    : screenDisplay(width, height, bpp, fullscreen), screen(screenDisplay.videoSurface()),
      directRgb(screenDisplay.directRgb())
{
    // The picture: the size asked for in the middle of a larger screen, or
    // the whole video surface.
    const int askedW = screenDisplay.pictureWidth(), askedH = screenDisplay.pictureHeight();
    area.w = askedW > 0 && askedW <= screen->w ? askedW : screen->w;
    area.h = askedH > 0 && askedH <= screen->h ? askedH : screen->h;
    area.x = (screen->w - area.w) / 2;
    area.y = (screen->h - area.h) / 2;
    this->width = area.w;
    this->height = area.h;
    findPixels();
}

SdlSurface::~SdlSurface() = default;

void SdlSurface::setScale(int factor)
{
    scale = factor;
    width = area.w / scale;
    height = area.h / scale;
    findPixels();
}

bool SdlSurface::keepPictureBetweenFrames()
{
    if (!screenDisplay.rectanglesReachEverywhere())
        return false;
    damage = std::make_unique<Damage>(width, height);
    marks = damage.get();
    return true;
}

void SdlSurface::update()
{
    if (!damage) {
        screenDisplay.present();
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
    // With no rectangle when nothing changed: the display is handed nothing.
    screenDisplay.present(sdlRects.data(), static_cast<int>(sdlRects.size()));
}

void SdlSurface::exposed()
{
    if (damage)
        damage->markAll();
}

void SdlSurface::clear()
{
    screenDisplay.fill(nullptr, 0);
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
    bytes = screenDisplay.bytesPerPixel();
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
    unsigned char* row = square(x, y);
    if (bytes == 4) {
        // The usual depth, a square on every pixel of a large screen: whole
        // words, without the choice of size per pixel.
        for (int i = 0; i < scale; ++i, row += pitch)
            std::fill_n(reinterpret_cast<Uint32*>(row), scale, value);
        return;
    }
    for (int i = 0; i < scale; ++i, row += pitch)
        for (int j = 0; j < scale; ++j)
            storePixel(row + j * bytes, bytes, value);
}

uint32_t SdlSurface::valueOf(uint32_t rgb) const
{
    return directRgb ? rgb : mapColor(screenDisplay, unpackRgb(rgb));
}

void SdlSurface::store(int x, int y, uint32_t value)
{
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

void SdlSurface::putPixel(int x, int y, Color color)
{
    // SDL_ANYFORMAT may have given another depth than asked for, so the store
    // follows the depth the surface really has.
    if (marks)
        marks->mark(x, y);
    store(x, y, directRgb ? packRgb(color) : mapColor(screenDisplay, color));
}

void SdlSurface::putPixelRow(int x, int y, const uint32_t* rgb, int count)
{
    if (marks)
        marks->markRow(x, y, count);
    if (scale != 1) {
        for (int i = 0; i < count; ++i)
            storeSquare(x + i, y, valueOf(rgb[i]));
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
        storePixel(p, bytes, valueOf(rgb[i]));
}

void SdlSurface::putPixels(const Point* at, const uint32_t* rgb, int count)
{
    // Falling drops in heavy rain: a million pixels a frame, a call per drop;
    // each choice is made once a call, not once a pixel.
    if (marks)
        for (int i = 0; i < count; ++i)
            marks->mark(at[i].x, at[i].y);
    if (scale == 1 && directRgb) {
        for (int i = 0; i < count; ++i)
            *reinterpret_cast<Uint32*>(pixels + static_cast<ptrdiff_t>(at[i].y) * pitch + at[i].x * 4) = rgb[i];
        return;
    }
    if (scale == 2 && directRgb) {
        // A large screen's scale: two words in each of two rows, inline.
        for (int i = 0; i < count; ++i) {
            Uint32* row = reinterpret_cast<Uint32*>(square(at[i].x, at[i].y));
            row[0] = row[1] = rgb[i];
            row = reinterpret_cast<Uint32*>(reinterpret_cast<unsigned char*>(row) + pitch);
            row[0] = row[1] = rgb[i];
        }
        return;
    }
    for (int i = 0; i < count; ++i)
        store(at[i].x, at[i].y, valueOf(rgb[i]));
}

void SdlSurface::willDraw(const Point* at, int count)
{
    // A large picture's rows lie in memory far apart, and a drop's tail
    // crosses a row a pixel: each store would wait for its own row.
    for (int i = 0; i < count; ++i) {
        const unsigned char* row = square(at[i].x, at[i].y);
        for (int r = 0; r < scale; ++r, row += pitch)
            __builtin_prefetch(row, 1);
    }
}

uint32_t* SdlSurface::rgbWords(int& stride, int& factor)
{
    // The usual X11 format, while no change is noted pixel by pixel: not
    // kept, or kept but cleared whole for this frame.
    const bool straight = directRgb && !marks && pitch % 4 == 0;
    stride = straight ? pitch / 4 : 0;
    factor = scale;
    return straight ? reinterpret_cast<uint32_t*>(pixels) : nullptr;
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
    screenDisplay.fill(&rect, mapColor(screenDisplay, color));
}
