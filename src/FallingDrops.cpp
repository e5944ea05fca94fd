// SPDX-License-Identifier: MIT
#include "FallingDrops.h"

#include <algorithm>
#include <cstring>

namespace {

// A tail cuts its oldest segment before laying one past tailLength, taken
// as an unsigned count: 0 keeps the one new segment, a negative length
// never cuts. Fading bounds it anyway.
uint32_t segmentsFor(int tailLength)
{
    return std::min(std::max(static_cast<uint32_t>(tailLength), 1u), FallingDrops::MAX_SEGMENTS);
}

uint32_t slotsFor(uint32_t segments)
{
    uint32_t slots = 1;
    while (slots < segments)
        slots *= 2;
    return slots;
}

} // namespace

FallingDrops::FallingDrops(int tailLength)
    : maxSegments(segmentsFor(tailLength)), slotMask(slotsFor(segmentsFor(tailLength)) - 1)
{
}

void FallingDrops::add(const Vector2D& position, const Vector2D& velocity, uint32_t rgb)
{
    motion.push_back(Motion{position, velocity, rgb, 0});
    keepRings(motion.size());
    gone.push_back(0);
}

Raindrop FallingDrops::record(size_t i, int tailLength, Surface& surface) const
{
    Raindrop drop(position(i), velocity(i), Surface::unpackRgb(rgb(i)), tailLength, surface);
    // Its fades count from 0: a segment of age a was laid at -a, modulo 2^32.
    eachSegment(i, [&](uint32_t pixel, uint32_t age) {
        drop.segments.insert(drop.segments.end(),
                             Raindrop::Segment{uint16_t(pixel & 0xFFFF), uint16_t(pixel >> 16), 0u - age});
    });
    return drop;
}

void FallingDrops::closeGaps()
{
    const size_t slots = slotMask + 1;
    size_t kept = 0;
    for (size_t i = 0; i < size(); ++i) {
        if (gone[i])
            continue;
        if (kept != i) {
            motion[kept] = motion[i];
            std::memcpy(ring(kept), ring(i), slots * sizeof(uint32_t));
        }
        ++kept;
    }
    motion.erase(motion.begin() + static_cast<std::ptrdiff_t>(kept), motion.end());
    keepRings(kept);
    gone.assign(kept, 0);
    gaps = 0;
}
