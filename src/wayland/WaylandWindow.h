// SPDX-License-Identifier: MIT
#ifndef NIMBREL_WAYLANDWINDOW_H
#define NIMBREL_WAYLANDWINDOW_H

#include "EventSource.h"
#include "LibdecorFrame.h"
#include "WaylandPresenter.h"

#include <deque>
#include <memory>

struct wl_display;
struct wl_event_queue;
struct wl_registry;
struct wl_compositor;
struct wl_shm;
struct wl_seat;
struct wl_pointer;
struct wl_keyboard;
struct wl_surface;
struct xdg_wm_base;
struct xdg_surface;
struct xdg_toplevel;
struct zxdg_decoration_manager_v1;
struct zxdg_toplevel_decoration_v1;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

// The program's own top-level window on a Wayland desktop, on SDL's
// connection but with a queue of its own. SDL 2 and SDL 3 damage their
// windows' surfaces whole at every frame the compositor reports, so that
// the compositor would repaint the whole window each frame however little
// changed; on a surface of our own only the changed rectangles are
// repainted. The window takes its own input: a button or the wheel, and
// closing it, quit; the key that types d toggles the drops; the pointer is
// hidden over it.
class WaylandWindow {
public:
    // Null where the desktop lacks what it needs, or does not show it.
    static std::unique_ptr<WaylandWindow> open(wl_display* display, int width, int height, bool fullscreen);
    ~WaylandWindow();

    WaylandWindow(const WaylandWindow&) = delete;
    WaylandWindow& operator=(const WaylandWindow&) = delete;

    const WaylandPresenter& presenter() const { return *shown; }
    // The next event that a frame took in, if any.
    bool poll(EventSource::Event& event);
    // Shows a frame: the whole picture, or only these rectangles of it,
    // after taking in what the desktop sent (the buffers it gave back).
    void present();
    void present(const SDL_Rect* rects, int count);

private:
    // Takes in what the desktop sent, without waiting, and runs its
    // listeners: buffer releases and input.
    void dispatch();

    WaylandWindow(wl_display* display, int width, int height, bool fullscreen);

    struct Listeners;
    friend struct Listeners;

    wl_display* display;
    wl_event_queue* queue = nullptr;
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    wl_seat* seat = nullptr;
    xdg_wm_base* wmBase = nullptr;
    wl_pointer* pointer = nullptr;
    wl_keyboard* keyboard = nullptr;
    wl_surface* surface = nullptr;
    xdg_surface* xdgSurface = nullptr;
    xdg_toplevel* toplevel = nullptr;
    zxdg_decoration_manager_v1* decorations = nullptr;
    zxdg_toplevel_decoration_v1* decoration = nullptr;
    // The title bar where the desktop draws none; then the window's role.
    std::unique_ptr<LibdecorFrame> frame;
    xkb_context* xkb = nullptr;
    xkb_keymap* keymap = nullptr;
    xkb_state* keys = nullptr;
    bool configured = false;
    // Whether the pointer is over the picture rather than its title bar.
    bool pointerOnPicture = false;
    std::unique_ptr<WaylandPresenter> shown;
    std::deque<EventSource::Event> events;
};

#endif
