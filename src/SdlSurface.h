// SPDX-License-Identifier: MIT
#ifndef NIMBREL_SDLSURFACE_H
#define NIMBREL_SDLSURFACE_H

#include "Damage.h"
#include "SdlDisplay.h"
#include "Surface.h"

#include <cstddef>
#include <memory>
#include <vector>

struct SDL_Surface;
struct SDL_Rect;

// The picture on the display's video surface: draws straight into it, in
// whatever pixel format it has, at a scale, and notes what changed.
class SdlSurface : public Surface {
public:
    // Opens the display (see SdlDisplay); on failure prints one line and
    // exits with status 1.
    SdlSurface(int width, int height, int bpp, bool fullscreen);
    ~SdlSurface();

    SdlSurface(const SdlSurface&) = delete;
    SdlSurface& operator=(const SdlSurface&) = delete;

    void update() override;
    void clear() override;
    int getHeight() override;
    int getWidth() override;
    void lock() override;
    void unlock() override;
    void putPixel(int x, int y, Color color) override;
    void drawLine(int x1, int y1, int x2, int y2, Color& color) override;
    void drawCircle(int x, int y, int radius, Color& color) override;
    void fillRect(int x1, int y1, int x2, int y2, Color& color) override;
    void putPixelRow(int x, int y, const uint32_t* rgb, int count) override;
    void putPixels(const Point* at, const uint32_t* rgb, int count) override;
    uint32_t* rgbWords(int& stride, int& factor) override;
    void willDraw(const Point* at, int count) override;
    bool keepsPicture() override { return damage != nullptr; }
    void exposed() override;

    SdlDisplay& display() { return screenDisplay; }

    // From now on the picture stays from frame to frame, and update() shows
    // only the rectangles that were drawn in. Only for a single-buffered
    // mode, whose one buffer is what the display shows. Refused (false) for a
    // picture larger than SDL's 16-bit rectangles can name.
    bool keepPictureBetweenFrames();
    // The rectangles of the video surface that the last update() handed to
    // the display, when the picture is kept.
    const std::vector<SDL_Rect>& shownRects() const { return sdlRects; }

    // From now on each pixel of the picture is drawn as a factor x factor
    // square, so the picture is the area's size divided by factor; the strip
    // the division leaves at the right and bottom stays black. Before the
    // picture is kept and before anything is drawn.
    void setScale(int factor);
    int getScale() const { return scale; }

    // SDL's own surface, for tests and benchmarks.
    SDL_Surface* videoSurface() const { return screen; }

private:
    // Where the picture lies on the video surface, in its pixels: all of it,
    // or the middle of a full-screen mode larger than asked for.
    struct Area {
        int x, y, w, h;
    };

    SdlDisplay screenDisplay;
    SDL_Surface* screen;
    Area area{};
    int scale = 1;
    int width = 0, height = 0; // the picture, in its own pixels
    bool directRgb; // pixel values are 0x00RRGGBB: no mapping needed
    std::unique_ptr<Damage> damage; // set while the picture is kept
    // Where a pixel drawn now must be noted: damage, or none while the whole
    // picture is noted already (kept from clear() to update()).
    Damage* marks = nullptr;
    // The picture's first pixel on the locked surface, its pitch and the
    // bytes a pixel takes: read once per lock rather than once per pixel.
    unsigned char* pixels = nullptr;
    int pitch = 0;
    int bytes = 0;
    std::vector<SDL_Rect> sdlRects; // kept, so that a frame allocates nothing

    void findPixels();
    // A picture pixel, its value in the surface's own format.
    void store(int x, int y, uint32_t value);
    void storeSquare(int x, int y, uint32_t value);
    // The top-left byte of picture pixel (x, y)'s square on the surface.
    unsigned char* square(int x, int y) const
    {
        return pixels + static_cast<ptrdiff_t>(y) * scale * pitch + x * scale * bytes;
    }
    // The surface's value for a colour given as 0x00RRGGBB.
    uint32_t valueOf(uint32_t rgb) const;
};

#endif
