// Preloaded into the real program by the whole-program tests: counts the
// frames it shows by wrapping SDL_Flip, and writes the count with the times
// of the first and last frame to $NIMBREL_FLIPS when the process exits.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

struct SDL_Surface;

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

extern "C" int SDL_Flip(SDL_Surface* screen)
{
    using Flip = int (*)(SDL_Surface*);
    static Flip real = reinterpret_cast<Flip>(dlsym(RTLD_NEXT, "SDL_Flip"));
    last = seconds();
    if (flips++ == 0)
        first = last;
    return real(screen);
}
