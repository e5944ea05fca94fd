// Preloaded into the real program by the whole-program tests: once the file
// named by $NIMBREL_STALL exists, the next frame never returns, as when the
// video library is stuck inside Xlib. As it starts to hang it creates
// $NIMBREL_STALL.stuck, so that a test knows a frame is in flight for good.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

struct SDL_Surface;
struct SDL_Rect;
struct SDL_Window;

namespace {

void hangOnceAsked()
{
    const char* flag = std::getenv("NIMBREL_STALL");
    if (flag == nullptr || access(flag, F_OK) != 0)
        return;
    const std::string stuck = std::string(flag) + ".stuck";
    close(open(stuck.c_str(), O_WRONLY | O_CREAT, 0644));
    // Signal handlers still run in between; nothing else does.
    for (;;)
        pause();
}

template <typename Function>
Function next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int SDL_Flip(SDL_Surface* screen)
{
    static auto real = next<int (*)(SDL_Surface*)>("SDL_Flip");
    hangOnceAsked();
    return real(screen);
}

extern "C" void SDL_UpdateRects(SDL_Surface* screen, int count, SDL_Rect* rects)
{
    static auto real = next<void (*)(SDL_Surface*, int, SDL_Rect*)>("SDL_UpdateRects");
    hangOnceAsked();
    real(screen, count, rects);
}

extern "C" int SDL_UpdateWindowSurface(SDL_Window* window)
{
    static auto real = next<int (*)(SDL_Window*)>("SDL_UpdateWindowSurface");
    hangOnceAsked();
    return real(window);
}

extern "C" int SDL_UpdateWindowSurfaceRects(SDL_Window* window, const SDL_Rect* rects, int count)
{
    static auto real = next<int (*)(SDL_Window*, const SDL_Rect*, int)>("SDL_UpdateWindowSurfaceRects");
    hangOnceAsked();
    return real(window, rects, count);
}
