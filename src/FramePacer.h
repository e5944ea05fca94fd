// SPDX-License-Identifier: MIT
#ifndef NIMBREL_FRAMEPACER_H
#define NIMBREL_FRAMEPACER_H

#include <chrono>
#include <cstdint>
#include <functional>

// Spaces frames out to a fixed rate where the display does not do it. Frames
// are due on a fixed schedule counted from its start, so rounding never makes
// it drift; after a stall of more than a few frames the schedule starts anew
// instead of rushing out the frames it missed.
class FramePacer {
public:
    using Clock = std::chrono::steady_clock;
    // Frames a stall may be behind before the schedule starts anew.
    static constexpr int MAX_LAG_FRAMES = 4;

    // 0 frames per second: no pacing, every frame is due at once.
    explicit FramePacer(int framesPerSecond);
    FramePacer(int framesPerSecond, std::function<Clock::time_point()> now);

    // True when the next frame may be made now.
    bool due() const;
    // The time the next frame is due.
    Clock::time_point nextDue() const { return next; }
    // Sleeps until the next frame is due (returns at once when it is).
    void sleepUntilDue() const;
    // Records that a frame was made.
    void frameMade();

private:
    int64_t rate;
    std::function<Clock::time_point()> now;
    Clock::time_point start;
    int64_t frames = 0; // frames made since start
    Clock::time_point next;
};

#endif
