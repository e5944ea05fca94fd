// SPDX-License-Identifier: MIT
#include "Raindrop.h"
#include "RecordingSurface.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

Raindrop dropAt(RecordingSurface& surface, float x, float y, float vx, float vy,
                Surface::Color color, int tailLength = 10)
{
    return Raindrop(Vector2D(x, y), Vector2D(vx, vy), color, tailLength, surface);
}

std::vector<int> reds(const Raindrop& drop)
{
    std::vector<int> values;
    for (const Raindrop::RainTail& t : drop.tail())
        values.push_back(t.color.red);
    return values;
}

TEST(Raindrop, FirstMoveLaysASegmentAtTheStartPixelThenAdvances)
{
    RecordingSurface surface(50, 50);
    Raindrop drop = dropAt(surface, 10.0f, 0.0f, 0.5f, 0.25f, {200, 100, 50});
    drop.move();
    ASSERT_EQ(drop.tail().size(), 1u);
    EXPECT_EQ(drop.tail().front().position.x, 10.0f);
    EXPECT_EQ(drop.tail().front().position.y, 0.0f);
    EXPECT_EQ(drop.tail().front().color.red, 200);
    EXPECT_EQ(drop.position.x, 10.5f);
    EXPECT_EQ(drop.position.y, 0.25f);
}

// A drop that stays on its pixel shows one segment's whole life: it is laid
// once, fades each step, and when a fade removes it a fresh one is laid.
TEST(Raindrop, SegmentFadesByFifteenUntilEveryChannelIsBelowFifteen)
{
    struct Case {
        Surface::Color color;
        std::vector<int> redsSeen; // the segment's red after each move
    };
    std::vector<int> from255;
    for (int red = 255; red >= 15; red -= 15)
        from255.push_back(red);  // 255, 240, ..., 15: 17 values
    std::vector<int> from254;
    for (int red = 254; red >= 15; red -= 15)
        from254.push_back(red);  // 16 values
    std::vector<int> from1000;
    for (int red = 1000; red >= 15; red -= 15)
        from1000.push_back(red); // 66 values: channels beyond 255 fade alike
    const Case cases[] = {
        {{255, 0, 0}, from255},
        {{254, 0, 0}, from254},
        {{1000, -1, 0}, from1000},
        {{100, 10, 0}, {100, 85, 70, 55, 40, 25}},
        {{20, 7, 3}, {20}},
        {{29, 0, 0}, {29}},
        {{0, 0, 0}, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "colour " << c.color.red << "," << c.color.green << ","
                                        << c.color.blue);
        RecordingSurface surface(50, 50);
        Raindrop drop = dropAt(surface, 20.0f, 20.0f, 0.0f, 0.0f, c.color);
        std::vector<int> seen;
        for (size_t step = 0; step < c.redsSeen.size(); ++step) {
            drop.move();
            ASSERT_EQ(drop.tail().size(), 1u);
            seen.push_back(drop.tail().front().color.red);
        }
        EXPECT_EQ(seen, c.redsSeen);
        // The next fade removes it, and the same move lays a fresh one.
        drop.move();
        ASSERT_EQ(drop.tail().size(), 1u);
        EXPECT_EQ(drop.tail().front().color.red, c.color.red);
        EXPECT_EQ(drop.tail().front().color.green, c.color.green);
        EXPECT_EQ(drop.tail().front().color.blue, c.color.blue);
    }
}

TEST(Raindrop, LowChannelsKeepTheirValueWhileTheBrightestFades)
{
    RecordingSurface surface(50, 50);
    Raindrop drop = dropAt(surface, 20.0f, 20.0f, 0.0f, 0.0f, {100, 10, 0});
    for (int i = 0; i < 5; ++i)
        drop.move();
    EXPECT_EQ(drop.tail().front().color.red, 40);
    EXPECT_EQ(drop.tail().front().color.green, 10);
    EXPECT_EQ(drop.tail().front().color.blue, 0);
}

TEST(Raindrop, TailLengthLimitsTheSegmentCount)
{
    struct Case {
        int tailLength;
        std::vector<size_t> sizes; // after each step, one new pixel per step
    };
    std::vector<size_t> fadingOnly;
    for (size_t n = 1; n <= 17; ++n)
        fadingOnly.push_back(n);
    for (int extra = 0; extra < 8; ++extra)
        fadingOnly.push_back(17);
    const Case cases[] = {
        {3, {1, 2, 3, 3, 3, 3}},
        {1, {1, 1, 1, 1}},
        {0, {1, 1, 1, 1}},
        {-1, fadingOnly},
        {17, fadingOnly},
        {1000, fadingOnly},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "tailLength " << c.tailLength);
        RecordingSurface surface(50, 50);
        Raindrop drop = dropAt(surface, 20.0f, 0.0f, 0.0f, 1.0f, {255, 255, 255}, c.tailLength);
        std::vector<size_t> sizes;
        for (size_t step = 0; step < c.sizes.size(); ++step) {
            drop.move();
            sizes.push_back(drop.tail().size());
        }
        EXPECT_EQ(sizes, c.sizes);
        // Newest first: the front segment is where the head stood last.
        EXPECT_EQ(drop.tail().front().position.y, drop.position.y - 1.0f);
        EXPECT_EQ(drop.tail().front().color.red, 255);
    }
}

TEST(Raindrop, NoNewSegmentWhileTheHeadStaysOnItsPixel)
{
    RecordingSurface surface(50, 50);
    // 0.25 per step: four moves per pixel row.
    Raindrop drop = dropAt(surface, 10.0f, 10.0f, 0.0f, 0.25f, {255, 0, 0});
    const std::vector<size_t> expected = {1, 1, 1, 1, 2, 2, 2, 2, 3};
    std::vector<size_t> sizes;
    for (size_t i = 0; i < expected.size(); ++i) {
        drop.move();
        sizes.push_back(drop.tail().size());
    }
    EXPECT_EQ(sizes, expected);
    // the older segment kept fading meanwhile
    EXPECT_EQ(reds(drop), (std::vector<int>{255, 195, 135}));
}

TEST(Raindrop, AFullyFadedSegmentTakesEveryOlderOneWithIt)
{
    RecordingSurface surface(50, 50);
    // Red 40 lasts two fades. Two segments laid by hand in one step have
    // the same age, and go in the same fade, behind a newer one that stays.
    Raindrop drop = dropAt(surface, 10.0f, 6.0f, 0.0f, 1.0f, {40, 0, 0});
    drop.addTail();
    drop.position = Vector2D(10.0f, 7.0f);
    drop.addTail();
    drop.weakenTail();
    drop.position = Vector2D(10.0f, 8.0f);
    drop.addTail();
    EXPECT_EQ(reds(drop), (std::vector<int>{40, 25, 25}));
    drop.weakenTail();
    EXPECT_EQ(reds(drop), (std::vector<int>{25}));
    EXPECT_EQ(drop.tail().front().position.y, 8.0f);
}

TEST(Raindrop, CopiesHaveTailsOfTheirOwn)
{
    RecordingSurface surface(50, 50);
    RecordingSurface other(60, 60);
    Raindrop source = dropAt(surface, 10.0f, 0.0f, 0.0f, 1.0f, {255, 0, 0}, 5);
    for (int i = 0; i < 3; ++i)
        source.move();

    Raindrop copy(source);
    copy.weakenTail();
    copy.weakenTail();
    EXPECT_EQ(reds(source), (std::vector<int>{255, 240, 225}));
    EXPECT_EQ(reds(copy), (std::vector<int>{225, 210, 195}));
    EXPECT_EQ(&copy.surface, &surface);
    EXPECT_EQ(copy.tailLength, 5);

    // Assignment copies the state but keeps the target's surface and length.
    Raindrop target = dropAt(other, 1.0f, 1.0f, 0.0f, 0.0f, {1, 2, 3}, 2);
    target = source;
    EXPECT_EQ(&target.surface, &other);
    EXPECT_EQ(target.tailLength, 2);
    EXPECT_EQ(target.position.y, source.position.y);
    EXPECT_EQ(target.velocity.y, 1.0f);
    EXPECT_EQ(target.color.red, 255);
    EXPECT_EQ(reds(target), reds(source));
    target.weakenTail();
    EXPECT_EQ(reds(source), (std::vector<int>{255, 240, 225}));

    Raindrop& self = target;
    target = self;
    EXPECT_EQ(reds(target), (std::vector<int>{240, 225, 210}));
}

TEST(Raindrop, DrawsEachSegmentInTheColourItReadsAtEveryAge)
{
    // Red 1000 lasts 66 fades, beyond the table of shades that drawing
    // looks ages up in; a surface keeps the low 8 bits of each channel.
    RecordingSurface surface(50, 50);
    surface.keepLog = true;
    Raindrop drop = dropAt(surface, 10.0f, 0.0f, 0.0f, 0.25f, {1000, -1, 256}, -1);
    Raindrop::Shades shades;
    surface.lock();
    for (int step = 0; step < 100; ++step) {
        drop.move();
        surface.log.clear();
        drop.draw(shades);
        const Raindrop::Tail tail = drop.tail();
        ASSERT_EQ(surface.log.size(), tail.size() + 1);
        for (size_t i = 0; i < tail.size(); ++i)
            ASSERT_EQ(Surface::packRgb(surface.log[i].color), Surface::packRgb(tail[i].color))
                << "step " << step << " segment " << i;
    }
    surface.unlock();
    // A segment every 4 steps, laid at fades 1, 5, ..., 97; after 100 those
    // laid within the last 66 are left: 37 to 97.
    EXPECT_EQ(drop.tail().size(), 16u);
}

TEST(Raindrop, DrawPaintsTheTailNewestFirstThenTheHead)
{
    RecordingSurface surface(50, 50);
    surface.keepLog = true;
    Raindrop drop = dropAt(surface, 10.7f, 3.9f, -0.5f, 1.0f, {255, 128, 0});
    surface.lock();
    drop.draw();
    ASSERT_EQ(surface.log.size(), 1u); // an empty tail: only the head
    EXPECT_EQ(surface.log[0].x, 10);    // truncated toward zero
    EXPECT_EQ(surface.log[0].y, 3);

    drop.move(); // lays (10, 3), head to (10.2, 4.9)
    drop.move(); // head still on column 10, row 4: lays (10, 4), head to (9.7, 5.9)
    surface.log.clear();
    drop.draw();
    surface.unlock();

    ASSERT_EQ(surface.log.size(), 3u);
    EXPECT_EQ(surface.log[0].x, 10);
    EXPECT_EQ(surface.log[0].y, 4);
    EXPECT_EQ(surface.log[0].color.red, 255);
    EXPECT_EQ(surface.log[1].x, 10);
    EXPECT_EQ(surface.log[1].y, 3);
    EXPECT_EQ(surface.log[1].color.red, 240);
    EXPECT_EQ(surface.log[1].color.green, 113);
    EXPECT_EQ(surface.log[1].color.blue, 0);
    EXPECT_EQ(surface.log[2].x, 9);
    EXPECT_EQ(surface.log[2].y, 5);
    EXPECT_EQ(surface.log[2].color.green, 128);
    EXPECT_TRUE(surface.faults.empty());
}

} // namespace
