// SPDX-License-Identifier: MIT
// Standard output and error stay where the caller put them (a terminal, a
// screensaver's log), and sleeping is precise already.
#include "SystemStartUp.h"

void SystemStartUp::prepare()
{
}
