// SPDX-License-Identifier: MIT
#ifndef NIMBREL_WAYLANDPRESENTER_H
#define NIMBREL_WAYLANDPRESENTER_H

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

struct wl_buffer;
struct wl_display;
struct wl_shm;
struct wl_surface;

// Shows a picture kept in memory on a Wayland surface by shared-memory
// buffers, damaging only the rectangles that changed, as the X11 window
// surface does. SDL 2 and SDL 3 have no such surface on Wayland: they
// would upload and show the whole window every frame. A buffer the compositor still holds
// is left alone; the next free one gets, besides the new rectangles, those
// it missed while others were shown. Its buffers' releases come on the
// queue of the shared memory it is given, which its owner dispatches.
class WaylandPresenter {
public:
    // Null where the memory for the picture cannot be had.
    static std::unique_ptr<WaylandPresenter> open(wl_display* display, wl_shm* shm, wl_surface* surface,
                                                  int width, int height);
    ~WaylandPresenter();

    WaylandPresenter(const WaylandPresenter&) = delete;
    WaylandPresenter& operator=(const WaylandPresenter&) = delete;

    // The picture, 0x00RRGGBB pixels, as the X11 window surface usually is;
    // a row is width pixels. The display's SDL draws in it as a surface.
    uint32_t* picture() const { return shadow.get(); }
    int pictureWidth() const { return width; }
    int pictureHeight() const { return height; }

    // Hands the whole picture, or only these rectangles of it, to the compositor.
    void present();
    void present(const SDL_Rect* rects, int count);

private:
    struct Buffer {
        wl_buffer* buffer = nullptr;
        uint32_t* pixels = nullptr;
        bool busy = false; // the compositor may still read it
        bool allStale = true;
        std::vector<SDL_Rect> stale; // where it differs from the picture
    };

    WaylandPresenter(wl_display* display, wl_shm* shm, wl_surface* surface, int width, int height);
    Buffer* freeBuffer();
    void copy(Buffer& to, const SDL_Rect& r);
    void markStale(const SDL_Rect& r);

    static void released(void* data, wl_buffer* buffer);

    wl_display* display;
    wl_shm* shm;
    wl_surface* surface;
    int width, height;
    std::unique_ptr<uint32_t[]> shadow;
    std::vector<std::unique_ptr<Buffer>> buffers;
    std::vector<SDL_Rect> unsent; // changed since the last commit
    bool unsentAll = false;
};

#endif
