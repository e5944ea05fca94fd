// SPDX-License-Identifier: MIT
// On X11: Xlib's error handlers, which are the process's.
#include "DisplayLoss.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <unistd.h>

namespace {

bool windowLost = false;
XErrorHandler previousHandler = nullptr;

int onError(Display* display, XErrorEvent* error)
{
    if (error->error_code == BadWindow || error->error_code == BadDrawable) {
        windowLost = true;
        return 0;
    }
    return previousHandler != nullptr ? previousHandler(display, error) : 0;
}

// Xlib calls this once the connection is gone and exits when it returns;
// _exit skips the exit handlers, which would use the connection again.
int onConnectionLost(Display* display)
{
    std::fprintf(stderr, "Lost the connection to the X display %s\n", DisplayString(display));
    std::fflush(stderr);
    _exit(1);
}

} // namespace

void DisplayLoss::catchIt()
{
    const XErrorHandler previous = XSetErrorHandler(onError);
    if (previous != onError)
        previousHandler = previous;
    XSetIOErrorHandler(onConnectionLost);
}

bool DisplayLoss::takeWindowLost()
{
    const bool lost = windowLost;
    windowLost = false;
    return lost;
}
