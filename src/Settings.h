// SPDX-License-Identifier: MIT
#ifndef NIMBREL_SETTINGS_H
#define NIMBREL_SETTINGS_H

#include <string>

class ConfigFile;

// Every setting of the program, its default, and what a value that is
// missing, does not convert or makes no sense becomes. Also the limits of the
// picture sizes, which the program checks before and after the video library
// grants a size.
struct Settings {
    static constexpr int DEFAULT_X_RES = 640;
    static constexpr int DEFAULT_Y_RES = 480;
    static constexpr int DEFAULT_DROP_RATE = 10;
    static constexpr int DEFAULT_DROP_SPEED = 50;
    static constexpr int DEFAULT_TAIL_LENGTH = 10;
    static constexpr int DEFAULT_FRAME_RATE = 60;
    // X counts a window's width and height in 16 bits.
    static constexpr int MAX_SIDE = 65535;
    // The picture rows that make each step of the automatic scale.
    static constexpr int SCALE_ROWS = 1080;

    int xRes = DEFAULT_X_RES;    // 0: the screen's width
    int yRes = DEFAULT_Y_RES;    // 0: the screen's height
    bool fullscreen = false;
    int dropRate = DEFAULT_DROP_RATE;
    int dropSpeed = DEFAULT_DROP_SPEED; // never 0: it divides
    int tailLength = DEFAULT_TAIL_LENGTH;
    bool showDrops = false;
    int frameRate = DEFAULT_FRAME_RATE; // 0: unpaced
    int scale = 0;               // 0: picked from the picture's size

    // The settings of a file, each key read once, defaults in place of what
    // is missing, does not convert or makes no sense.
    static Settings read(ConfigFile& config);

    // The line that refuses the size asked for before any window opens, or
    // "" when the video library may be asked for it. A side of 0 is the
    // screen's, unknown until then, and is checked with the granted size.
    std::string refusal() const;

    // The scale for an area of the screen this large: the one set, or the
    // automatic one.
    int scaleFor(int areaWidth, int areaHeight) const;

    // The line that refuses a granted area, or the picture it gives at a
    // scale, or "" when the rain runs on it.
    static std::string areaRefusal(int areaWidth, int areaHeight);
    static std::string pictureRefusal(int areaWidth, int areaHeight, int scale);
    // The line for a picture whose landing grid does not fit in memory.
    static std::string memoryRefusal(int width, int height);

    // Drops in a batch on a picture this wide: more than there are columns
    // to start them in only eats memory.
    int batchSize(int pictureWidth) const;
};

#endif
