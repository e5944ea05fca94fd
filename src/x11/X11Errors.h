// SPDX-License-Identifier: MIT
#ifndef NIMBREL_X11ERRORS_H
#define NIMBREL_X11ERRORS_H

// How a run on X11 ends when its window or its X server is taken away.
// Xlib's own handlers print and exit with status 1, and on a lost server the
// video library's exit handler then meets the dead connection and prints
// once more. Both SDL versions draw through Xlib, so this is the same for
// either.
class X11Errors {
public:
    // Installs the handlers in Xlib, over the video library's: call once
    // the window is open. A request on a window that is gone (a screensaver
    // destroys its window before it sends SIGTERM) is noted, not fatal; any
    // other error goes on to the handler that was there. A lost connection
    // ends the program at once with one line and status 1.
    static void catchThem();

    // Whether a window was found gone since the last call: the run is over.
    static bool takeWindowLost();
};

#endif
