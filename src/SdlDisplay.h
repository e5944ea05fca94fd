// SPDX-License-Identifier: MIT
#ifndef NIMBREL_SDLDISPLAY_H
#define NIMBREL_SDLDISPLAY_H

#include "EventSource.h"

#include <cstdint>
#include <memory>

struct SDL_Rect;
struct SDL_Surface;

// All that SDL 1.2, SDL 2 and SDL 3 do differently: the process start-up,
// opening the window or the video mode, its pixel format, handing frames to
// the display, and the events. One implementation for each, in sdl1.2/,
// sdl2/ and sdl3/; the build compiles the one it is made on.
class SdlDisplay : public EventSource {
public:
    // Initialises SDL as the program needs it, runs the entry function, and
    // shuts SDL down at exit. Returns 0 whatever the entry returned.
    static int startUp(int argc, char* argv[], int (*entry)(int, char*[]));

    // Opens the video mode or the window; on failure prints one line and
    // exits with status 1. A width or height of 0 takes the screen's. Where
    // SDL_WINDOWID names a window, draws in that one. SDL 2 gives its window
    // surface the display's own format whatever bpp asks for, as SDL 1.2 may
    // for SDL_ANYFORMAT.
    SdlDisplay(int width, int height, int bpp, bool fullscreen);
    ~SdlDisplay();

    SdlDisplay(const SdlDisplay&) = delete;
    SdlDisplay& operator=(const SdlDisplay&) = delete;

    // The surface SDL draws from, and the part of it that shows the picture
    // asked for: the whole of it, or the middle of a larger full-screen mode.
    SDL_Surface* videoSurface() const { return screen; }
    int pictureWidth() const { return width; }
    int pictureHeight() const { return height; }

    // The video surface's pixel format: the bytes a pixel takes, whether
    // its values are 0x00RRGGBB as they are, and the value of a colour.
    int bytesPerPixel() const;
    bool directRgb() const;
    uint32_t mapRgb(uint8_t red, uint8_t green, uint8_t blue) const;
    // Fills a rectangle of the video surface, all of it for nullptr.
    void fill(SDL_Rect* rect, uint32_t value);

    // Whether showing a frame waits for the display, as a hardware
    // double-buffered mode's flip does; then the display paces the frames.
    bool flipWaitsForDisplay() const;
    // Whether the display's rectangles can name every part of the surface.
    bool rectanglesReachEverywhere() const;

    // Hands the whole surface, or only these rectangles of it, to the display.
    // With no rectangle nothing is handed over: some libraries would show
    // the whole picture again (sdl12-compat draws it through a renderer), or
    // wait on the display (SDL 2's X11 surface); a window of the program's
    // own still takes in what the desktop sent it.
    void present();
    void present(SDL_Rect* rects, int count);

    void hideCursor();

    bool poll(Event& event) override;

    // The flags asked of SDL 1.2 for a video mode (SDL 2 and 3 ask none: 0).
    static unsigned int modeFlags(bool fullscreen);

private:
    struct Native; // what one SDL version keeps of its own
    std::unique_ptr<Native> native;
    SDL_Surface* screen = nullptr;
    int width = 0;
    int height = 0;
};

#endif
