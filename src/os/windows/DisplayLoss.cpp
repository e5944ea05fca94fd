// SPDX-License-Identifier: MIT
// On Windows only the thread that made a window can destroy it, and SDL
// reports its own window's end as an event; the preview watches the window
// it was given itself. Nothing to take over here.
#include "DisplayLoss.h"

void DisplayLoss::catchIt()
{
}

bool DisplayLoss::takeWindowLost()
{
    return false;
}
