// SPDX-License-Identifier: MIT
#ifndef NIMBREL_DISPLAYLOSS_H
#define NIMBREL_DISPLAYLOSS_H

// How a run ends when its window or its display is taken away. On X11,
// Xlib's own handlers print and exit with status 1, and on a lost server the
// video library's exit handler then meets the dead connection and prints
// once more. Every SDL draws through Xlib there, so the display's platform
// files share this; each operating system has its own implementation.
class DisplayLoss {
public:
    // Takes over from the video library's handlers: call once the window is
    // open. A request on a window that is gone (a screensaver destroys its
    // window before it sends SIGTERM) is noted, not fatal; any other error
    // goes on to the handler that was there. A lost connection ends the
    // program at once with one line and status 1.
    static void catchIt();

    // Whether a window was found gone since the last call: the run is over.
    static bool takeWindowLost();
};

#endif
