// The program draws landed drops from a fixed-size layer instead of keeping
// and redrawing every landed drop. These tests run it side by side with the
// plain drawing, from the same random numbers, and compare every frame.
#include "LiteralRainSimulation.h"
#include "RainSimulation.h"
#include "RecordingSurface.h"
#include "ScriptedRand.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Starts the reference's colour cycle where the program's own cycle stands,
// reading that from a one-drop batch (the cycle steps by (5, 5, 0)).
void syncColourCycles()
{
    RecordingSurface surface(40, 30);
    RainSimulation probe(surface, 1, 1000, 10, false);
    const Surface::Color c = probe.getDrops().front().color;
    LiteralRainSimulation::cycle = {true, (c.red + 5) % 255, (c.green + 5) % 255, c.blue, 5, 5, 0};
}

struct RainRun {
    int width, height, dropRate, dropSpeed, tailLength;
    int steps;
    std::function<bool(int step)> showDrops;
};

struct Seen {
    long landedOnTakenCell = 0;
    bool blackLanded = false;
};

Seen runSideBySide(const RainRun& run, unsigned seed)
{
    ScriptedRand::clearQueue();
    syncColourCycles();
    ScriptedRand::seedStream(1, seed);
    ScriptedRand::seedStream(2, seed);

    RecordingSurface fastSurface(run.width, run.height);
    RecordingSurface referenceSurface(run.width, run.height);
    ScriptedRand::useStream(1);
    RainSimulation fast(fastSurface, run.dropRate, run.dropSpeed, run.tailLength, run.showDrops(0));
    ScriptedRand::useStream(2);
    LiteralRainSimulation reference(referenceSurface, run.dropRate, run.dropSpeed, run.tailLength,
                                    run.showDrops(0));

    Seen seen;
    for (int step = 0; step < run.steps; ++step) {
        fast.showDrops = reference.showDrops = run.showDrops(step);
        ScriptedRand::useStream(1);
        fast.runNextStep();
        ScriptedRand::useStream(2);
        reference.runNextStep();

        const std::vector<uint32_t>& a = fastSurface.pixels();
        const std::vector<uint32_t>& b = referenceSurface.pixels();
        if (a != b) {
            for (size_t i = 0; i < a.size(); ++i) {
                if (a[i] != b[i]) {
                    ADD_FAILURE() << "step " << step << ": pixel " << i % run.width << "," << i / run.width
                                  << " is " << std::hex << a[i] << " instead of " << b[i];
                    break;
                }
            }
            break;
        }
        for (RecordingSurface* s : {&fastSurface, &referenceSurface}) {
            s->update();
            s->clear();
        }
    }
    ScriptedRand::useStream(0);

    EXPECT_EQ(fastSurface.faults, std::vector<std::string>{});
    EXPECT_EQ(referenceSurface.faults, std::vector<std::string>{});
    EXPECT_EQ(fast.getLandedCount(), static_cast<int64_t>(reference.deadDrops.size()));
    EXPECT_GT(fast.getLandedCount(), 0);
    seen.landedOnTakenCell = reference.landedOnTakenCell;
    for (const Raindrop& d : reference.deadDrops)
        seen.blackLanded = seen.blackLanded || (d.color.red == 0 && d.color.green == 0 && d.color.blue == 0);
    return seen;
}

bool off(int) { return false; }
bool on(int) { return true; }

TEST(LandedIdentity, SamePictureAsDrawingEveryLandedDropEveryFrame)
{
    const RainRun runs[] = {
        {40, 30, 20, 1, 10, 3000, off},
        {40, 30, 20, 2, 10, 3000, on},
        {64, 48, 15, 2, -1, 3000, [](int step) { return (step / 300) % 2 == 1; }},
        {23, 12, 30, 1, 3, 2000, [](int step) { return step % 7 < 3; }},
        {13, 8, 5, 1, 10, 2000, on},
        {50, 40, 8, 3, 0, 3000, [](int step) { return step >= 1500; }},
    };
    Seen total;
    unsigned seed = 12345;
    for (const RainRun& run : runs) {
        SCOPED_TRACE(testing::Message() << run.width << "x" << run.height << " dropRate " << run.dropRate
                                        << " dropSpeed " << run.dropSpeed << " tailLength " << run.tailLength);
        const Seen seen = runSideBySide(run, seed++);
        total.landedOnTakenCell += seen.landedOnTakenCell;
        total.blackLanded = total.blackLanded || seen.blackLanded;
        if (HasFailure())
            return;
    }
    // The runs covered the cases that matter for the layer.
    EXPECT_GT(total.landedOnTakenCell, 0) << "no drop landed in a cell that was already taken";
    EXPECT_TRUE(total.blackLanded) << "no black drop landed";
}

} // namespace
