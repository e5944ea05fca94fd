// SPDX-License-Identifier: MIT
#include "StopSignals.h"

#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

// A screensaver sends SIGTERM once it has taken the window away, and drawing
// into a vanished window can leave the video library stuck inside Xlib for
// good (SDL 2's X error handler calls back into Xlib while Xlib holds its own
// lock), so that the loop never reads the flag again. The first stop signal
// therefore also arms this timer: a process still there when it fires leaves
// at once, with status 0, since it was asked to stop and it stops.
constexpr unsigned STOP_GRACE_SECONDS = 1;

extern "C" void leaveNow(int)
{
    _exit(0);
}

// Only async-signal-safe calls here.
extern "C" void requestStop(int)
{
    if (stopRequested == 0) {
        stopRequested = 1;
        alarm(STOP_GRACE_SECONDS);
    }
}

} // namespace

void StopSignals::catchThem()
{
    std::signal(SIGALRM, leaveNow);
    std::signal(SIGTERM, requestStop);
    if (std::signal(SIGINT, requestStop) == SIG_IGN)
        std::signal(SIGINT, SIG_IGN);
}

const volatile std::sig_atomic_t& StopSignals::requested()
{
    return stopRequested;
}
