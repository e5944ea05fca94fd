// SPDX-License-Identifier: MIT
#include "Damage.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

int tileColumns(int width) { return (width + Damage::TILE_W - 1) / Damage::TILE_W; }
int tileRows(int height) { return (height + Damage::TILE_H - 1) / Damage::TILE_H; }

// Checks the rectangles against the marked tiles: every marked tile is
// covered; each rectangle lies inside the picture on tile edges (or the
// picture's own edge), and each of its rows of tiles holds a marked one,
// all of them when it is wider than the widest union.
void checkCover(const std::vector<Damage::Rect>& rects, const std::vector<int>& marked, int width,
                int height, const std::string& where)
{
    const int columns = tileColumns(width);
    std::vector<int> covered(marked.size(), 0);
    for (const Damage::Rect& r : rects) {
        ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.w > 0 && r.h > 0 && r.x + r.w <= width && r.y + r.h <= height) << where;
        EXPECT_EQ(r.x % Damage::TILE_W, 0) << where;
        EXPECT_EQ(r.y % Damage::TILE_H, 0) << where;
        EXPECT_TRUE((r.x + r.w) % Damage::TILE_W == 0 || r.x + r.w == width) << where;
        EXPECT_TRUE((r.y + r.h) % Damage::TILE_H == 0 || r.y + r.h == height) << where;
        const int wide = (r.w + Damage::TILE_W - 1) / Damage::TILE_W;
        for (int y = r.y; y < r.y + r.h; y += Damage::TILE_H) {
            int inRow = 0;
            for (int x = r.x; x < r.x + r.w; x += Damage::TILE_W) {
                const size_t tile = static_cast<size_t>(y / Damage::TILE_H) * columns + x / Damage::TILE_W;
                covered[tile] = 1;
                inRow += marked[tile];
            }
            EXPECT_TRUE(wide <= Damage::JOIN_W ? inRow > 0 : inRow == wide)
                << where << ": rectangle " << r.x << "," << r.y << " " << r.w << "x" << r.h << " row " << y;
        }
    }
    for (size_t t = 0; t < marked.size(); ++t)
        if (marked[t] && !covered[t]) {
            ADD_FAILURE() << where << ": tile " << t << " marked but not shown";
            break;
        }
}

} // namespace

// Pictures whose rows of tiles end inside a 64-bit word, on one, and span
// several; single marks and runs that cross word boundaries.
TEST(Damage, RectanglesCoverTheMarkedTilesAndStayNearThem)
{
    const int sizes[][2] = {{1, 1}, {37, 5}, {1024, 9}, {1100, 37}, {3840, 12}};
    std::mt19937 random(7);
    for (const auto& size : sizes) {
        const int width = size[0], height = size[1];
        const int columns = tileColumns(width);
        Damage damage(width, height);
        for (int frame = 0; frame < 20; ++frame) {
            std::vector<int> marked(static_cast<size_t>(tileRows(height)) * columns, 0);
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
            const std::vector<Damage::Rect>& rects = damage.take();
            const std::string where = std::to_string(width) + "x" + std::to_string(height) + " frame " + std::to_string(frame);
            checkCover(rects, marked, width, height, where);
            if (marks == 0 && frame != 10) { // what was shown is not shown again
                EXPECT_TRUE(rects.empty()) << where;
            }
        }
    }
}

// What a frame of rain marks: each case is one rectangle.
TEST(Damage, ATailOrARepeatedRunIsOneRectangle)
{
    const int width = 200, height = 60;
    struct Case {
        const char* name;
        int dx;    // sideways pixels a row
        int count; // pixels a row
    } cases[] = {
        {"falling straight", 0, 1},
        {"slanting right across tiles", 1, 1},
        {"slanting left across tiles", -1, 1},
        {"a wide run repeated", 0, 150},
    };
    for (const Case& c : cases) {
        Damage damage(width, height);
        for (int y = 10; y < 50; ++y)
            damage.markRow(c.dx < 0 ? 180 - (y - 10) : 5 + c.dx * (y - 10), y, c.count);
        EXPECT_EQ(damage.take().size(), 1u) << c.name;
    }
    Damage damage(width, height);
    damage.markAll();
    const std::vector<Damage::Rect>& all = damage.take();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_TRUE(all[0].x == 0 && all[0].y == 0 && all[0].w == width && all[0].h == height);
}
