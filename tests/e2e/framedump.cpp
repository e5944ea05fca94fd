// SPDX-License-Identifier: MIT
// Preloaded into the real program to record what each frame hands to the
// display, so that two builds (SDL 1.2, 2 and 3) can be compared frame by
// frame. For every frame it writes one line to $NIMBREL_DUMP: the frame's
// number, how many rectangles it handed over (0 for a whole frame), a digest
// of their places and of the pixels inside them, and a digest of the whole
// picture. After $NIMBREL_DUMP_FRAMES frames it asks the program to stop
// with SIGTERM. With $NIMBREL_FIXED_TIME set, time() answers that number,
// so that both builds seed rand() alike.
#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

// The leading fields of the three libraries' SDL_Surface and their SDL_Rect
// (SDL 3's is SDL 2's).
struct Surface12 {
    uint32_t flags;
    void* format;
    int w, h;
    uint16_t pitch;
    void* pixels;
};
struct Rect12 {
    int16_t x, y;
    uint16_t w, h;
};
struct Surface2 {
    uint32_t flags;
    void* format;
    int w, h;
    int pitch;
    void* pixels;
};
struct Surface3 {
    uint32_t flags;
    int format;
    int w, h;
    int pitch;
    void* pixels;
};
struct Rect2 {
    int x, y, w, h;
};

struct Picture {
    int w, h, pitch;
    const unsigned char* pixels;
};

// FNV-1a, 64 bits.
struct Digest {
    uint64_t value = 1469598103934665603ULL;
    void add(uint32_t v)
    {
        for (int i = 0; i < 4; ++i) {
            value ^= (v >> (8 * i)) & 0xFF;
            value *= 1099511628211ULL;
        }
    }
    // The pixels of the box, as 0xRRGGBB on a 32-bit surface.
    void addBox(const Picture& p, int x, int y, int w, int h)
    {
        for (int row = y; row < y + h; ++row) {
            const uint32_t* line = reinterpret_cast<const uint32_t*>(p.pixels + static_cast<long>(row) * p.pitch);
            for (int col = x; col < x + w; ++col)
                add(line[col] & 0xFFFFFF);
        }
    }
};

long frames = 0;

void record(const Picture& p, int count, const int* boxes)
{
    Digest places, inside, whole;
    for (int i = 0; i < count; ++i) {
        const int* b = boxes + 4 * i;
        for (int k = 0; k < 4; ++k)
            places.add(static_cast<uint32_t>(b[k]));
        inside.addBox(p, b[0], b[1], b[2], b[3]);
    }
    whole.addBox(p, 0, 0, p.w, p.h);
    static FILE* out = [] {
        const char* path = std::getenv("NIMBREL_DUMP");
        return path ? std::fopen(path, "w") : nullptr;
    }();
    ++frames;
    if (out) {
        std::fprintf(out, "%ld %d %016llx %016llx %016llx\n", frames, count,
                     static_cast<unsigned long long>(places.value), static_cast<unsigned long long>(inside.value),
                     static_cast<unsigned long long>(whole.value));
        std::fflush(out);
    }
    const char* last = std::getenv("NIMBREL_DUMP_FRAMES");
    if (last && frames == std::atol(last))
        kill(getpid(), SIGTERM);
}

template <typename F>
F real(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// At most this many rectangles a frame are recorded; more is a fault here.
constexpr int MAX_BOXES = 1 << 16;
int boxes[4 * MAX_BOXES];

} // namespace

extern "C" time_t time(time_t* t)
{
    if (const char* fixed = std::getenv("NIMBREL_FIXED_TIME")) {
        const time_t v = std::atol(fixed);
        if (t)
            *t = v;
        return v;
    }
    static auto next = real<time_t (*)(time_t*)>("time");
    return next(t);
}

extern "C" int SDL_Flip(Surface12* s)
{
    static auto next = real<int (*)(Surface12*)>("SDL_Flip");
    record({s->w, s->h, s->pitch, static_cast<const unsigned char*>(s->pixels)}, 0, boxes);
    return next(s);
}

extern "C" void SDL_UpdateRects(Surface12* s, int count, Rect12* rects)
{
    static auto next = real<void (*)(Surface12*, int, Rect12*)>("SDL_UpdateRects");
    if (count > MAX_BOXES)
        std::abort();
    for (int i = 0; i < count; ++i) {
        int* b = boxes + 4 * i;
        b[0] = rects[i].x, b[1] = rects[i].y, b[2] = rects[i].w, b[3] = rects[i].h;
    }
    record({s->w, s->h, s->pitch, static_cast<const unsigned char*>(s->pixels)}, count, boxes);
    next(s, count, rects);
}

struct SDL_Window;

namespace {

template <typename S>
Picture pictureOf(const S* s)
{
    return {s->w, s->h, s->pitch, static_cast<const unsigned char*>(s->pixels)};
}

Picture windowPicture(SDL_Window* window)
{
    static void* surfaceOf = dlsym(RTLD_NEXT, "SDL_GetWindowSurface");
    static const bool sdl3 = [] {
        Dl_info info;
        return dladdr(surfaceOf, &info) != 0 && std::strstr(info.dli_fname, "libSDL3") != nullptr;
    }();
    void* s = reinterpret_cast<void* (*)(SDL_Window*)>(surfaceOf)(window);
    return sdl3 ? pictureOf(static_cast<Surface3*>(s)) : pictureOf(static_cast<Surface2*>(s));
}

} // namespace

extern "C" int SDL_UpdateWindowSurface(SDL_Window* window)
{
    static auto next = real<int (*)(SDL_Window*)>("SDL_UpdateWindowSurface");
    record(windowPicture(window), 0, boxes);
    return next(window);
}

extern "C" int SDL_UpdateWindowSurfaceRects(SDL_Window* window, const Rect2* rects, int count)
{
    static auto next = real<int (*)(SDL_Window*, const Rect2*, int)>("SDL_UpdateWindowSurfaceRects");
    if (count > MAX_BOXES)
        std::abort();
    for (int i = 0; i < count; ++i) {
        int* b = boxes + 4 * i;
        b[0] = rects[i].x, b[1] = rects[i].y, b[2] = rects[i].w, b[3] = rects[i].h;
    }
    record(windowPicture(window), count, boxes);
    return next(window, rects, count);
}
