// SPDX-License-Identifier: MIT
#include "FramePacer.h"

#include <thread>

FramePacer::FramePacer(int framesPerSecond) : FramePacer(framesPerSecond, [] { return Clock::now(); }) {}

FramePacer::FramePacer(int framesPerSecond, std::function<Clock::time_point()> now)
    : rate(framesPerSecond > 0 ? framesPerSecond : 0), now(std::move(now))
{
    start = next = this->now();
}

bool FramePacer::due() const
{
    return rate == 0 || now() >= next;
}

void FramePacer::sleepUntilDue() const
{
    if (rate != 0)
        std::this_thread::sleep_until(next);
}

void FramePacer::frameMade()
{
    if (rate == 0)
        return;
    // Frame k is due at start + k / rate seconds, worked out in whole
    // nanoseconds from the count, so rounding errors do not add up.
    // Each whole second moves the origin on, so the count stays small.
    if (++frames >= rate) {
        start += std::chrono::seconds(1);
        frames -= rate;
    }
    next = start + std::chrono::nanoseconds(frames * 1000000000LL / rate);
    const Clock::time_point t = now();
    const auto period = std::chrono::nanoseconds(1000000000LL / rate);
    if (t - next > MAX_LAG_FRAMES * period) {
        // A stall: count the frame just made as the first of a new schedule.
        start = t;
        frames = 1;
        next = t + period;
    }
}
