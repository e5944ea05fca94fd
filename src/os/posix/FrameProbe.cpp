// SPDX-License-Identifier: MIT
#include "FrameProbe.h"

// A library preloaded into the process may define it; then the dynamic
// linker points the program's calls at it, and otherwise at nothing.
extern "C" void nimbrel_frame_made() __attribute__((weak));

void FrameProbe::frameMade()
{
    if (nimbrel_frame_made)
        nimbrel_frame_made();
}
