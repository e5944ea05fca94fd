// SPDX-License-Identifier: MIT
#ifndef NIMBREL_FRAMELOOP_H
#define NIMBREL_FRAMELOOP_H

#include "EventSource.h"

#include <csignal>

class FramePacer;
class RainSimulation;
class Surface;

// The program's one loop: events, then a frame, paced, until the user quits
// or a stop signal comes.
class FrameLoop {
public:
    FrameLoop(Surface& surface, EventSource& events, FramePacer& pacer, RainSimulation& simulation,
              const volatile std::sig_atomic_t& stopRequested);

    // Every pending event is handled before a frame is made. A quit is
    // looked at only after a frame, so one more frame follows it; a stop
    // signal makes none, since the window it comes from may be gone.
    void run();

private:
    Surface& surface;
    EventSource& events;
    FramePacer& pacer;
    RainSimulation& simulation;
    const volatile std::sig_atomic_t& stopRequested;
    bool running = true;

    void handle(EventSource::Event event);
    void makeFrame();
};

#endif
