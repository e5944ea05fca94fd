// SPDX-License-Identifier: MIT
#ifndef NIMBREL_FRAMEPROBE_H
#define NIMBREL_FRAMEPROBE_H

// Where a tool that watches the program from outside (the tests' frame
// counter, the benchmarks) learns of every frame made, those that hand the
// display nothing among them: what the display is handed no longer tells.
class FrameProbe {
public:
    // Called once a frame, once it is handed to the display. Nothing happens
    // unless a watcher is there; then it costs a test and a call.
    static void frameMade();
};

#endif
