// SPDX-License-Identifier: MIT
// Times the rain's step against the bare frame (clear plus show) of the same
// run, window by window, headless with SDL's dummy driver. Prints a table.
//
//   landed_bench [--size WxH] [--rate N] [--speed N] [--tail N] [--show 0|1]
//                [--steps N] [--window N] [--literal] [--frame] [--full] [--cold]
//                [--scale N]
//
// --literal runs the plain drawing that redraws every landed drop each step.
// --frame times whole frames (the step, then what the program does to show
// the frame and prepare the next) on a picture kept between frames, as the
// program draws where the flip does not wait; with --full, on a picture
// cleared and shown whole every frame. --cold evicts the caches between
// frames, as 16 ms of other work does to a program paced at 60 fps.
// --scale draws each pixel of the rain as an N x N square, on a picture of
// the size divided by N.
#include "LiteralRainSimulation.h"
#include "RainSimulation.h"
#include "SdlSurface.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double>& v)
{
    if (v.empty()) // a window shorter than the sampling interval
        return std::numeric_limits<double>::quiet_NaN();
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

double residentMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    return 0.0;
}

// A paced program meets its data evicted by whatever ran in the 16 ms
// between its frames: with --cold, each frame first writes over more memory
// than the caches hold.
class CacheEvictor {
public:
    explicit CacheEvictor(bool on) : buffer(on ? 64u << 20 : 0) {}
    void now()
    {
        ++round;
        for (size_t i = 0; i < buffer.size(); i += 64)
            buffer[i] = round;
    }

private:
    std::vector<char> buffer;
    char round = 0;
};

struct Options {
    int width = 640, height = 480, rate = 10, speed = 50, tail = 10, scale = 1;
    bool show = false, literal = false, frame = false, full = false, cold = false;
    long steps = 2000000, window = 100000;
};

Options parse(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : "";
        if (a == "--literal" || a == "--frame" || a == "--full" || a == "--cold") {
            (a == "--literal" ? o.literal : a == "--frame" ? o.frame : a == "--full" ? o.full : o.cold) = true;
            continue;
        }
        ++i; // every other option takes a value
        if (a == "--size")
            std::sscanf(v, "%dx%d", &o.width, &o.height);
        else if (a == "--rate")
            o.rate = std::atoi(v);
        else if (a == "--speed")
            o.speed = std::atoi(v);
        else if (a == "--tail")
            o.tail = std::atoi(v);
        else if (a == "--show")
            o.show = std::atoi(v) != 0;
        else if (a == "--steps")
            o.steps = std::atol(v);
        else if (a == "--window")
            o.window = std::atol(v);
        else if (a == "--scale")
            o.scale = std::max(1, std::atoi(v));
        else {
            std::fprintf(stderr, "unknown option %s\n", a.c_str());
            std::exit(2);
        }
    }
    return o;
}

// Landed pixels for the layer; landed drops for the plain drawing.
int64_t landedOf(RainSimulation& sim) { return sim.getLandedPixels(); }
int64_t landedOf(LiteralRainSimulation& sim) { return static_cast<int64_t>(sim.deadDrops.size()); }

// Whole frames against the bare frame (show and clear the whole picture),
// which is timed every 50th frame only: at 3840x2160 it costs milliseconds.
void runFrames(const Options& o, SdlSurface& surface, RainSimulation& sim, bool kept)
{
    std::printf("# whole frames, picture %s, %dx%d at scale %d, dropRate %d, dropSpeed %d, tailLength %d, showDrops %d\n",
                kept ? "kept" : "cleared", o.width, o.height, o.scale, o.rate, o.speed, o.tail, o.show ? 1 : 0);
    std::printf("%10s %12s %12s %8s %10s %10s %10s %8s %8s %10s\n", "steps", "frame_us", "bare_us", "ratio",
                "falling", "landed", "rss_MiB", "rects", "rows", "pixels");
    SDL_Surface* screen = surface.videoSurface();
    std::vector<double> frame, bare;
    // What a kept frame hands the display, summed over the window: the X
    // server's cost follows the rows it copies more than their width, and
    // in heavy rain the pixels it copies.
    long rects = 0, rows = 0;
    double pixels = 0;
    CacheEvictor evict(o.cold);
    for (long n = 1; n <= o.steps; ++n) {
        evict.now();
        const auto t0 = Clock::now();
        sim.runNextStep();
        surface.update();
        if (!kept)
            surface.clear();
        const auto t1 = Clock::now();
        frame.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        if (kept) {
            rects += static_cast<long>(surface.shownRects().size());
            for (const SDL_Rect& r : surface.shownRects()) {
                rows += r.h;
                pixels += static_cast<double>(r.w) * r.h;
            }
        }
        if (n % 50 == 0) {
            // Straight to SDL, so the kept picture's record of changes is left alone.
            const auto t2 = Clock::now();
            surface.display().present();
            SDL_FillRect(screen, nullptr, 0);
            bare.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t2).count());
        }
        if (n % o.window == 0) {
            const double f = median(frame), b = median(bare);
            std::printf("%10ld %12.2f %12.2f %8.2f %10zu %10lld %10.2f %8.1f %8.1f %10.0f\n", n, f, b,
                        f / b, sim.getDrops().size(), static_cast<long long>(sim.getLandedPixels()),
                        residentMiB(), static_cast<double>(rects) / o.window,
                        static_cast<double>(rows) / o.window, pixels / o.window);
            std::fflush(stdout);
            frame.clear();
            bare.clear();
            rects = rows = 0;
            pixels = 0;
        }
    }
}

template <class Simulation>
void run(const Options& o, SdlSurface& surface, Simulation& sim)
{
    std::printf("# %s, %dx%d, dropRate %d, dropSpeed %d, tailLength %d, showDrops %d\n",
                o.literal ? "plain drawing" : "landed layer", o.width, o.height, o.rate, o.speed,
                o.tail, o.show ? 1 : 0);
    std::printf("%10s %12s %12s %8s %10s %10s\n", "steps", "step_us", "bare_us", "ratio", "landed",
                "rss_MiB");
    std::vector<double> step, bare;
    step.reserve(o.window);
    bare.reserve(o.window);
    CacheEvictor evict(o.cold);
    for (long n = 1; n <= o.steps; ++n) {
        evict.now();
        const auto t0 = Clock::now();
        sim.runNextStep();
        const auto t1 = Clock::now();
        surface.update();
        surface.clear();
        const auto t2 = Clock::now();
        step.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        bare.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count());
        if (n % o.window == 0) {
            const double s = median(step), b = median(bare);
            std::printf("%10ld %12.2f %12.2f %8.2f %10lld %10.2f\n", n, s, b, s / b,
                        static_cast<long long>(landedOf(sim)), residentMiB());
            std::fflush(stdout);
            step.clear();
            bare.clear();
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    const Options o = parse(argc, argv);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SDL_Init(SDL_INIT_NOPARACHUTE);
    {
        SdlSurface surface(o.width, o.height, 32, false);
        surface.setScale(o.scale);
        if (o.literal) {
            LiteralRainSimulation sim(surface, o.rate, o.speed, o.tail, o.show);
            run(o, surface, sim);
        } else if (o.frame) {
            const bool kept = !o.full && surface.keepPictureBetweenFrames();
            if (kept)
                surface.clear();
            RainSimulation sim(surface, o.rate, o.speed, o.tail, o.show);
            runFrames(o, surface, sim, kept);
        } else {
            RainSimulation sim(surface, o.rate, o.speed, o.tail, o.show);
            run(o, surface, sim);
        }
    }
    SDL_Quit();
    return 0;
}
