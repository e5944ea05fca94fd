// SPDX-License-Identifier: MIT
#include "FrameProbe.h"

// Nothing on Windows preloads a watcher into the program.
void FrameProbe::frameMade() {}
