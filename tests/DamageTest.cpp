#include "Damage.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

// Which tiles the rectangles cover, each counted; every rectangle must lie
// inside the picture and on tile edges (or the picture's own edge).
std::vector<int> coverCount(const std::vector<Damage::Rect>& rects, int width, int height)
{
    const int columns = (width + Damage::TILE_W - 1) / Damage::TILE_W;
    const int rows = (height + Damage::TILE_H - 1) / Damage::TILE_H;
    std::vector<int> count(static_cast<size_t>(columns) * rows, 0);
    for (const Damage::Rect& r : rects) {
        EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.w > 0 && r.h > 0 && r.x + r.w <= width && r.y + r.h <= height);
        EXPECT_EQ(r.x % Damage::TILE_W, 0);
        EXPECT_EQ(r.y % Damage::TILE_H, 0);
        EXPECT_TRUE((r.x + r.w) % Damage::TILE_W == 0 || r.x + r.w == width);
        EXPECT_TRUE((r.y + r.h) % Damage::TILE_H == 0 || r.y + r.h == height);
        for (int y = r.y; y < r.y + r.h; y += Damage::TILE_H)
            for (int x = r.x; x < r.x + r.w; x += Damage::TILE_W)
                ++count[static_cast<size_t>(y / Damage::TILE_H) * columns + x / Damage::TILE_W];
    }
    return count;
}

} // namespace

// Pictures whose rows of tiles end inside a 64-bit word, on one, and span
// several; single marks and runs that cross word boundaries.
TEST(Damage, RectanglesCoverExactlyTheMarkedTilesOnce)
{
    const int sizes[][2] = {{1, 1}, {37, 5}, {1024, 9}, {1100, 37}, {3840, 12}};
    std::mt19937 random(7);
    for (const auto& size : sizes) {
        const int width = size[0], height = size[1];
        const int columns = (width + Damage::TILE_W - 1) / Damage::TILE_W;
        Damage damage(width, height);
        for (int frame = 0; frame < 20; ++frame) {
            std::vector<int> marked((height + Damage::TILE_H - 1) / Damage::TILE_H * static_cast<size_t>(columns), 0);
            auto note = [&](int x, int y) { marked[static_cast<size_t>(y / Damage::TILE_H) * columns + x / Damage::TILE_W] = 1; };
            const int marks = frame % 5 == 4 ? 0 : static_cast<int>(random() % 40);
            for (int i = 0; i < marks; ++i) {
                const int x = static_cast<int>(random() % width), y = static_cast<int>(random() % height);
                if (i % 3 == 0) {
                    const int count = 1 + static_cast<int>(random() % (width - x));
                    damage.markRow(x, y, count);
                    for (int k = 0; k < count; ++k)
                        note(x + k, y);
                } else {
                    damage.mark(x, y);
                    note(x, y);
                }
            }
            if (frame == 10) {
                damage.markAll();
                std::fill(marked.begin(), marked.end(), 1);
            }
            EXPECT_EQ(coverCount(damage.take(), width, height), marked) << width << "x" << height << " frame " << frame;
        }
    }
}
