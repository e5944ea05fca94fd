#include "RainSimulation.h"
#include "SdlSurface.h"

#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>

extern "C" int SDL_main(int argc, char* argv[]);

int SDL_main(int, char*[])
{
    int xRes = 640;
    int yRes = 480;
    int fullscreen = 0;
    int dropRate = 10;
    int dropSpeed = 50;
    int tailLength = 10;
    bool showDrops = false;

    // A new batch every 0 steps makes no sense (it is a divisor).
    if (dropSpeed == 0)
        dropSpeed = 50;

    SdlSurface surface(xRes, yRes, 32, fullscreen != 0);
    SDL_WM_SetCaption("nimbrel", "nimbrel");
    SDL_ShowCursor(0);

    if (!RainSimulation::fitsOn(surface.getWidth(), surface.getHeight())) {
        std::printf("The picture of %dx%d pixels is too small for the rain: it must be at least %dx%d.\n",
                    surface.getWidth(), surface.getHeight(), RainSimulation::MIN_WIDTH,
                    RainSimulation::MIN_HEIGHT);
        std::exit(1);
    }
    RainSimulation simulation(surface, dropRate, dropSpeed, tailLength, showDrops);

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
                if (event.key.keysym.sym == SDLK_d)
                    simulation.showDrops = !simulation.showDrops;
                break;
            default:
                break;
            }
            continue;
        }
        simulation.runNextStep();
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
