// SPDX-License-Identifier: MIT
// The program draws landed drops from a fixed-size layer instead of keeping
// and redrawing every landed drop. These tests run it side by side with the
// plain drawing, from the same random numbers, and compare every frame.
#include "LiteralRainSimulation.h"
#include "RainSimulation.h"
#include "RecordingSurface.h"
#include "ScriptedRand.h"
#include "SdlSurface.h"

#include <SDL.h>
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

// Calls that handed a kept picture's rectangles to the display, counted on
// their way to SDL's own function.
static int handedOver = 0;
#if SDL_MAJOR_VERSION >= 2
extern "C" int SDL_UpdateWindowSurfaceRects(SDL_Window* window, const SDL_Rect* rects, int count)
{
    ++handedOver;
    return reinterpret_cast<decltype(&SDL_UpdateWindowSurfaceRects)>(dlsym(RTLD_NEXT, __func__))(window, rects, count);
}
#else
extern "C" void SDL_UpdateRects(SDL_Surface* screen, int count, SDL_Rect* rects)
{
    ++handedOver;
    reinterpret_cast<decltype(&SDL_UpdateRects)>(dlsym(RTLD_NEXT, __func__))(screen, count, rects);
}
#endif

namespace {

// Starts the reference's colour cycle where the program's own cycle stands,
// reading that from a one-drop batch (the cycle steps by (5, 5, 0)).
void syncColourCycles()
{
    RecordingSurface surface(40, 30);
    RainSimulation probe(surface, 1, 1000, 10, false);
    const Surface::Color c = probe.getDrops().front().color;
    LiteralRainSimulation::cycle = {true, (c.red + 5) % 255, (c.green + 5) % 255, c.blue, 5, 5, 0};
}

struct RainRun {
    int width, height, dropRate, dropSpeed, tailLength;
    int steps;
    std::function<bool(int step)> showDrops;
};

struct Seen {
    long landedOnTakenCell = 0;
    bool blackLanded = false;
};

// The surface under test: how to read its picture back, whether the frame
// loop clears it, and a look at each shown frame.
struct Target {
    Surface& surface;
    std::function<std::vector<uint32_t>()> picture;
    bool cleared;
    std::function<void(int step)> shown = [](int) {};
};

Seen runSideBySide(const RainRun& run, unsigned seed, Target target)
{
    ScriptedRand::clearQueue();
    syncColourCycles();
    ScriptedRand::seedStream(1, seed);
    ScriptedRand::seedStream(2, seed);

    RecordingSurface referenceSurface(run.width, run.height);
    ScriptedRand::useStream(1);
    RainSimulation fast(target.surface, run.dropRate, run.dropSpeed, run.tailLength, run.showDrops(0));
    ScriptedRand::useStream(2);
    LiteralRainSimulation reference(referenceSurface, run.dropRate, run.dropSpeed, run.tailLength,
                                    run.showDrops(0));

    Seen seen;
    for (int step = 0; step < run.steps; ++step) {
        fast.showDrops = reference.showDrops = run.showDrops(step);
        ScriptedRand::useStream(1);
        fast.runNextStep();
        ScriptedRand::useStream(2);
        reference.runNextStep();

        const std::vector<uint32_t> a = target.picture();
        const std::vector<uint32_t>& b = referenceSurface.pixels();
        if (a != b) {
            for (size_t i = 0; i < a.size(); ++i) {
                if (a[i] != b[i]) {
                    ADD_FAILURE() << "step " << step << ": pixel " << i % run.width << "," << i / run.width
                                  << " is " << std::hex << a[i] << " instead of " << b[i];
                    break;
                }
            }
            break;
        }
        target.surface.update();
        target.shown(step);
        if (target.cleared)
            target.surface.clear();
        referenceSurface.update();
        referenceSurface.clear();
    }
    ScriptedRand::useStream(0);

    EXPECT_EQ(referenceSurface.faults, std::vector<std::string>{});
    EXPECT_EQ(fast.getLandedCount(), static_cast<int64_t>(reference.deadDrops.size()));
    EXPECT_GT(fast.getLandedCount(), 0);
    seen.landedOnTakenCell = reference.landedOnTakenCell;
    for (const LiteralRaindrop& d : reference.deadDrops)
        seen.blackLanded = seen.blackLanded || (d.color.red == 0 && d.color.green == 0 && d.color.blue == 0);
    return seen;
}

Seen onRecording(const RainRun& run, unsigned seed, bool keeps)
{
    RecordingSurface surface(run.width, run.height);
    surface.keeps = keeps;
    const Seen seen = runSideBySide(run, seed, {surface, [&] { return surface.pixels(); }, !keeps});
    EXPECT_EQ(surface.faults, std::vector<std::string>{});
    return seen;
}

// Row y of an SDL surface's 32-bit pixels.
const uint32_t* videoRow(const SDL_Surface* s, int y)
{
    return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + y * s->pitch);
}

// The picture an SDL surface shows at the given scale, as 0x00RRGGBB: each
// of its pixels must be a square of scale x scale video pixels of one
// colour, and the strip the division leaves at the right and bottom black.
std::vector<uint32_t> videoPicture(const SdlSurface& surface, int scale)
{
    SDL_Surface* s = surface.videoSurface();
    const int width = s->w / scale, height = s->h / scale;
    std::vector<uint32_t> picture(static_cast<size_t>(width) * height);
    for (int y = 0; y < s->h; ++y) {
        const uint32_t *video = videoRow(s, y), *square = videoRow(s, y / scale * scale);
        for (int x = 0; x < s->w; ++x) {
            const bool strip = x >= width * scale || y >= height * scale;
            const uint32_t want = strip ? 0 : square[x / scale * scale] & 0xFFFFFF;
            if ((video[x] & 0xFFFFFF) != want) {
                ADD_FAILURE() << "video pixel " << x << "," << y << " is " << std::hex << (video[x] & 0xFFFFFF)
                              << (strip ? " in the strip" : " in a square of ") << want;
                return {};
            }
            if (!strip && x % scale == 0 && y % scale == 0)
                picture[static_cast<size_t>(y / scale) * width + x / scale] = want;
        }
    }
    return picture;
}

// The rain of run on an SdlSurface whose video surface is scale times its
// size and one more pixel each way, kept or cleared: every frame as the
// full drawing gives it, each pixel a square; on a kept surface every video
// pixel that changed since the last frame lies in a rectangle it handed to
// the display. Returns the share of the picture shown a frame, in the
// second half of the run.
double onSdlSurface(const RainRun& run, unsigned seed, int scale = 1, bool kept = true)
{
    const int extra = scale > 1 ? 1 : 0;
    SdlSurface surface(run.width * scale + extra, run.height * scale + extra, 32, false);
    surface.setScale(scale);
    EXPECT_EQ(surface.getWidth(), run.width);
    EXPECT_EQ(surface.getHeight(), run.height);
    SDL_Surface* s = surface.videoSurface();
    if (kept) {
        EXPECT_TRUE(surface.keepPictureBetweenFrames());
    }
    surface.clear(); // SDL 1.2 hands back the last test's memory
    std::vector<uint32_t> before(static_cast<size_t>(s->w) * s->h, 0);
    double area = 0;
    int frames = 0;
    int handed = handedOver;
    auto look = [&](int step) {
        if (!kept)
            return;
        const std::vector<SDL_Rect>& rects = surface.shownRects();
        // A frame that changed nothing hands the display nothing.
        EXPECT_EQ(handedOver - handed, rects.empty() ? 0 : 1) << "step " << step;
        handed = handedOver;
        // Row by row: most rows of a kept picture stay as they were.
        for (int y = 0; y < s->h; ++y) {
            const uint32_t* now = videoRow(s, y);
            uint32_t* was = &before[static_cast<size_t>(y) * s->w];
            if (std::memcmp(now, was, s->w * sizeof(uint32_t)) == 0)
                continue;
            for (int x = 0; x < s->w; ++x) {
                if (now[x] != was[x] && std::none_of(rects.begin(), rects.end(), [x, y](const SDL_Rect& r) {
                        return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
                    })) {
                    ADD_FAILURE() << "step " << step << ": video pixel " << x << "," << y << " changed unshown";
                    return;
                }
            }
            std::memcpy(was, now, s->w * sizeof(uint32_t));
        }
        if (step >= run.steps / 2) {
            for (const SDL_Rect& r : rects)
                area += static_cast<double>(r.w) * r.h;
            ++frames;
        }
    };
    runSideBySide(run, seed, {surface, [&] { return videoPicture(surface, scale); }, !kept, look});
    return kept ? area / frames / (static_cast<double>(s->w) * s->h) : 0.0;
}

bool off(int) { return false; }
bool on(int) { return true; }

TEST(LandedIdentity, SamePictureAsDrawingEveryLandedDropEveryFrame)
{
    // Each run lasts until its heap has reached the top row and beyond: the
    // reference redraws every landed drop in every step, so a step costs
    // more the longer a run lasts.
    const RainRun runs[] = {
        {40, 30, 20, 1, 10, 1000, off},
        {40, 30, 20, 2, 10, 1000, on},
        {64, 48, 15, 2, -1, 1200, [](int step) { return (step / 300) % 2 == 1; }},
        {23, 12, 30, 1, 3, 700, [](int step) { return step % 7 < 3; }},
        {13, 8, 5, 1, 10, 1000, on},
        {48, 36, 25, 1, 40, 1000, on},
        {50, 40, 8, 3, 0, 3000, [](int step) { return step >= 1500; }},
    };
    Seen total;
    unsigned seed = 12345;
    for (const RainRun& run : runs) {
        SCOPED_TRACE(testing::Message() << run.width << "x" << run.height << " dropRate " << run.dropRate
                                        << " dropSpeed " << run.dropSpeed << " tailLength " << run.tailLength);
        for (bool keeps : {false, true}) {
            SCOPED_TRACE(keeps ? "picture kept" : "picture cleared");
            const Seen seen = onRecording(run, seed, keeps);
            total.landedOnTakenCell += seen.landedOnTakenCell;
            total.blackLanded = total.blackLanded || seen.blackLanded;
            if (HasFailure())
                return;
        }
        ++seed;
    }
    // The runs covered the cases that matter for the layer.
    EXPECT_GT(total.landedOnTakenCell, 0) << "no drop landed in a cell that was already taken";
    EXPECT_TRUE(total.blackLanded) << "no black drop landed";
}

TEST(KeptPicture, ShowsOnlyWhatChangedAndTheSamePicture)
{
    // Heavy rain whose drops cover most of the picture at times, so that
    // the kept picture is also drawn whole now and then, until the heap has
    // reached the top row. The share measured at the defaults below depends
    // on how bright the drops are: their colours go on from where these runs
    // leave the process's colour cycle, which repeats every 255 batches, one
    // a step here. Change these lengths only by multiples of 255.
    const RainRun heavy[] = {
        {64, 48, 30, 1, 10, 1215, [](int step) { return (step / 400) % 2 == 0; }},
        {40, 30, 20, 1, -1, 960, [](int step) { return step % 5 < 2; }},
    };
    for (const RainRun& run : heavy) {
        SCOPED_TRACE(testing::Message() << run.width << "x" << run.height << " dropRate " << run.dropRate);
        onSdlSurface(run, 777);
    }
    // At the defaults only a small part of the picture changes in a frame.
    for (bool show : {false, true}) {
        SCOPED_TRACE(show ? "drops shown" : "drops hidden");
        const RainRun defaults{640, 480, 10, 50, 10, 2000, show ? on : off};
        const double share = onSdlSurface(defaults, 4242);
        EXPECT_LT(share, 0.05);
        std::printf("640x480, drops %s: %.4f of the picture shown a frame\n", show ? "shown" : "hidden", share);
    }
}

TEST(KeptPicture, AtScaleTwoEachPixelIsASquareOfTheHalfSizeRain)
{
    // Pictures of odd sides, on video surfaces of odd sides whose last row
    // and column the scale leaves over.
    const RainRun runs[] = {
        {23, 13, 15, 1, 10, 1500, [](int step) { return step % 300 < 150; }},
        {40, 31, 20, 2, -1, 1500, on},
    };
    for (const RainRun& run : runs) {
        for (bool kept : {true, false}) {
            SCOPED_TRACE(testing::Message() << run.width << "x" << run.height << (kept ? " kept" : " cleared"));
            onSdlSurface(run, 99, 2, kept);
        }
    }
}

} // namespace
