// SPDX-License-Identifier: MIT
#ifndef NIMBREL_RAINPROGRAM_H
#define NIMBREL_RAINPROGRAM_H

class ConfigFile;

// The rain as the program shows it, from the settings to the last frame:
// the plain program's whole run, and the screensaver's once it has placed
// its window.
class RainProgram {
public:
    // Runs until the user quits or a stop is asked for. A picture the rain
    // cannot run on ends the process with one line and status 1.
    static void run(ConfigFile& config);
};

#endif
