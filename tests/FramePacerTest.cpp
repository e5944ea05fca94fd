// SPDX-License-Identifier: MIT
#include "FramePacer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;
using Time = FramePacer::Clock::time_point;

// A clock that moves only when the test says so.
struct FakeClock {
    Time t{};
    std::function<Time()> fn() { return [this] { return t; }; }
};

// Runs a display loop against the fake clock: each frame takes `work`, and
// the loop sleeps until the next frame is due. Returns the times frames began.
std::vector<Time> frameTimes(FramePacer& pacer, FakeClock& clock, int count, nanoseconds work,
                             const std::function<nanoseconds(int)>& stall = nullptr)
{
    std::vector<Time> times;
    while (static_cast<int>(times.size()) < count) {
        if (!pacer.due()) {
            clock.t = pacer.nextDue(); // what sleepUntilDue does
            continue;
        }
        times.push_back(clock.t);
        clock.t += work;
        if (stall)
            clock.t += stall(static_cast<int>(times.size()) - 1);
        pacer.frameMade();
    }
    return times;
}

TEST(FramePacer, SixtyFramesTakeOneSecondWithoutDrift)
{
    FakeClock clock;
    FramePacer pacer(60, clock.fn());
    const std::vector<Time> times = frameTimes(pacer, clock, 60 * 600 + 1, milliseconds(3));
    // 1/60 s is not a whole number of nanoseconds; ten minutes later the
    // schedule is still exact.
    EXPECT_EQ(times[60] - times[0], std::chrono::seconds(1));
    EXPECT_EQ(times[60 * 600] - times[0], std::chrono::seconds(600));
    for (size_t i = 1; i < times.size(); ++i) {
        const auto gap = times[i] - times[i - 1];
        ASSERT_GE(gap, nanoseconds(16666666));
        ASSERT_LE(gap, nanoseconds(16666667));
    }
}

TEST(FramePacer, ZeroMeansEveryFrameIsDueAtOnce)
{
    FakeClock clock;
    FramePacer pacer(0, clock.fn());
    const std::vector<Time> times = frameTimes(pacer, clock, 100, milliseconds(1));
    EXPECT_EQ(times[99] - times[0], milliseconds(99));
    FramePacer negative(-5, clock.fn());
    EXPECT_TRUE(negative.due());
}

TEST(FramePacer, ASlowFrameIsMadeUpButAStallStartsTheScheduleAnew)
{
    struct Case {
        milliseconds stall;   // added to frame 10
        bool keepsSchedule;   // later frames stay on the original schedule
    };
    const Case cases[] = {{milliseconds(30), true}, {milliseconds(60), true}, {milliseconds(500), false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "stall " << c.stall.count() << " ms");
        FakeClock clock;
        FramePacer pacer(50, clock.fn()); // 20 ms a frame
        const auto stall = [&c](int frame) { return frame == 10 ? nanoseconds(c.stall) : nanoseconds(0); };
        const std::vector<Time> times = frameTimes(pacer, clock, 40, milliseconds(2), stall);
        const Time stallEnd = times[10] + milliseconds(2) + c.stall;
        if (c.keepsSchedule) {
            EXPECT_EQ(times[39] - times[0], milliseconds(20 * 39));
        } else {
            // No burst: frames after the stall keep the full spacing.
            EXPECT_EQ(times[11], stallEnd + milliseconds(20));
            for (int i = 12; i < 40; ++i)
                EXPECT_EQ(times[i] - times[i - 1], milliseconds(20)) << i;
        }
        // Never two frames closer together than the work itself, never a burst
        // of more than a few frames after a stall.
        int quick = 0;
        for (size_t i = 1; i < times.size(); ++i)
            quick += times[i] - times[i - 1] < milliseconds(20) ? 1 : 0;
        EXPECT_LE(quick, FramePacer::MAX_LAG_FRAMES + 1);
    }
}

} // namespace
