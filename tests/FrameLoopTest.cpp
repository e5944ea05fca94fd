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
class ScriptedEvents : public EventSource {
public:
    ScriptedEvents(RecordingSurface& surface, std::vector<std::string> bursts)
        : surface(surface), bursts(std::move(bursts))
    {
    }

    bool poll(Event& event) override
    {
        const size_t frame = static_cast<size_t>(surface.updates);
        if (frame != current) { // a frame was made at the clock's time
            frameTimes.push_back(now - FramePacer::Clock::time_point{});
            current = frame;
            next = 0;
        }
        now += milliseconds(10);
        for (; frame < bursts.size() && next < bursts[frame].size(); ++next) {
            const char c = bursts[frame][next];
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
        if (frame > 1000) {
            ADD_FAILURE() << "the loop does not end";
            stop = 1;
        }
        return false;
    }

    FramePacer::Clock::time_point now{};
    volatile std::sig_atomic_t stop = 0;
    std::vector<FramePacer::Clock::duration> frameTimes;

private:
    RecordingSurface& surface;
    std::vector<std::string> bursts;
    size_t current = 0;
    size_t next = 0;
};

struct Outcome {
    std::string calls;
    bool showDrops;
    std::vector<FramePacer::Clock::duration> frameTimes;
};

Outcome run(std::vector<std::string> bursts, bool kept, int frameRate = 0)
{
    RecordingSurface surface(40, 30);
    surface.keeps = kept;
    RainSimulation simulation(surface, 0, 50, 10, false);
    ScriptedEvents events(surface, std::move(bursts));
    FramePacer pacer(frameRate, [&] { return events.now; });
    FrameLoop(surface, events, pacer, simulation, events.stop).run();
    EXPECT_EQ(surface.faults, std::vector<std::string>{});
    return {surface.calls, simulation.showDrops, events.frameTimes};
}

TEST(FrameLoop, EventsComeBeforeTheFrameAndAQuitGetsOneMoreFrame)
{
    struct Row {
        std::vector<std::string> bursts;
        bool kept;
        std::string calls; // U update, C clear, E exposed, and the events
        bool showDrops;
    };
    const Row rows[] = {
        {{"Q"}, false, "QUC", false},             // quit: one more frame, then the end
        {{"", "", "Q"}, false, "UCUCQUC", false}, // until then, frame after frame
        {{"QD"}, false, "QDUC", true},            // a D behind the quit still flips
        {{"DD", "Q"}, false, "DDUCQUC", false},   // twice restores
        {{"OOD", "Q"}, false, "OODUCQUC", true},  // other events are passed over
        {{"", "S"}, false, "UC", false},          // a stop signal: no further frame
        {{"", "QS"}, false, "UCQ", false},        // not even the one a quit gets
        {{"", "Q"}, true, "UQU", false},          // a kept picture is not cleared
        {{"E", "Q"}, true, "EUQU", false},        // exposed: told before the next frame
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.bursts));
        const Outcome r = run(row.bursts, row.kept);
        EXPECT_EQ(r.calls, row.calls);
        EXPECT_EQ(r.showDrops, row.showDrops);
    }
}

TEST(FrameLoop, FramesKeepToThePacerAndEventsAreReadWhileWaiting)
{
    // 20 frames a second: the first at the first poll, then one every 50 ms,
    // with the D that comes in between handled before its frame.
    const Outcome r = run({"", "", "", "", "D", "", "Q"}, false, 20);
    EXPECT_EQ(r.calls, "UCUCUCUCDUCUCQUC");
    EXPECT_TRUE(r.showDrops);
    const std::vector<FramePacer::Clock::duration> at = {milliseconds(10),  milliseconds(50),  milliseconds(100),
                                                         milliseconds(150), milliseconds(200), milliseconds(250)};
    EXPECT_EQ(r.frameTimes, at); // the seventh frame ends the loop before a poll sees it
}

} // namespace
