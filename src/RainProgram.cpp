// SPDX-License-Identifier: MIT
#include "RainProgram.h"
#include "ConfigFile.h"
#include "FrameLoop.h"
#include "FramePacer.h"
#include "RainSimulation.h"
#include "SdlSurface.h"
#include "Settings.h"
#include "StopSignals.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>

namespace {

// A picture the rain cannot run on ends the program with one line.
void refuseIf(const std::string& refusal)
{
    if (refusal.empty())
        return;
    std::printf("%s\n", refusal.c_str());
    std::exit(1);
}

} // namespace

void RainProgram::run(ConfigFile& config)
{
    const Settings settings = Settings::read(config);
    refuseIf(settings.refusal());

    StopSignals::catchThem();
    SdlSurface surface(settings.xRes, settings.yRes, 32, settings.fullscreen);
    surface.display().hideCursor();
    const int areaWidth = surface.getWidth();
    const int areaHeight = surface.getHeight();
    refuseIf(Settings::areaRefusal(areaWidth, areaHeight));
    const int scale = settings.scaleFor(areaWidth, areaHeight);
    refuseIf(Settings::pictureRefusal(areaWidth, areaHeight, scale));
    surface.setScale(scale);

    std::optional<RainSimulation> simulation;
    try {
        simulation.emplace(surface, settings.batchSize(surface.getWidth()), settings.dropSpeed,
                           settings.tailLength, settings.showDrops);
    } catch (const std::bad_alloc&) {
        refuseIf(Settings::memoryRefusal(surface.getWidth(), surface.getHeight()));
    }

    // Where the flip waits for the display, the display paces the frames and
    // each of its buffers would need its own record of what changed: draw
    // whole frames there. Elsewhere the one buffer keeps the picture, and a
    // frame redraws and shows only what changed.
    const bool waits = surface.display().flipWaitsForDisplay();
    if (!waits && surface.keepPictureBetweenFrames())
        surface.clear(); // the kept picture starts black
    FramePacer pacer(waits ? 0 : settings.frameRate);

    FrameLoop(surface, surface.display(), pacer, *simulation, StopSignals::requested()).run();
}
