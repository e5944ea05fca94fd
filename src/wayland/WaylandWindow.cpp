// SPDX-License-Identifier: MIT
#include "WaylandWindow.h"

#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <linux/input-event-codes.h>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstring>

struct WaylandWindow::Listeners {
    static WaylandWindow& of(void* data) { return *static_cast<WaylandWindow*>(data); }

    static void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
    {
        WaylandWindow& w = of(data);
        auto bind = [&](const wl_interface* type, uint32_t upTo) {
            return wl_registry_bind(registry, name, type, version < upTo ? version : upTo);
        };
        // Version 4 of the compositor has damage counted in the buffer's pixels.
        if (std::strcmp(interface, wl_compositor_interface.name) == 0)
            w.compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
        else if (std::strcmp(interface, wl_shm_interface.name) == 0)
            w.shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
        else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0)
            w.wmBase = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 1));
        else if (std::strcmp(interface, zxdg_decoration_manager_v1_interface.name) == 0)
            w.decorations = static_cast<zxdg_decoration_manager_v1*>(bind(&zxdg_decoration_manager_v1_interface, 1));
        else if (std::strcmp(interface, wl_seat_interface.name) == 0 && w.seat == nullptr)
            w.seat = static_cast<wl_seat*>(bind(&wl_seat_interface, 5));
    }
    static void globalGone(void*, wl_registry*, uint32_t) {}

    static void ping(void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }

    static void configure(void* data, xdg_surface* surface, uint32_t serial)
    {
        xdg_surface_ack_configure(surface, serial);
        of(data).configured = true;
    }
    // The picture keeps its size whatever the desktop suggests.
    static void toplevelConfigure(void*, xdg_toplevel*, int32_t, int32_t, wl_array*) {}
    static void close(void* data, xdg_toplevel*) { of(data).events.push_back(EventSource::Event::Quit); }

    static void capabilities(void* data, wl_seat* seat, uint32_t caps)
    {
        WaylandWindow& w = of(data);
        if ((caps & WL_SEAT_CAPABILITY_POINTER) && w.pointer == nullptr) {
            w.pointer = wl_seat_get_pointer(seat);
            wl_pointer_add_listener(w.pointer, &pointerListener, data);
        }
        if ((caps & WL_SEAT_CAPABILITY_KEYBOARD) && w.keyboard == nullptr) {
            w.keyboard = wl_seat_get_keyboard(seat);
            wl_keyboard_add_listener(w.keyboard, &keyboardListener, data);
        }
    }
    static void seatName(void*, wl_seat*, const char*) {}

    // No cursor over the rain. The title bar's surfaces are libdecor's,
    // which sets the cursor there and takes the clicks.
    static void enter(void* data, wl_pointer* pointer, uint32_t serial, wl_surface* surface, wl_fixed_t, wl_fixed_t)
    {
        WaylandWindow& w = of(data);
        w.pointerOnPicture = surface == w.surface;
        if (w.pointerOnPicture)
            wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    }
    static void leave(void* data, wl_pointer*, uint32_t, wl_surface*) { of(data).pointerOnPicture = false; }
    static void motion(void*, wl_pointer*, uint32_t, wl_fixed_t, wl_fixed_t) {}
    // Pressing or releasing any button ends the program, and so does the
    // wheel, which older SDL reports as buttons.
    static void button(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t)
    {
        if (of(data).pointerOnPicture)
            of(data).events.push_back(EventSource::Event::Quit);
    }
    static void axis(void* data, wl_pointer*, uint32_t, uint32_t, wl_fixed_t)
    {
        if (of(data).pointerOnPicture)
            of(data).events.push_back(EventSource::Event::Quit);
    }
    static void frame(void*, wl_pointer*) {}
    static void axisSource(void*, wl_pointer*, uint32_t) {}
    static void axisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
    static void axisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}

    static void keymap(void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size)
    {
        WaylandWindow& w = of(data);
        void* text = MAP_FAILED;
        if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1)
            text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        ::close(fd);
        if (text == MAP_FAILED)
            return;
        xkb_keymap* map = xkb_keymap_new_from_string(w.xkb, static_cast<const char*>(text),
                                                     XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
        munmap(text, size);
        if (map == nullptr)
            return;
        xkb_state_unref(w.keys);
        xkb_keymap_unref(w.keymap);
        w.keymap = map;
        w.keys = xkb_state_new(map);
    }
    static void keyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
    static void keyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
    // The key whose first level types d, in the layout in use, as SDL tells
    // keys apart; held down, it counts once, since Wayland sends no repeats.
    static void key(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state)
    {
        WaylandWindow& w = of(data);
        if (state != WL_KEYBOARD_KEY_STATE_PRESSED)
            return;
        const xkb_keycode_t code = key + 8; // evdev to xkb
        bool isD = key == KEY_D;
        if (w.keys != nullptr) {
            const xkb_keysym_t* syms = nullptr;
            const int n = xkb_keymap_key_get_syms_by_level(w.keymap, code, xkb_state_key_get_layout(w.keys, code), 0,
                                                           &syms);
            isD = n == 1 && syms[0] == XKB_KEY_d;
        }
        if (isD)
            w.events.push_back(EventSource::Event::ToggleDrops);
    }
    static void modifiers(void* data, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched, uint32_t locked,
                          uint32_t group)
    {
        WaylandWindow& w = of(data);
        if (w.keys != nullptr)
            xkb_state_update_mask(w.keys, depressed, latched, locked, 0, 0, group);
    }
    static void repeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}

    // Set by name: the listeners grow with each version of the protocols,
    // and events of versions not asked for never come.
    static const wl_registry_listener registryListener;
    static const xdg_wm_base_listener wmBaseListener;
    static const xdg_surface_listener surfaceListener;
    static const xdg_toplevel_listener toplevelListener;
    static const wl_seat_listener seatListener;
    static const wl_pointer_listener pointerListener;
    static const wl_keyboard_listener keyboardListener;
};

const wl_registry_listener WaylandWindow::Listeners::registryListener = [] {
    wl_registry_listener l{};
    l.global = global;
    l.global_remove = globalGone;
    return l;
}();
const xdg_wm_base_listener WaylandWindow::Listeners::wmBaseListener = [] {
    xdg_wm_base_listener l{};
    l.ping = ping;
    return l;
}();
const xdg_surface_listener WaylandWindow::Listeners::surfaceListener = [] {
    xdg_surface_listener l{};
    l.configure = configure;
    return l;
}();
const xdg_toplevel_listener WaylandWindow::Listeners::toplevelListener = [] {
    xdg_toplevel_listener l{};
    l.configure = toplevelConfigure;
    l.close = close;
    return l;
}();
const wl_seat_listener WaylandWindow::Listeners::seatListener = [] {
    wl_seat_listener l{};
    l.capabilities = capabilities;
    l.name = seatName;
    return l;
}();
const wl_pointer_listener WaylandWindow::Listeners::pointerListener = [] {
    wl_pointer_listener l{};
    l.enter = enter;
    l.leave = leave;
    l.motion = motion;
    l.button = button;
    l.axis = axis;
    l.frame = frame;
    l.axis_source = axisSource;
    l.axis_stop = axisStop;
    l.axis_discrete = axisDiscrete;
    return l;
}();
const wl_keyboard_listener WaylandWindow::Listeners::keyboardListener = [] {
    wl_keyboard_listener l{};
    l.keymap = keymap;
    l.enter = keyboardEnter;
    l.leave = keyboardLeave;
    l.key = key;
    l.modifiers = modifiers;
    l.repeat_info = repeatInfo;
    return l;
}();

std::unique_ptr<WaylandWindow> WaylandWindow::open(wl_display* display, int width, int height, bool fullscreen)
{
    std::unique_ptr<WaylandWindow> window(new WaylandWindow(display, width, height, fullscreen));
    if (!window->shown)
        return nullptr;
    return window;
}

WaylandWindow::WaylandWindow(wl_display* display, int width, int height, bool fullscreen) : display(display)
{
    // A queue of its own, so that SDL's event pumping never runs into these
    // listeners, nor they into SDL's.
    queue = wl_display_create_queue(display);
    auto* wrapped = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapped), queue);
    registry = wl_display_get_registry(wrapped);
    wl_proxy_wrapper_destroy(wrapped);
    wl_registry_add_listener(registry, &Listeners::registryListener, this);
    wl_display_roundtrip_queue(display, queue);
    if (compositor == nullptr || shm == nullptr || wmBase == nullptr)
        return;
    xdg_wm_base_add_listener(wmBase, &Listeners::wmBaseListener, this);
    xkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (seat != nullptr)
        wl_seat_add_listener(seat, &Listeners::seatListener, this);

    surface = wl_compositor_create_surface(compositor);
    // Opaque: nothing beneath it is ever repainted for it.
    wl_region* opaque = wl_compositor_create_region(compositor);
    wl_region_add(opaque, 0, 0, width, height);
    wl_surface_set_opaque_region(surface, opaque);
    wl_region_destroy(opaque);
    // A title bar drawn by the desktop where it offers one (kwin); where it
    // draws none (GNOME), one drawn by libdecor, where it is installed.
    if (decorations == nullptr)
        frame = LibdecorFrame::open(display, surface, width, height, fullscreen,
                                    [this] { events.push_back(EventSource::Event::Quit); });
    if (frame) {
        shown = WaylandPresenter::open(display, shm, surface, width, height);
        return;
    }
    xdgSurface = xdg_wm_base_get_xdg_surface(wmBase, surface);
    xdg_surface_add_listener(xdgSurface, &Listeners::surfaceListener, this);
    toplevel = xdg_surface_get_toplevel(xdgSurface);
    xdg_toplevel_add_listener(toplevel, &Listeners::toplevelListener, this);
    // A title bar drawn by the desktop, where it offers one (not GNOME).
    if (decorations != nullptr) {
        decoration = zxdg_decoration_manager_v1_get_toplevel_decoration(decorations, toplevel);
        zxdg_toplevel_decoration_v1_set_mode(decoration, ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
    }
    xdg_toplevel_set_title(toplevel, "nimbrel");
    xdg_toplevel_set_app_id(toplevel, "nimbrel");
    if (fullscreen) {
        xdg_toplevel_set_fullscreen(toplevel, nullptr);
    } else {
        xdg_toplevel_set_min_size(toplevel, width, height);
        xdg_toplevel_set_max_size(toplevel, width, height);
    }
    // The first buffer may come only after the desktop's first configure,
    // which answers the first commit; a desktop that never sends it gets
    // SDL's own window.
    wl_surface_commit(surface);
    for (int tries = 0; !configured && tries < 100; ++tries)
        if (wl_display_roundtrip_queue(display, queue) < 0)
            break;
    if (configured)
        shown = WaylandPresenter::open(display, shm, surface, width, height);
}

WaylandWindow::~WaylandWindow()
{
    shown.reset(); // its buffers are on the surface
    frame.reset(); // the surface's role
    if (decoration != nullptr)
        zxdg_toplevel_decoration_v1_destroy(decoration);
    if (decorations != nullptr)
        zxdg_decoration_manager_v1_destroy(decorations);
    if (toplevel != nullptr)
        xdg_toplevel_destroy(toplevel);
    if (xdgSurface != nullptr)
        xdg_surface_destroy(xdgSurface);
    if (surface != nullptr)
        wl_surface_destroy(surface);
    // Release came with version 3 of the seat; before it, destroy.
    const bool release = seat != nullptr && wl_seat_get_version(seat) >= 3;
    if (pointer != nullptr)
        release ? wl_pointer_release(pointer) : wl_pointer_destroy(pointer);
    if (keyboard != nullptr)
        release ? wl_keyboard_release(keyboard) : wl_keyboard_destroy(keyboard);
    if (seat != nullptr)
        release ? wl_seat_release(seat) : wl_seat_destroy(seat);
    if (wmBase != nullptr)
        xdg_wm_base_destroy(wmBase);
    if (shm != nullptr)
        wl_shm_destroy(shm);
    if (compositor != nullptr)
        wl_compositor_destroy(compositor);
    wl_registry_destroy(registry);
    wl_display_flush(display);
    wl_event_queue_destroy(queue);
    xkb_state_unref(keys);
    xkb_keymap_unref(keymap);
    xkb_context_unref(xkb);
}

// Takes in what waits on the connection, without blocking, and runs the
// listeners of what came for this queue.
void WaylandWindow::dispatch()
{
    if (wl_display_prepare_read_queue(display, queue) == 0) {
        wl_display_flush(display);
        pollfd p{wl_display_get_fd(display), POLLIN, 0};
        if (::poll(&p, 1, 0) > 0)
            wl_display_read_events(display);
        else
            wl_display_cancel_read(display);
    }
    wl_display_dispatch_queue_pending(display, queue);
}

void WaylandWindow::present()
{
    dispatch();
    shown->present();
}

void WaylandWindow::present(const SDL_Rect* rects, int count)
{
    dispatch();
    shown->present(rects, count);
}

bool WaylandWindow::poll(EventSource::Event& event)
{
    if (events.empty())
        return false;
    event = events.front();
    events.pop_front();
    return true;
}
