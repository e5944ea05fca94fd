// SPDX-License-Identifier: MIT
#include "ConfigFile.h"
#include "FramePacer.h"
#include "RainSimulation.h"
#include "SdlSurface.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <optional>

#include <unistd.h>

extern "C" int SDL_main(int argc, char* argv[]);

namespace {

// The built-in defaults, for settings that are missing, do not convert, or
// make no sense.
constexpr int DEFAULT_X_RES = 640;
constexpr int DEFAULT_Y_RES = 480;
constexpr int DEFAULT_DROP_SPEED = 50;
constexpr int DEFAULT_FRAME_RATE = 60;

// The picture rows that make each step of the automatic scale.
constexpr int SCALE_ROWS = 1080;

// X counts a window's width and height in 16 bits.
constexpr int MAX_SIDE = 65535;

// Set by SIGTERM or SIGINT, as a screensaver or a shell asks nimbrel to stop;
// read by the loop, which then ends without drawing another frame.
volatile std::sig_atomic_t stopRequested = 0;

// A screensaver sends SIGTERM once it has taken the window away, and drawing
// into a vanished window can leave the video library stuck inside Xlib for
// good (SDL 2's X error handler calls back into Xlib while Xlib holds its own
// lock), so that the loop never reads the flag again. The first stop signal
// therefore also arms this timer: a process still there when it fires leaves
// at once, with status 0, since it was asked to stop and it stops.
constexpr unsigned STOP_GRACE_SECONDS = 1;

extern "C" void leaveNow(int)
{
    _exit(0);
}

// Only async-signal-safe calls here.
extern "C" void requestStop(int)
{
    if (stopRequested == 0) {
        stopRequested = 1;
        alarm(STOP_GRACE_SECONDS);
    }
}

void catchStopSignals()
{
    std::signal(SIGALRM, leaveNow);
    std::signal(SIGTERM, requestStop);
    // A shell starts background jobs with SIGINT ignored; leave it so.
    if (std::signal(SIGINT, requestStop) == SIG_IGN)
        std::signal(SIGINT, SIG_IGN);
}

// Reads one integer setting, keeping the default when it is missing or
// does not convert.
int intSetting(ConfigFile& config, const char* key, int fallback)
{
    int value = fallback;
    config.get<int>(key, &value); // leaves value alone when it answers false
    return value;
}

// SDL 1.2 counts a surface's bytes in an int and crashes when a tall
// picture overflows it (4 bytes a pixel at most).
bool tooLargeForSdl(int width, int height)
{
    return static_cast<int64_t>(width) * height * 4 > INT_MAX;
}

[[noreturn]] void refuse(int width, int height, const char* why)
{
    std::printf("The rain cannot run on a %dx%d picture: %s.\n", width, height, why);
    std::exit(1);
}

} // namespace

int SDL_main(int, char*[])
{
    ConfigFile config(ConfigFile::locate("nimbrel.conf"));
    int xRes = intSetting(config, "xRes", DEFAULT_X_RES);
    int yRes = intSetting(config, "yRes", DEFAULT_Y_RES);
    const int fullscreen = intSetting(config, "fullscreen", 0);
    const int dropRate = intSetting(config, "dropRate", 10);
    int dropSpeed = intSetting(config, "dropSpeed", DEFAULT_DROP_SPEED);
    const int tailLength = intSetting(config, "tailLength", 10);
    bool showDrops = false;
    config.get<bool>("showDrops", &showDrops);
    int frameRate = intSetting(config, "frameRate", DEFAULT_FRAME_RATE);
    int scale = intSetting(config, "scale", 0);

    // 0 stays: SDL then takes that side from the screen.
    if (xRes < 0)
        xRes = DEFAULT_X_RES;
    if (yRes < 0)
        yRes = DEFAULT_Y_RES;
    if (dropSpeed == 0) // a divisor
        dropSpeed = DEFAULT_DROP_SPEED;
    if (frameRate < 0)
        frameRate = DEFAULT_FRAME_RATE;
    if (scale < 0)
        scale = 0;

    // A side of 0 is the screen's, unknown until the mode is set: leave it
    // out here and check the granted size below.
    if (tooLargeForSdl(xRes == 0 ? 1 : xRes, yRes == 0 ? 1 : yRes))
        refuse(xRes, yRes, "it is too large for the video system");
    // Asked for, X would end the program with an error of its own.
    if (xRes > MAX_SIDE || yRes > MAX_SIDE) {
        char why[80];
        std::snprintf(why, sizeof why, "X holds no window wider or higher than %d pixels", MAX_SIDE);
        refuse(xRes, yRes, why);
    }

    // Before the video library starts: SDL then leaves the handlers alone,
    // and a stop asked for while the window opens is not lost to SDL's own.
    catchStopSignals();
    SdlSurface surface(xRes, yRes, 32, fullscreen != 0);
    SDL_ShowCursor(0);
    if (tooLargeForSdl(surface.getWidth(), surface.getHeight()))
        refuse(surface.getWidth(), surface.getHeight(), "it is too large for the video system");
    const int areaWidth = surface.getWidth();
    const int areaHeight = surface.getHeight();
    // Drops a pixel wide are a haze on a large screen: from 2160 rows on,
    // each pixel of the rain is drawn as a square of 2 or more; but never so
    // large that a tall, narrow picture leaves the rain too little room.
    const int automatic = std::min(areaHeight / SCALE_ROWS, areaWidth / RainSimulation::MIN_WIDTH);
    surface.setScale(scale != 0 ? scale : std::max(1, automatic));

    const int width = surface.getWidth();
    const int height = surface.getHeight();
    if (!RainSimulation::fitsOn(width, height)) {
        char why[120];
        const int n = std::snprintf(why, sizeof why, "it must be at least %d pixels wide and %d high",
                                    RainSimulation::MIN_WIDTH, RainSimulation::MIN_HEIGHT);
        if (surface.getScale() != 1)
            std::snprintf(why + n, sizeof why - n, " (%dx%d at scale %d)", areaWidth, areaHeight,
                          surface.getScale());
        refuse(width, height, why);
    }

    // More drops in a batch than there are columns to start them in only
    // eats memory: the heaviest rain has one drop per start column.
    const int columns = width - 10;
    std::optional<RainSimulation> built;
    try {
        built.emplace(surface, dropRate > columns ? columns : dropRate, dropSpeed, tailLength, showDrops);
    } catch (const std::bad_alloc&) {
        refuse(width, height, "there is not enough memory for it");
    }
    RainSimulation& simulation = *built;

    // Where the flip waits for the display, the display paces the frames and
    // each of its buffers would need its own record of what changed: draw
    // whole frames there. Elsewhere the one buffer keeps the picture, and a
    // frame redraws and shows only what changed.
    const bool waits = surface.flipWaitsForDisplay();
    const bool kept = !waits && surface.keepPictureBetweenFrames();
    if (kept)
        surface.clear(); // the kept picture starts black
    FramePacer pacer(waits ? 0 : frameRate);

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
#if SDL_MAJOR_VERSION >= 2
            case SDL_MOUSEWHEEL: // SDL 1.2 reports the wheel as buttons 4 and 5
                running = false;
                break;
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_EXPOSED)
                    surface.exposed();
                break;
#endif
            case SDL_KEYDOWN:
#if SDL_MAJOR_VERSION >= 2
                if (event.key.repeat) // a key held down flips once, as in SDL 1.2
                    break;
#endif
                if (event.key.keysym.sym == SDLK_d)
                    simulation.showDrops = !simulation.showDrops;
                break;
            default:
                break;
            }
            continue;
        }
        // The window a signal comes from may be gone already: no more frames.
        if (stopRequested)
            break;
        if (!pacer.due()) {
            // Events that arrive meanwhile are handled before the frame.
            pacer.sleepUntilDue();
            continue;
        }
        simulation.runNextStep();
        surface.update();
        if (!kept)
            surface.clear();
        pacer.frameMade();
        if (!running)
            break;
    }

    return 0;
}

// SDL on Linux has no start-up of its own around SDL_main, so this is it.
int main(int argc, char* argv[])
{
#if SDL_MAJOR_VERSION >= 2
    // The program handles SIGTERM and SIGINT itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
#endif
    SDL_Init(SDL_INIT_NOPARACHUTE);
    std::atexit(SDL_Quit);
    SDL_main(argc, argv);
    return 0;
}
