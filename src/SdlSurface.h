#ifndef NIMBREL_SDLSURFACE_H
#define NIMBREL_SDLSURFACE_H

#include "Damage.h"
#include "Surface.h"

#include <memory>
#include <vector>

struct SDL_Surface;
struct SDL_Rect;

// The window, or the full screen, through SDL 1.2; draws straight into the
// video surface that SDL returns.
class SdlSurface : public Surface {
public:
    // Opens the video mode; on failure prints one line and exits with status 1.
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
    bool keepsPicture() override { return damage != nullptr; }

    // Whether update() waits for the display, as a hardware double-buffered
    // video mode's flip does; where SDL grants no such mode it returns at once.
    bool flipWaitsForDisplay() const;

    // From now on the picture stays from frame to frame, and update() shows
    // only the rectangles that were drawn in. Only for a single-buffered
    // mode, whose one buffer is what the display shows. Refused (false) for a
    // picture larger than SDL's 16-bit rectangles can name.
    bool keepPictureBetweenFrames();
    // What the last update() handed to the display, when the picture is kept.
    const std::vector<Damage::Rect>& shownRects() const { return *shown; }

    // The flags that the constructor asks SDL for.
    static unsigned int modeFlags(bool fullscreen);

private:
    SDL_Surface* screen;
    bool directRgb; // pixel values are 0x00RRGGBB: no mapping needed
    std::unique_ptr<Damage> damage; // set while the picture is kept
    // Where a pixel drawn now must be noted: damage, or none while the whole
    // picture is noted already (kept from clear() to update()).
    Damage* marks = nullptr;
    // Of the locked surface, read once per lock rather than once per pixel.
    unsigned char* pixels = nullptr;
    int pitch = 0;
    const std::vector<Damage::Rect>* shown = &none; // damage's, after the first update
    std::vector<SDL_Rect> sdlRects;
    static const std::vector<Damage::Rect> none;
};

#endif
