#ifndef NIMBREL_SDLSURFACE_H
#define NIMBREL_SDLSURFACE_H

#include "Surface.h"

struct SDL_Surface;

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

    // Whether update() waits for the display, as a hardware double-buffered
    // video mode's flip does; where SDL grants no such mode it returns at once.
    bool flipWaitsForDisplay() const;

    // The flags that the constructor asks SDL for.
    static unsigned int modeFlags(bool fullscreen);

private:
    SDL_Surface* screen;
};

#endif
