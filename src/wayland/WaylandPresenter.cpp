// SPDX-License-Identifier: MIT
#include "WaylandPresenter.h"

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <new>

namespace {

// Two buffers take turns while the compositor releases one per frame; a
// third covers a compositor that holds on to both for a while. With all
// three held a frame waits in unsent damage for the next.
constexpr size_t maxBuffers = 3;
// Past this many rectangles missed a buffer is brought up to date whole.
constexpr size_t maxStale = 512;

} // namespace

std::unique_ptr<WaylandPresenter> WaylandPresenter::open(wl_display* display, wl_shm* shm, wl_surface* surface,
                                                         int width, int height)
{
    std::unique_ptr<WaylandPresenter> presenter(new WaylandPresenter(display, shm, surface, width, height));
    if (!presenter->shadow)
        return nullptr;
    return presenter;
}

WaylandPresenter::WaylandPresenter(wl_display* display, wl_shm* shm, wl_surface* surface, int width, int height)
    : display(display), shm(shm), surface(surface), width(width), height(height)
{
    shadow.reset(new (std::nothrow) uint32_t[static_cast<size_t>(width) * height]());
    unsentAll = true;
}

WaylandPresenter::~WaylandPresenter()
{
    for (auto& b : buffers) {
        wl_buffer_destroy(b->buffer);
        munmap(b->pixels, static_cast<size_t>(width) * height * 4);
    }
    wl_display_flush(display);
}

void WaylandPresenter::released(void* data, wl_buffer*)
{
    static_cast<Buffer*>(data)->busy = false;
}

WaylandPresenter::Buffer* WaylandPresenter::freeBuffer()
{
    for (auto& b : buffers)
        if (!b->busy)
            return b.get();
    if (buffers.size() == maxBuffers)
        return nullptr;
    const size_t size = static_cast<size_t>(width) * height * 4;
    const int fd = memfd_create("nimbrel", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    void* pixels = MAP_FAILED;
    if (ftruncate(fd, static_cast<off_t>(size)) == 0)
        pixels = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<int32_t>(size));
    auto b = std::make_unique<Buffer>();
    b->buffer = wl_shm_pool_create_buffer(pool, 0, width, height, width * 4, WL_SHM_FORMAT_XRGB8888);
    b->pixels = static_cast<uint32_t*>(pixels);
    static const wl_buffer_listener listener = {released};
    wl_buffer_add_listener(b->buffer, &listener, b.get());
    // The buffer keeps the memory; the pool and the descriptor are no longer needed.
    wl_shm_pool_destroy(pool);
    close(fd);
    buffers.push_back(std::move(b));
    return buffers.back().get();
}

void WaylandPresenter::copy(Buffer& to, const SDL_Rect& r)
{
    for (int y = r.y; y < r.y + r.h; ++y) {
        const size_t at = static_cast<size_t>(y) * width + r.x;
        std::memcpy(to.pixels + at, shadow.get() + at, static_cast<size_t>(r.w) * 4);
    }
}

void WaylandPresenter::markStale(const SDL_Rect& r)
{
    for (auto& b : buffers) {
        if (b->allStale)
            continue;
        if (b->stale.size() == maxStale) {
            b->allStale = true;
            b->stale.clear();
        } else {
            b->stale.push_back(r);
        }
    }
    if (unsentAll)
        return;
    if (unsent.size() == maxStale) {
        unsentAll = true;
        unsent.clear();
    } else {
        unsent.push_back(r);
    }
}

void WaylandPresenter::present()
{
    unsentAll = true;
    for (auto& b : buffers) {
        b->allStale = true;
        b->stale.clear();
    }
    present(nullptr, 0);
}

void WaylandPresenter::present(const SDL_Rect* rects, int count)
{
    for (int i = 0; i < count; ++i)
        markStale(rects[i]);
    // A frame in which nothing changed costs the compositor nothing.
    if (!unsentAll && unsent.empty())
        return;
    Buffer* b = freeBuffer();
    if (b == nullptr)
        return; // shown with a later frame
    if (b->allStale)
        copy(*b, SDL_Rect{0, 0, width, height});
    else
        for (const SDL_Rect& r : b->stale)
            copy(*b, r);
    b->allStale = false;
    b->stale.clear();

    wl_surface_attach(surface, b->buffer, 0, 0);
    // damage_buffer counts in the buffer's pixels whatever the surface's
    // scale; older compositors only know surface coordinates.
    const bool inBuffer = wl_proxy_get_version(reinterpret_cast<wl_proxy*>(surface)) >= 4;
    auto damage = [&](const SDL_Rect& r) {
        if (inBuffer)
            wl_surface_damage_buffer(surface, r.x, r.y, r.w, r.h);
        else
            wl_surface_damage(surface, r.x, r.y, r.w, r.h);
    };
    if (unsentAll)
        damage(SDL_Rect{0, 0, width, height});
    else
        for (const SDL_Rect& r : unsent)
            damage(r);
    unsent.clear();
    unsentAll = false;
    wl_surface_commit(surface);
    b->busy = true;
    wl_display_flush(display);
}
