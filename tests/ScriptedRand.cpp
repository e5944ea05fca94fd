// SPDX-License-Identifier: MIT
#include "ScriptedRand.h"

#include <cstdlib>
#include <deque>

namespace {

std::deque<int> queued;
long randCalls = 0;
long seeds = 0;
unsigned state[4] = {1, 1, 1, 1};
int current = 0;

int next()
{
    // A 31-bit linear congruential generator: non-negative, like rand().
    state[current] = state[current] * 1103515245u + 12345u;
    return static_cast<int>((state[current] >> 1) & 0x7FFFFFFF);
}

} // namespace

extern "C" int rand() noexcept
{
    ++randCalls;
    if (!queued.empty()) {
        const int value = queued.front();
        queued.pop_front();
        return value;
    }
    return next();
}

extern "C" void srand(unsigned seed) noexcept
{
    ++seeds;
    (void)seed; // the tests pick their sequences themselves
}

namespace ScriptedRand {

void queue(std::initializer_list<int> values)
{
    queued.insert(queued.end(), values.begin(), values.end());
}

void clearQueue() { queued.clear(); }
long calls() { return randCalls; }
long srandCalls() { return seeds; }
void useStream(int stream) { current = stream; }
void seedStream(int stream, unsigned seed) { state[stream] = seed; }

} // namespace ScriptedRand
