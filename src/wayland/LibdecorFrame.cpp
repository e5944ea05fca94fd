// SPDX-License-Identifier: MIT
#include "LibdecorFrame.h"

#include <dlfcn.h>
#include <libdecor.h>
#include <wayland-client.h>

#include <type_traits>

struct LibdecorFrame::Library {
    void* handle = nullptr;
    decltype(&libdecor_new) create = nullptr;
    decltype(&libdecor_unref) unref = nullptr;
    decltype(&libdecor_dispatch) dispatch = nullptr;
    decltype(&libdecor_decorate) decorate = nullptr;
    decltype(&libdecor_frame_unref) frameUnref = nullptr;
    decltype(&libdecor_frame_set_title) setTitle = nullptr;
    decltype(&libdecor_frame_set_app_id) setAppId = nullptr;
    decltype(&libdecor_frame_unset_capabilities) unsetCapabilities = nullptr;
    decltype(&libdecor_frame_set_min_content_size) setMinSize = nullptr;
    decltype(&libdecor_frame_set_max_content_size) setMaxSize = nullptr;
    decltype(&libdecor_frame_set_fullscreen) setFullscreen = nullptr;
    decltype(&libdecor_frame_map) map = nullptr;
    decltype(&libdecor_frame_commit) commit = nullptr;
    decltype(&libdecor_state_new) stateNew = nullptr;
    decltype(&libdecor_state_free) stateFree = nullptr;

    // Loaded once, for the process's life; null without libdecor or with
    // one that lacks a function.
    static const Library* load()
    {
        static const Library* loaded = [] {
            static Library l;
            // The name SDL loads, of the ABI this was written for.
            l.handle = dlopen("libdecor-0.so.0", RTLD_NOW | RTLD_LOCAL);
            if (l.handle == nullptr)
                return static_cast<const Library*>(nullptr);
            bool all = true;
            auto find = [&](auto& function, const char* name) {
                function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(l.handle, name));
                all = all && function != nullptr;
            };
            find(l.create, "libdecor_new");
            find(l.unref, "libdecor_unref");
            find(l.dispatch, "libdecor_dispatch");
            find(l.decorate, "libdecor_decorate");
            find(l.frameUnref, "libdecor_frame_unref");
            find(l.setTitle, "libdecor_frame_set_title");
            find(l.setAppId, "libdecor_frame_set_app_id");
            find(l.unsetCapabilities, "libdecor_frame_unset_capabilities");
            find(l.setMinSize, "libdecor_frame_set_min_content_size");
            find(l.setMaxSize, "libdecor_frame_set_max_content_size");
            find(l.setFullscreen, "libdecor_frame_set_fullscreen");
            find(l.map, "libdecor_frame_map");
            find(l.commit, "libdecor_frame_commit");
            find(l.stateNew, "libdecor_state_new");
            find(l.stateFree, "libdecor_state_free");
            return all ? static_cast<const Library*>(&l) : nullptr;
        }();
        return loaded;
    }
};

struct LibdecorFrame::Callbacks {
    static LibdecorFrame& of(void* data) { return *static_cast<LibdecorFrame*>(data); }

    // The desktop cannot be decorated this way: the window goes bare.
    static void error(libdecor*, libdecor_error, const char*) {}

    // The picture keeps its size whatever the desktop suggests.
    static void configure(libdecor_frame* frame, libdecor_configuration* configuration, void* data)
    {
        LibdecorFrame& f = of(data);
        libdecor_state* state = f.lib.stateNew(f.width, f.height);
        f.lib.commit(frame, state, configuration);
        f.lib.stateFree(state);
        f.configured = true;
    }
    static void close(libdecor_frame*, void* data) { of(data).onClose(); }
    // The decorations lie on subsurfaces that change with the window's own
    // commit.
    static void commit(libdecor_frame*, void* data) { wl_surface_commit(of(data).surface); }
    static void dismissPopup(libdecor_frame*, const char*, void*) {}

    static libdecor_interface contextInterface;
    static libdecor_frame_interface frameInterface;
};

libdecor_interface LibdecorFrame::Callbacks::contextInterface = [] {
    libdecor_interface i{};
    i.error = error;
    return i;
}();
libdecor_frame_interface LibdecorFrame::Callbacks::frameInterface = [] {
    libdecor_frame_interface i{};
    i.configure = configure;
    i.close = close;
    i.commit = commit;
    i.dismiss_popup = dismissPopup;
    return i;
}();

std::unique_ptr<LibdecorFrame> LibdecorFrame::open(wl_display* display, wl_surface* surface, int width, int height,
                                                   bool fullscreen, std::function<void()> onClose)
{
    const Library* lib = Library::load();
    if (lib == nullptr)
        return nullptr;
    std::unique_ptr<LibdecorFrame> f(new LibdecorFrame(*lib, surface, width, height, std::move(onClose)));
    // libdecor's objects live on the connection's default queue, which the
    // SDL event loop dispatches along with its own.
    f->context = lib->create(display, &Callbacks::contextInterface);
    if (f->context == nullptr)
        return nullptr;
    f->frame = lib->decorate(f->context, surface, &Callbacks::frameInterface, f.get());
    if (f->frame == nullptr)
        return nullptr;
    lib->setTitle(f->frame, "nimbrel");
    lib->setAppId(f->frame, "nimbrel");
    // The picture has one size: nothing to resize, maximise or make full
    // screen from the title bar.
    lib->unsetCapabilities(f->frame, static_cast<libdecor_capabilities>(LIBDECOR_ACTION_RESIZE
                                                                         | LIBDECOR_ACTION_FULLSCREEN));
    if (fullscreen) {
        lib->setFullscreen(f->frame, nullptr);
    } else {
        lib->setMinSize(f->frame, width, height);
        lib->setMaxSize(f->frame, width, height);
    }
    lib->map(f->frame);
    // The first buffer may come only after the desktop's first configure.
    for (int tries = 0; !f->configured && tries < 100; ++tries)
        if (lib->dispatch(f->context, 50) < 0)
            break;
    if (!f->configured)
        return nullptr;
    return f;
}

LibdecorFrame::LibdecorFrame(const Library& lib, wl_surface* surface, int width, int height,
                             std::function<void()> onClose)
    : lib(lib), surface(surface), width(width), height(height), onClose(std::move(onClose))
{
}

LibdecorFrame::~LibdecorFrame()
{
    if (frame != nullptr)
        lib.frameUnref(frame);
    if (context != nullptr)
        lib.unref(context);
}
