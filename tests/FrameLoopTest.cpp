// SPDX-License-Identifier: MIT
#include "FrameLoop.h"
#include "FramePacer.h"
#include "RainSimulation.h"
#include "RecordingSurface.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Event = EventSource::Event;
using std::chrono::milliseconds;

// Events in bursts: burst k is what is pending before frame k, as letters:
// Q quit, D toggle drops, E exposed, O other, S a stop signal arriving. The
// events are noted in the surface's calls, so their order against the frames
// shows. Each poll moves a fake clock on by 10 ms.
struct ScriptedEvents : EventSource {
    RecordingSurface& surface;
    std::vector<std::string> bursts;
    size_t frame = 0, next = 0;
    FramePacer::Clock::time_point now{};
    std::vector<milliseconds> frameTimes; // when each frame but the last was made
    volatile std::sig_atomic_t stop = 0;

    ScriptedEvents(RecordingSurface& s, std::vector<std::string> b) : surface(s), bursts(std::move(b)) {}

    bool poll(Event& event) override
    {
        if (frame != static_cast<size_t>(surface.updates)) {
            frameTimes.push_back(std::chrono::duration_cast<milliseconds>(now.time_since_epoch()));
            frame = static_cast<size_t>(surface.updates);
            next = 0;
        }
        now += milliseconds(10);
        const std::string burst = frame < bursts.size() ? bursts[frame] : "";
        for (; next < burst.size(); ++next) {
            const char c = burst[next];
            if (c == 'S') {
                stop = 1;
                continue;
            }
            event = c == 'Q' ? Event::Quit : c == 'D' ? Event::ToggleDrops : c == 'E' ? Event::Exposed : Event::Other;
            if (c != 'E') // the surface notes that itself
                surface.calls += c;
            ++next;
            return true;
        }
        stop = stop || frame > 1000; // a loop that does not end fails, not hangs
        return false;
    }
};

// The surface's calls and the events in order (U update, C clear, E
// exposed), with a "+" where the falling drops are shown at the end.
std::string run(std::vector<std::string> bursts, bool kept, int frameRate = 0,
                std::vector<milliseconds>* frameTimes = nullptr)
{
    RecordingSurface surface(40, 30);
    surface.keeps = kept;
    RainSimulation simulation(surface, 0, 50, 10, false);
    ScriptedEvents events(surface, std::move(bursts));
    FramePacer pacer(frameRate, [&] { return events.now; });
    FrameLoop(surface, events, pacer, simulation, events.stop).run();
    EXPECT_EQ(surface.faults, std::vector<std::string>{});
    if (frameTimes != nullptr)
        *frameTimes = events.frameTimes;
    return surface.calls + (simulation.showDrops ? "+" : "");
}

TEST(FrameLoop, EventsComeBeforeTheFrameAndAQuitGetsOneMoreFrame)
{
    struct Row {
        std::vector<std::string> bursts;
        bool kept;
        std::string calls;
    };
    const Row rows[] = {
        {{"Q"}, false, "QUC"},             // quit: one more frame, then the end
        {{"", "", "Q"}, false, "UCUCQUC"}, // until then, frame after frame
        {{"QD"}, false, "QDUC+"},          // a D behind the quit still flips
        {{"DD", "Q"}, false, "DDUCQUC"},   // twice restores
        {{"OOD", "Q"}, false, "OODUCQUC+"}, // other events are passed over
        {{"", "S"}, false, "UC"},          // a stop signal: no further frame
        {{"", "QS"}, false, "UCQ"},        // not even the one a quit gets
        {{"", "Q"}, true, "UQU"},          // a kept picture is not cleared
        {{"E", "Q"}, true, "EUQU"},        // exposed: told before the next frame
    };
    for (const Row& row : rows)
        EXPECT_EQ(run(row.bursts, row.kept), row.calls) << testing::PrintToString(row.bursts);
}

TEST(FrameLoop, FramesKeepToThePacerAndEventsAreReadWhileWaiting)
{
    // 20 frames a second: the first at the first poll, then one every 50 ms,
    // with the D that comes in between handled before its frame.
    std::vector<milliseconds> times;
    EXPECT_EQ(run({"", "", "", "", "D", "", "Q"}, false, 20, &times), "UCUCUCUCDUCUCQUC+");
    const std::vector<milliseconds> expected = {milliseconds(10),  milliseconds(50),  milliseconds(100),
                                                milliseconds(150), milliseconds(200), milliseconds(250)};
    EXPECT_EQ(times, expected);
}

} // namespace
