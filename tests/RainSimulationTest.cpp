// SPDX-License-Identifier: MIT
#include "RainSimulation.h"
#include "RecordingSurface.h"
#include "ScriptedRand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace {

constexpr int DR = 5, DG = 5, DB = 0;

// Queues the rand() values that place a drop in column border + columnOffset
// with the velocity (vx100 / 100, vy100 / 100).
void queueDrop(int columnOffset, int vx100, int vy100)
{
    ScriptedRand::queue({columnOffset, vx100 + 99, vy100 - 1});
}

class RainSimulationTest : public testing::Test {
protected:
    void SetUp() override { ScriptedRand::clearQueue(); }
    void TearDown() override { ScriptedRand::clearQueue(); }
};

int pixelX(const Raindrop& d) { return static_cast<int>(d.position.x); }

TEST_F(RainSimulationTest, OneBatchAfterConstructionAndASecondInTheFirstStep)
{
    RecordingSurface surface(200, 100);
    for (int i = 0; i < 6; ++i)
        queueDrop(50 + 10 * i, 0, 50);
    const long seedsBefore = ScriptedRand::srandCalls();
    RainSimulation sim(surface, 3, 50, 10, false);
    EXPECT_EQ(ScriptedRand::srandCalls(), seedsBefore + 1);
    EXPECT_EQ(sim.getDrops().size(), 3u);
    EXPECT_EQ(sim.getLandedCount(), 0);
    EXPECT_EQ(sim.getStepCount(), 0);
    for (const Raindrop& d : sim.getDrops()) {
        EXPECT_EQ(d.position.y, 0.0f); // not moved yet
        EXPECT_TRUE(d.tail().empty());
    }

    sim.runNextStep();
    EXPECT_EQ(sim.getStepCount(), 1);
    ASSERT_EQ(sim.getDrops().size(), 6u);
    // The new batch is moved in the step it appears in.
    for (const Raindrop& d : sim.getDrops())
        EXPECT_EQ(d.position.y, 0.5f);
}

TEST_F(RainSimulationTest, DropsStartInsideTheBorderWithTheirVelocities)
{
    RecordingSurface surface(640, 480);
    // Extremes of every draw: columns 5 and 634, slants -0.99, 0 and 0.99,
    // speeds 0.01 and 0.99. rand() % n is used, so large values wrap.
    ScriptedRand::queue({0, 0, 0, 629, 198, 98, 630 + 100, 99, 99 + 99});
    RainSimulation sim(surface, 3, 50, 10, false);
    std::vector<Raindrop> d(sim.getDrops().begin(), sim.getDrops().end());
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0].position.x, 5.0f);
    EXPECT_FLOAT_EQ(d[0].velocity.x, -0.99f);
    EXPECT_FLOAT_EQ(d[0].velocity.y, 0.01f);
    EXPECT_EQ(d[1].position.x, 634.0f);
    EXPECT_FLOAT_EQ(d[1].velocity.x, 0.99f);
    EXPECT_FLOAT_EQ(d[1].velocity.y, 0.99f);
    EXPECT_EQ(d[2].position.x, 105.0f);
    EXPECT_EQ(d[2].velocity.x, 0.0f); // falls straight down
    EXPECT_FLOAT_EQ(d[2].velocity.y, 0.01f);
}

TEST_F(RainSimulationTest, OneLockAndOneUnlockPerStepWhateverHappens)
{
    struct Case {
        int dropRate, dropSpeed;
        bool showDrops;
    };
    const Case cases[] = {{0, 50, false}, {1, 1, true}, {20, 1, true}, {20, 3, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "dropRate " << c.dropRate << " dropSpeed " << c.dropSpeed);
        RecordingSurface surface(30, 20);
        RainSimulation sim(surface, c.dropRate, c.dropSpeed, 10, c.showDrops);
        for (int step = 1; step <= 400; ++step) {
            sim.runNextStep();
            ASSERT_EQ(surface.locks, step);
            ASSERT_EQ(surface.unlocks, step);
            surface.update();
            surface.clear();
        }
        EXPECT_EQ(sim.getStepCount(), 400);
        EXPECT_EQ(surface.faults, std::vector<std::string>{});
    }
}

TEST_F(RainSimulationTest, ADropStartingInColumnFiveIsRemovedInItsFirstMove)
{
    RecordingSurface surface(100, 100);
    queueDrop(0, 99, 50);  // column 5, drifting right as fast as it can
    queueDrop(40, 0, 50);
    RainSimulation sim(surface, 2, 1000, 10, true);
    queueDrop(40, 0, 50);  // the first step's batch
    queueDrop(41, 0, 50);
    sim.runNextStep();
    ASSERT_EQ(sim.getDrops().size(), 3u);
    for (const Raindrop& d : sim.getDrops())
        EXPECT_GT(d.position.x, 5.0f);
}

TEST_F(RainSimulationTest, TheDropBehindARemovedOneIsNotMovedInThatStep)
{
    RecordingSurface surface(100, 100);
    surface.keepLog = true;
    queueDrop(0, 0, 50);   // removed at once
    queueDrop(40, 0, 50);  // follows it in the list
    RainSimulation sim(surface, 2, 1000, 10, true);
    queueDrop(60, 0, 50);
    queueDrop(70, 0, 50);
    sim.runNextStep();

    std::vector<Raindrop> d(sim.getDrops().begin(), sim.getDrops().end());
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0].position.x, 45.0f);
    EXPECT_EQ(d[0].position.y, 0.0f);  // kept its place
    EXPECT_TRUE(d[0].tail().empty());  // and laid no segment
    EXPECT_EQ(d[1].position.y, 0.5f);  // the others moved
    EXPECT_EQ(d[2].position.y, 0.5f);
    // It is still drawn, where it stands.
    bool drawn = false;
    for (const RecordingSurface::Put& p : surface.log)
        drawn = drawn || (p.x == 45 && p.y == 0);
    EXPECT_TRUE(drawn);

    sim.runNextStep();
    EXPECT_EQ(sim.getDrops().front().position.y, 0.5f);
}

TEST_F(RainSimulationTest, DropsLandAboveTheFloorAndOnEachOther)
{
    // 60 rows: the floor is row 54, so the first drop rests in row 53.
    RecordingSurface surface(100, 60);
    queueDrop(40, 0, 99);  // column 45, straight down
    RainSimulation sim(surface, 1, 60, 10, false);
    queueDrop(0, 0, 50);   // step 0: column 5, removed at once
    queueDrop(40, 0, 99);  // step 60: the same column again
    for (int x = 0; x < 100; ++x)
        EXPECT_TRUE(sim.isCellTaken(x, 54)) << x;
    EXPECT_FALSE(sim.isCellTaken(45, 53));

    const Surface::Color firstColour = sim.getDrops().front().color;
    for (int step = 0; step < 60; ++step)
        sim.runNextStep();
    EXPECT_EQ(sim.getLandedCount(), 1);
    EXPECT_TRUE(sim.isCellTaken(45, 53));
    EXPECT_FALSE(sim.isCellTaken(45, 52));
    EXPECT_FALSE(sim.isCellTaken(44, 53));
    EXPECT_FALSE(sim.isCellTaken(46, 53));

    sim.runNextStep(); // step 60 brings the second drop
    ASSERT_EQ(sim.getDrops().size(), 1u);
    const Surface::Color secondColour = sim.getDrops().back().color;
    for (int step = 61; step < 119; ++step)
        sim.runNextStep();
    EXPECT_EQ(sim.getLandedCount(), 2);
    EXPECT_TRUE(sim.isCellTaken(45, 52));
    EXPECT_FALSE(sim.isCellTaken(45, 51));

    // Landed drops are drawn even while falling drops are hidden; nothing is
    // drawn in the floor row. The first drop's newest tail segment, laid at
    // full colour in row 52 as it landed, covers the second drop's head: where
    // landed drops overlap, the oldest wins.
    auto packed = [](const Surface::Color& c) {
        return static_cast<uint32_t>(c.red << 16 | c.green << 8 | c.blue);
    };
    EXPECT_EQ(surface.at(45, 53), packed(firstColour));
    EXPECT_EQ(surface.at(45, 52), packed(firstColour));
    EXPECT_NE(packed(firstColour), packed(secondColour));
    EXPECT_EQ(surface.at(45, 54), 0u);
}

TEST_F(RainSimulationTest, NothingIsDrawnWhileDropsAreHiddenAndNoneHasLanded)
{
    RecordingSurface surface(100, 400);
    RainSimulation sim(surface, 10, 5, 10, false);
    for (int step = 0; step < 300; ++step) // 300 steps cover at most 297 rows
        sim.runNextStep();
    EXPECT_EQ(sim.getLandedCount(), 0);
    EXPECT_EQ(surface.puts, 0);
    EXPECT_GT(sim.getDrops().size(), 0u);

    sim.showDrops = true; // shows from the next drawing decision on
    sim.runNextStep();
    EXPECT_GT(surface.puts, 0);
}

TEST_F(RainSimulationTest, BatchesArriveEveryDropSpeedSteps)
{
    struct Case {
        int dropSpeed;
        std::vector<int> batchSteps; // steps (from 0) that add a batch
    };
    const Case cases[] = {
        {1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {5, {0, 5, 10}},
        {-5, {0, 5, 10}},
        {50, {0}},
        {-50, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "dropSpeed " << c.dropSpeed);
        RecordingSurface surface(100, 400);
        RainSimulation sim(surface, 4, c.dropSpeed, 10, false);
        std::vector<int> seen;
        for (int step = 0; step < 12; ++step) {
            const long before = ScriptedRand::calls();
            sim.runNextStep();
            const long used = ScriptedRand::calls() - before;
            ASSERT_TRUE(used == 0 || used == 12) << used << " rand() calls";
            if (used == 12)
                seen.push_back(step);
        }
        EXPECT_EQ(seen, c.batchSteps);
    }
}

TEST_F(RainSimulationTest, DropRateZeroMakesNoDropsButTheStepsGoOn)
{
    RecordingSurface surface(50, 50);
    RainSimulation sim(surface, 0, 1, 10, true);
    for (int i = 0; i < 20; ++i)
        sim.runNextStep();
    EXPECT_TRUE(sim.getDrops().empty());
    EXPECT_EQ(sim.getStepCount(), 20);
    EXPECT_EQ(surface.locks, 20);
    EXPECT_EQ(surface.unlocks, 20);
    EXPECT_EQ(surface.puts, 0);
}

TEST_F(RainSimulationTest, ColourDriftsByFixedStepsAndNeverReaches255)
{
    RecordingSurface surface(100, 400);
    RainSimulation sim(surface, 0, 1, 10, true);
    // Two batches in a row differ by one step; the empty batch of sim's step
    // in between still advances the colour, so the next pair starts two later.
    Surface::Color previous{-1, -1, -1};
    auto batchColour = [&surface]() {
        RainSimulation probe(surface, 2, 1000, 10, true);
        std::vector<Raindrop> d(probe.getDrops().begin(), probe.getDrops().end());
        EXPECT_EQ(d.size(), 2u);
        EXPECT_EQ(d[0].color.red, d[1].color.red);
        EXPECT_EQ(d[0].color.green, d[1].color.green);
        EXPECT_EQ(d[0].color.blue, d[1].color.blue);
        return d[0].color;
    };
    auto expectSteps = [](const Surface::Color& from, const Surface::Color& to, int steps) {
        EXPECT_EQ(to.red, (from.red + steps * DR) % 255);
        EXPECT_EQ(to.green, (from.green + steps * DG) % 255);
        EXPECT_EQ(to.blue, from.blue); // a step of 0 keeps its value
    };
    for (int round = 0; round < 150; ++round) {
        const Surface::Color first = batchColour();
        const Surface::Color second = batchColour();
        for (int channel : {first.red, first.green, first.blue, second.red, second.green, second.blue}) {
            ASSERT_GE(channel, 0);
            ASSERT_LT(channel, 255);
        }
        expectSteps(first, second, 1);
        if (previous.red >= 0)
            expectSteps(previous, first, 2);
        previous = second;
        sim.runNextStep();
    }
}

TEST_F(RainSimulationTest, TheHeapGrowsUpFromTheFloorAndNeverBelowIt)
{
    RecordingSurface surface(40, 30); // floor row 24
    RainSimulation sim(surface, 20, 1, 10, true);
    // The highest taken cell of the grid, rows above the floor only.
    auto heapTop = [&sim]() {
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 40; ++x)
                if (sim.isCellTaken(x, y))
                    return y;
        return 24;
    };
    std::vector<int> tops;
    for (int step = 1; step <= 3000; ++step) {
        sim.runNextStep();
        if (step % 500 == 0)
            tops.push_back(heapTop());
        surface.update();
        surface.clear();
    }
    EXPECT_GT(sim.getLandedCount(), 0);
    for (size_t i = 1; i < tops.size(); ++i)
        EXPECT_LE(tops[i], tops[i - 1]);
    EXPECT_LT(tops.back(), 10) << "after 3000 steps of heavy rain the heap is high";
    // Drops rest only inside the border and never in or below the floor row:
    // the floor and the rows below it hold no other cell than the floor's.
    for (int y = 0; y < 24; ++y) {
        EXPECT_FALSE(sim.isCellTaken(0, y));
        EXPECT_FALSE(sim.isCellTaken(39, y));
    }
    for (int y = 25; y <= 30; ++y)
        for (int x = 0; x < 40; ++x)
            EXPECT_FALSE(sim.isCellTaken(x, y)) << x << "," << y;
    // Nothing is ever drawn in the floor row or below it.
    for (int y = 24; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(surface.shown()[static_cast<size_t>(y) * 40 + x], 0u) << x << "," << y;
    // Every live drop is inside the border.
    for (const Raindrop& d : sim.getDrops()) {
        EXPECT_GE(pixelX(d), 4);
        EXPECT_LE(pixelX(d), 35);
    }
    EXPECT_EQ(surface.faults, std::vector<std::string>{});
}

TEST_F(RainSimulationTest, RefusesPicturesTooSmallForTheRain)
{
    struct Case {
        int width, height;
        bool fits;
    };
    const Case cases[] = {{11, 6, true}, {10, 480, false}, {640, 5, false}, {0, 0, false},
                          {640, 480, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        EXPECT_EQ(RainSimulation::fitsOn(c.width, c.height), c.fits);
        RecordingSurface surface(c.width, c.height);
        if (c.fits) {
            RainSimulation sim(surface, 10, 1, 10, true);
            for (int i = 0; i < 200; ++i)
                sim.runNextStep();
            EXPECT_EQ(surface.faults, std::vector<std::string>{});
        } else {
            EXPECT_THROW(RainSimulation(surface, 10, 1, 10, true), std::invalid_argument);
        }
    }
}

TEST_F(RainSimulationTest, DropSpeedZeroMakesNoFurtherBatches)
{
    RecordingSurface surface(100, 400);
    RainSimulation sim(surface, 3, 0, 10, false);
    const long before = ScriptedRand::calls();
    for (int i = 0; i < 20; ++i)
        sim.runNextStep();
    EXPECT_EQ(ScriptedRand::calls(), before);
}

} // namespace
