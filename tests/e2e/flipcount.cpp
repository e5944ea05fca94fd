// Preloaded into the real program by the whole-program tests: counts the
// frames it shows by wrapping SDL_Flip and SDL_UpdateRects (a kept picture),
// and writes the count with the times of the first and last frame to
// $NIMBREL_FLIPS when the process exits.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

struct SDL_Surface;
struct SDL_Rect;

namespace {

long flips = 0;
double first = 0.0, last = 0.0;

double seconds()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

__attribute__((destructor)) void report()
{
    if (const char* path = std::getenv("NIMBREL_FLIPS")) {
        if (FILE* f = std::fopen(path, "w")) {
            std::fprintf(f, "%ld %.6f %.6f\n", flips, first, last);
            std::fclose(f);
        }
    }
}

} // namespace

static void counted()
{
    last = seconds();
    if (flips++ == 0)
        first = last;
}

extern "C" int SDL_Flip(SDL_Surface* screen)
{
    using Flip = int (*)(SDL_Surface*);
    static Flip real = reinterpret_cast<Flip>(dlsym(RTLD_NEXT, "SDL_Flip"));
    counted();
    return real(screen);
}

extern "C" void SDL_UpdateRects(SDL_Surface* screen, int count, SDL_Rect* rects)
{
    using Update = void (*)(SDL_Surface*, int, SDL_Rect*);
    static Update real = reinterpret_cast<Update>(dlsym(RTLD_NEXT, "SDL_UpdateRects"));
    counted();
    real(screen, count, rects);
}
