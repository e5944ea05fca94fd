#include "SdlSurface.h"

#include <SDL/SDL.h>

#include <cstdlib>

extern "C" int SDL_main(int argc, char* argv[]);

int SDL_main(int, char*[])
{
    const int xRes = 640;
    const int yRes = 480;
    const int fullscreen = 0;

    SdlSurface surface(xRes, yRes, 32, fullscreen != 0);
    SDL_WM_SetCaption("nimbrel", "nimbrel");
    SDL_ShowCursor(0);

    bool running = true;
    SDL_Event event;
    for (;;) {
        // Drain every pending event before making the next frame; a quit
        // request is looked at only after that frame.
        if (SDL_PollEvent(&event)) {
            switch (event.type) {
            case SDL_QUIT:
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                running = false;
                break;
            case SDL_KEYDOWN:
                if (event.key.keysym.sym == SDLK_d) {
                    // Falling-drop drawing is switched here once the rain exists.
                }
                break;
            default:
                break;
            }
            continue;
        }
        surface.update();
        surface.clear();
        if (!running)
            break;
    }

    return 0;
}

// SDL 1.2 on Linux has no start-up of its own around SDL_main, so this is it.
int main(int argc, char* argv[])
{
    SDL_Init(SDL_INIT_NOPARACHUTE);
    std::atexit(SDL_Quit);
    SDL_main(argc, argv);
    return 0;
}
