// SPDX-License-Identifier: MIT
#ifndef NIMBREL_STOPSIGNALS_H
#define NIMBREL_STOPSIGNALS_H

#include <csignal>

// SIGTERM and SIGINT, as a screensaver or a shell asks the program to stop;
// on Windows, logging off or shutting down. Caught before the video library
// starts: SDL then leaves the handlers alone, and a stop asked for while the
// window opens is not lost to SDL's own. One implementation for each system,
// in os/posix/ and os/windows/.
class StopSignals {
public:
    // Installs the handlers; a shell's background job keeps SIGINT ignored.
    // On Windows the session's end exits at once, with status 0.
    static void catchThem();
    // Set once a stop signal came; read by the frame loop.
    static const volatile std::sig_atomic_t& requested();
};

#endif
