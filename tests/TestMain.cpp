// SPDX-License-Identifier: MIT
#include "RainSimulation.h"
#include "RecordingSurface.h"
#include "ScriptedRand.h"

#include <gtest/gtest.h>

#include <cstdlib>

// The colour cycle belongs to the process, so each test binary starts it once
// from known values: (250, 250, 0), stepping by (5, 5, 0). Red and green wrap
// to 0 together, so every 51st batch is black.
void startColourCycle()
{
    RecordingSurface surface(40, 30);
    ScriptedRand::queue({250, 250, 0, 5, 5, 0});
    RainSimulation warmUp(surface, 0, 50, 10, false);
}

int main(int argc, char** argv)
{
    // Tests that open a display do it headless whatever the caller's
    // environment says.
    putenv(const_cast<char*>("SDL_VIDEODRIVER=dummy"));
    testing::InitGoogleTest(&argc, argv);
    startColourCycle();
    return RUN_ALL_TESTS();
}
