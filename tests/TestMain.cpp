// SPDX-License-Identifier: MIT
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

void startColourCycle();

int main(int argc, char** argv)
{
    // Headless whatever the caller's environment says.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    testing::InitGoogleTest(&argc, argv);
    SDL_Init(SDL_INIT_NOPARACHUTE);
    startColourCycle();
    const int result = RUN_ALL_TESTS();
    SDL_Quit();
    return result;
}
