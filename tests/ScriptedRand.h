// SPDX-License-Identifier: MIT
#ifndef NIMBREL_TESTS_SCRIPTEDRAND_H
#define NIMBREL_TESTS_SCRIPTEDRAND_H

#include <initializer_list>

// The test binary's own rand() and srand(): rand() hands out queued values
// first, then values of a small generator of its own, so that tests can
// place drops exactly and replay a run.
namespace ScriptedRand {

void queue(std::initializer_list<int> values);
void clearQueue();
long calls();       // rand() calls so far
long srandCalls();  // srand() calls so far
// Several independent streams, so two simulations can draw the same sequence.
void useStream(int stream);
void seedStream(int stream, unsigned seed);

} // namespace ScriptedRand

#endif
