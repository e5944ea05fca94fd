// SPDX-License-Identifier: MIT
#include "Settings.h"

#include "ConfigFile.h"
#include "RainSimulation.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

// A setting that is missing or does not convert keeps its default.
int intSetting(ConfigFile& config, const char* key, int fallback)
{
    int value = fallback;
    config.get<int>(key, &value); // leaves value alone when it answers false
    return value;
}

std::string refused(int width, int height, const std::string& why)
{
    return "The rain cannot run on a " + std::to_string(width) + "x" + std::to_string(height)
        + " picture: " + why + ".";
}

// SDL 1.2 counts a surface's bytes in an int and crashes when a tall
// picture overflows it (4 bytes a pixel at most).
bool tooLargeForVideo(int width, int height)
{
    return static_cast<int64_t>(width) * height * 4 > INT_MAX;
}

const char* const TOO_LARGE = "it is too large for the video system";

} // namespace

Settings Settings::read(ConfigFile& config)
{
    Settings s;
    s.xRes = intSetting(config, "xRes", DEFAULT_X_RES);
    s.yRes = intSetting(config, "yRes", DEFAULT_Y_RES);
    s.fullscreen = intSetting(config, "fullscreen", 0) != 0;
    s.dropRate = intSetting(config, "dropRate", DEFAULT_DROP_RATE);
    s.dropSpeed = intSetting(config, "dropSpeed", DEFAULT_DROP_SPEED);
    s.tailLength = intSetting(config, "tailLength", DEFAULT_TAIL_LENGTH);
    config.get<bool>("showDrops", &s.showDrops);
    s.frameRate = intSetting(config, "frameRate", DEFAULT_FRAME_RATE);
    s.scale = intSetting(config, "scale", 0);

    // 0 stays: the video library then takes that side from the screen.
    if (s.xRes < 0)
        s.xRes = DEFAULT_X_RES;
    if (s.yRes < 0)
        s.yRes = DEFAULT_Y_RES;
    if (s.dropSpeed == 0) // a divisor
        s.dropSpeed = DEFAULT_DROP_SPEED;
    if (s.frameRate < 0)
        s.frameRate = DEFAULT_FRAME_RATE;
    if (s.scale < 0)
        s.scale = 0;
    return s;
}

std::string Settings::refusal() const
{
    if (tooLargeForVideo(xRes == 0 ? 1 : xRes, yRes == 0 ? 1 : yRes))
        return refused(xRes, yRes, TOO_LARGE);
    // Asked for, X would end the program with an error of its own.
    if (xRes > MAX_SIDE || yRes > MAX_SIDE)
        return refused(xRes, yRes,
                       "X holds no window wider or higher than " + std::to_string(MAX_SIDE) + " pixels");
    return "";
}

int Settings::scaleFor(int areaWidth, int areaHeight) const
{
    if (scale != 0)
        return scale;
    // Drops a pixel wide are a haze on a large screen: from 2160 rows on,
    // each pixel of the rain is drawn as a square of 2 or more; but never so
    // large that a tall, narrow picture leaves the rain too little room.
    return std::max(1, std::min(areaHeight / SCALE_ROWS, areaWidth / RainSimulation::MIN_WIDTH));
}

std::string Settings::areaRefusal(int areaWidth, int areaHeight)
{
    return tooLargeForVideo(areaWidth, areaHeight) ? refused(areaWidth, areaHeight, TOO_LARGE) : "";
}

std::string Settings::pictureRefusal(int areaWidth, int areaHeight, int scale)
{
    const int width = areaWidth / scale;
    const int height = areaHeight / scale;
    if (RainSimulation::fitsOn(width, height))
        return "";
    std::string why = "it must be at least " + std::to_string(RainSimulation::MIN_WIDTH) + " pixels wide and "
        + std::to_string(RainSimulation::MIN_HEIGHT) + " high";
    if (scale != 1)
        why += " (" + std::to_string(areaWidth) + "x" + std::to_string(areaHeight) + " at scale "
            + std::to_string(scale) + ")";
    return refused(width, height, why);
}

std::string Settings::memoryRefusal(int width, int height)
{
    return refused(width, height, "there is not enough memory for it");
}

int Settings::batchSize(int pictureWidth) const
{
    // Drops start in every column but a border of 5 on each side.
    const int columns = pictureWidth - (RainSimulation::MIN_WIDTH - 1);
    return dropRate > columns ? columns : dropRate;
}
