// SPDX-License-Identifier: MIT
#ifndef NIMBREL_PICTUREWINDOW_H
#define NIMBREL_PICTUREWINDOW_H

#include "EventSource.h"

#include <memory>

struct SDL_Rect;
struct SDL_Surface;
struct SDL_Window;

// A window of the program's own that shows the picture in place of SDL's
// window surface, where the desktop needs one (a Wayland desktop); it takes
// its own input. Which desktops need one differs by operating system: each
// has its own open().
class PictureWindow : public EventSource {
public:
    // Null where SDL's own window shows the picture; SDL's window then stays
    // the one shown.
    static std::unique_ptr<PictureWindow> open(SDL_Window* window, int width, int height, bool fullscreen);
    virtual ~PictureWindow() = default;

    // The surface to draw the picture in.
    virtual SDL_Surface* picture() = 0;
    // Hands the whole picture, or these rectangles of it, to the desktop.
    virtual void present() = 0;
    virtual void present(SDL_Rect* rects, int count) = 0;
};

#endif
