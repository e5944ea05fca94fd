// SPDX-License-Identifier: MIT
#include "ConfigFile.h"
#include "Settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

Settings readOne(const std::string& key, const std::string& value)
{
    ConfigFile config(""); // no file: only what the test sets
    config.set(key, value);
    return Settings::read(config);
}

// The value a setting takes for a text in the file: the whole number at its
// start, and the default where there is none or it makes no sense.
TEST(Settings, EveryKeyWithEveryBadValue)
{
    const std::string texts[] = {"abc", "", "0", "-1", "1", "2", "-2147483648", "2147483647", "2147483648", "800x600"};
    constexpr int MIN = INT_MIN, MAX = INT_MAX;
    struct Row {
        const char* key;
        int (*field)(const Settings&);
        int expected[10]; // for each text above
    };
    const Row rows[] = {
        {"xRes", [](const Settings& s) { return s.xRes; }, {640, 640, 0, 640, 1, 2, 640, MAX, 640, 800}},
        {"yRes", [](const Settings& s) { return s.yRes; }, {480, 480, 0, 480, 1, 2, 480, MAX, 480, 800}},
        {"fullscreen", [](const Settings& s) { return int{s.fullscreen}; }, {0, 0, 0, 1, 1, 1, 1, 1, 0, 1}},
        {"dropRate", [](const Settings& s) { return s.dropRate; }, {10, 10, 0, -1, 1, 2, MIN, MAX, 10, 800}},
        {"dropSpeed", [](const Settings& s) { return s.dropSpeed; }, {50, 50, 50, -1, 1, 2, MIN, MAX, 50, 800}},
        {"tailLength", [](const Settings& s) { return s.tailLength; }, {10, 10, 0, -1, 1, 2, MIN, MAX, 10, 800}},
        {"showDrops", [](const Settings& s) { return int{s.showDrops}; }, {0, 0, 0, 0, 1, 0, 0, 0, 0, 0}},
        {"frameRate", [](const Settings& s) { return s.frameRate; }, {60, 60, 0, 60, 1, 2, 60, MAX, 60, 800}},
        {"scale", [](const Settings& s) { return s.scale; }, {0, 0, 0, 0, 1, 2, 0, MAX, 0, 800}},
    };
    const Settings defaults = readOne("unknown", "1");
    for (const Row& row : rows) {
        EXPECT_EQ(row.field(Settings{}), row.field(defaults)) << row.key << ": the default of a missing key";
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(row.field(readOne(row.key, texts[i])), row.expected[i]) << row.key << "=" << texts[i];
    }
}

// What is refused before a window opens, the scale picked, and what is
// refused when the granted area, or the picture at that scale, cannot hold
// the rain. Sizes here are granted as asked.
TEST(Settings, SizesAndScales)
{
    const std::string small = "it must be at least 11 pixels wide and 6 high";
    const std::string huge = "it is too large for the video system";
    const std::string x = "X holds no window wider or higher than 65535 pixels";
    struct Row {
        int xRes, yRes, scale, picked;
        std::string refusal; // after "The rain cannot run on a "; "" where it runs
    };
    const Row rows[] = {
        {10, 480, 0, 1, "10x480 picture: " + small},
        {640, 5, 0, 1, "640x5 picture: " + small},
        {11, 5, 0, 1, "11x5 picture: " + small},
        {11, 6, 0, 1, ""},
        {640, 480, 2147483647, 2147483647, "0x0 picture: " + small + " (640x480 at scale 2147483647)"},
        {3840, 2159, 0, 1, ""},
        {3840, 2160, 0, 2, ""},                     // a step every 1080 rows
        {5760, 3240, 1, 1, ""},                     // unless a scale is set
        {21, 4320, 0, 1, ""},                       // never narrower than 11 pixels
        {43, 4320, 0, 3, ""},
        {21, 12, 2, 2, "10x6 picture: " + small + " (21x12 at scale 2)"},
        // SDL 1.2 would overflow its byte count and crash: 2^31 bytes and more
        {32768, 16384, 0, 15, "32768x16384 picture: " + huge},
        {32767, 16384, 0, 15, ""},
        {100, 10737500, 0, 9, "100x10737500 picture: " + huge},
        // X counts a window's sides in 16 bits
        {65535, 6, 0, 1, ""},
        {65536, 1, 0, 1, "65536x1 picture: " + x},
        {0, 65536, 0, 0, "0x65536 picture: " + x},
    };
    for (const Row& row : rows) {
        Settings s;
        s.xRes = row.xRes;
        s.yRes = row.yRes;
        s.scale = row.scale;
        std::string refusal = s.refusal();
        if (refusal.empty())
            refusal = Settings::areaRefusal(row.xRes, row.yRes);
        if (refusal.empty()) {
            EXPECT_EQ(s.scaleFor(row.xRes, row.yRes), row.picked) << row.xRes << "x" << row.yRes;
            refusal = Settings::pictureRefusal(row.xRes, row.yRes, row.picked);
        }
        EXPECT_EQ(refusal, row.refusal.empty() ? "" : "The rain cannot run on a " + row.refusal + ".");
    }
}

} // namespace
