// SPDX-License-Identifier: MIT
#ifndef NIMBREL_SCREENSAVER_H
#define NIMBREL_SCREENSAVER_H

#include "ScreenSaverCommand.h"

// nimbrel.scr: what Windows asks of a screensaver. Its settings are
// %APPDATA%\nimbrel\nimbrel.conf alone, since Windows starts a saver in
// System32 under its short name: neither the working directory nor the
// program's name says anything there.
class ScreenSaver {
public:
    // Runs the rain, a preview or the settings dialog as asked; a command
    // it does not know ends the process with one line and status 1.
    static void run(const ScreenSaverCommand& command);
};

#endif
