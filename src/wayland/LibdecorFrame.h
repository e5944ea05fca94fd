// SPDX-License-Identifier: MIT
#ifndef NIMBREL_LIBDECORFRAME_H
#define NIMBREL_LIBDECORFRAME_H

#include <functional>
#include <memory>

struct wl_display;
struct wl_surface;
struct libdecor;
struct libdecor_frame;
struct libdecor_configuration;

// A title bar, a border and a close button around a window whose desktop
// draws none (GNOME's mutter), drawn by libdecor, as SDL's own windows get
// them there. libdecor is loaded when a window needs it, as SDL loads it, so
// that the program runs where it is not installed; without it the window
// goes bare. The frame is the window's top-level role: it sizes the window
// to the picture and keeps it so.
class LibdecorFrame {
public:
    // Null where libdecor cannot be loaded, or the desktop never configures
    // the window. onClose runs when the user asks to close it.
    static std::unique_ptr<LibdecorFrame> open(wl_display* display, wl_surface* surface, int width, int height,
                                               bool fullscreen, std::function<void()> onClose);
    ~LibdecorFrame();

    LibdecorFrame(const LibdecorFrame&) = delete;
    LibdecorFrame& operator=(const LibdecorFrame&) = delete;

private:
    struct Library; // libdecor's functions, as loaded
    struct Callbacks;

    LibdecorFrame(const Library& lib, wl_surface* surface, int width, int height, std::function<void()> onClose);

    const Library& lib;
    wl_surface* surface;
    int width, height;
    std::function<void()> onClose;
    libdecor* context = nullptr;
    libdecor_frame* frame = nullptr;
    bool configured = false;
};

#endif
