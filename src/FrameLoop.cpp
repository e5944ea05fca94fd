// SPDX-License-Identifier: MIT
#include "FrameLoop.h"

#include "FramePacer.h"
#include "FrameProbe.h"
#include "RainSimulation.h"
#include "Surface.h"

FrameLoop::FrameLoop(Surface& surface, EventSource& events, FramePacer& pacer, RainSimulation& simulation,
                     const volatile std::sig_atomic_t& stopRequested)
    : surface(surface), events(events), pacer(pacer), simulation(simulation), stopRequested(stopRequested)
{
}

void FrameLoop::run()
{
    EventSource::Event event;
    for (;;) {
        if (events.poll(event)) {
            handle(event);
            continue;
        }
        if (stopRequested)
            break;
        if (!pacer.due()) {
            // Events that arrive meanwhile are handled before the frame.
            pacer.sleepUntilDue();
            continue;
        }
        makeFrame();
        if (!running)
            break;
    }
}

void FrameLoop::handle(EventSource::Event event)
{
    switch (event) {
    case EventSource::Event::Quit:
        running = false;
        break;
    case EventSource::Event::ToggleDrops:
        simulation.showDrops = !simulation.showDrops;
        break;
    case EventSource::Event::Exposed:
        surface.exposed();
        break;
    case EventSource::Event::Other:
        break;
    }
}

void FrameLoop::makeFrame()
{
    simulation.runNextStep();
    surface.update();
    FrameProbe::frameMade();
    // A kept picture is the next frame's start; otherwise each frame starts black.
    if (!surface.keepsPicture())
        surface.clear();
    pacer.frameMade();
}
