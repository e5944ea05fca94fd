// SPDX-License-Identifier: MIT
#include "LandedLayer.h"
#include "RecordingSurface.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

// Records the rows a layer draws, besides drawing them.
class RowRecorder : public RecordingSurface {
public:
    using RecordingSurface::RecordingSurface;
    void putPixelRow(int x, int y, const uint32_t* rgb, int count) override
    {
        rows.emplace_back(x, y, count);
        RecordingSurface::putPixelRow(x, y, rgb, count);
    }
    std::vector<std::tuple<int, int, int>> rows;
};

Raindrop still(RecordingSurface& s, float x, float y, Surface::Color c)
{
    return Raindrop(Vector2D(x, y), Vector2D(0.0f, 0.0f), c, 10, s);
}

TEST(LandedLayer, NeighbouringPixelsAreDrawnAsOneRowAndEachPixelOnce)
{
    RowRecorder surface(20, 10);
    LandedLayer layer(20, 10);
    // Covered in an order that makes runs grow left, right and join up.
    for (int x : {5, 7, 6, 9, 4, 8, 15, 0, 19})
        layer.add(still(surface, static_cast<float>(x), 3.0f, {10, 20, 30}));
    layer.add(still(surface, 6.0f, 3.0f, {99, 99, 99})); // already covered
    EXPECT_EQ(layer.coveredPixels(), 9);

    surface.lock();
    layer.draw(surface);
    surface.unlock();
    using Row = std::tuple<int, int, int>;
    EXPECT_EQ(surface.rows, (std::vector<Row>{{0, 3, 1}, {4, 3, 6}, {15, 3, 1}, {19, 3, 1}}));
    EXPECT_EQ(surface.puts, 9);
    EXPECT_EQ(surface.at(6, 3), 0x0A141Eu); // the first drop there wins
}

TEST(LandedLayer, ADropCoversItsHeadOverItsTailAndOlderDropsWin)
{
    RecordingSurface surface(20, 10);
    LandedLayer layer(20, 10);
    // Tails laid by falling a pixel a step.
    Raindrop first(Vector2D(5.0f, 4.0f), Vector2D(0.0f, 1.0f), {200, 0, 0}, 10, surface);
    first.move();
    first.move();
    first.weakenTail(); // (5, 5) faded to 185, (5, 4) to 170
    first.position = Vector2D(5.5f, 5.5f); // the head over its newest segment
    Raindrop second(Vector2D(5.0f, 3.0f), Vector2D(0.0f, 1.0f), {0, 250, 0}, 10, surface);
    second.move(); // (5, 3), and the head to (5, 4), under first's tail
    layer.add(first);
    layer.add(second);

    surface.lock();
    layer.draw(surface);
    surface.unlock();
    EXPECT_EQ(surface.at(5, 5), 0xC80000u); // head over the newest segment
    EXPECT_EQ(surface.at(5, 4), 0xAA0000u); // first's tail over second's head
    EXPECT_EQ(surface.at(5, 3), 0x00FA00u);
    EXPECT_EQ(layer.coveredPixels(), 3);
}

} // namespace
