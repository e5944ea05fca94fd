// SPDX-License-Identifier: MIT
#ifndef NIMBREL_TESTS_RECORDINGSURFACE_H
#define NIMBREL_TESTS_RECORDINGSURFACE_H

#include "Surface.h"

#include <cstdint>
#include <string>
#include <vector>

// A Surface that keeps its picture in memory and checks how it is used:
// pixels only while locked and inside the picture, clear and update only
// while unlocked.
class RecordingSurface : public Surface {
public:
    struct Put {
        int x, y;
        Color color;
    };

    RecordingSurface(int width, int height);

    void update() override;
    void clear() override;
    int getHeight() override { return height; }
    int getWidth() override { return width; }
    void lock() override;
    void unlock() override;
    void putPixel(int x, int y, Color color) override;
    void drawLine(int, int, int, int, Color&) override;
    void drawCircle(int, int, int, Color&) override;
    void fillRect(int, int, int, int, Color&) override;
    bool keepsPicture() override { return keeps; }
    void exposed() override { calls += 'E'; }

    // The picture as drawn since the last clear, as 0x00RRGGBB per pixel.
    uint32_t at(int x, int y) const { return picture[static_cast<size_t>(y) * width + x]; }
    const std::vector<uint32_t>& pixels() const { return picture; }
    // The picture that the last update showed.
    const std::vector<uint32_t>& shown() const { return lastShown; }

    int width;
    int height;
    int locks = 0;
    int unlocks = 0;
    int updates = 0;
    long puts = 0;
    bool keepLog = false;
    bool keeps = false;              // what keepsPicture() answers
    std::vector<Put> log;            // every putPixel, when keepLog is set
    std::vector<std::string> faults; // misuse seen, for the test to assert empty
    std::string calls;               // U for update, C for clear, E for exposed

private:
    std::vector<uint32_t> picture;
    std::vector<uint32_t> lastShown;
    int depth = 0; // lock nesting
};

#endif
