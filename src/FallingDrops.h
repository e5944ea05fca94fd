// SPDX-License-Identifier: MIT
#ifndef NIMBREL_FALLINGDROPS_H
#define NIMBREL_FALLINGDROPS_H

#include "Raindrop.h"
#include "Surface.h"
#include "Vector2D.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The simulation's falling drops, kept as two columns of plain arrays
// instead of one Raindrop each. Every step visits every drop: here a drop is
// its motion (24 bytes, with a word that says where its tail stands) and a
// ring of its tail's pixels (one cache line at the default tail), read in two
// streams, where a Raindrop takes 144 bytes. The rules are Raindrop's, step
// for step; record() gives a drop back as a Raindrop for those who read it.
//
// A tail here never needs more than MAX_SEGMENTS pixels: a segment lasts at
// most the fades of a channel of 255, and a step lays at most one.
class FallingDrops {
public:
    static constexpr unsigned MAX_SEGMENTS = 17;

    explicit FallingDrops(int tailLength);

    // Slots, removed drops included until the gaps are closed.
    size_t size() const { return motion.size(); }
    void add(const Vector2D& position, const Vector2D& velocity, uint32_t rgb);

    const Vector2D& position(size_t i) const { return motion[i].position; }
    const Vector2D& velocity(size_t i) const { return motion[i].velocity; }
    uint32_t rgb(size_t i) const { return motion[i].rgb; }

    // Raindrop::move for drop i, whose segments last life fades.
    template <class Left>
    void move(size_t i, uint32_t life, Left&& left)
    {
        Motion& m = motion[i];
        const int x = pixelX(m.position), y = pixelY(m.position);
        left(Surface::Point{x, y});
        uint32_t* pixels = ring(i);
        // One fade: every segment a step older. A drop's segments all last
        // the same, so at most the one laid life fades ago goes: none older
        // outlived the last step. Which drops lay and cut is random, so the
        // tail changes without branches, which would be mispredicted.
        Tail tail = unpacked(m.tail);
        tail.ages <<= 1;
        const uint32_t faded = (tail.ages >> life) & 1;
        if (faded)
            left(oldest(pixels, tail));
        tail.ages &= ~(faded << life);
        tail.count -= faded;
        // Lay a segment where the head reached a new pixel, cutting the
        // oldest one first when the tail is full.
        const uint32_t here = pack(x, y);
        const uint32_t lay = (tail.ages == 0) | (pixels[tail.newest] != here);
        const uint32_t full = lay & (tail.count >= maxSegments);
        if (full)
            left(oldest(pixels, tail));
        tail.ages &= ~(full << (31 - __builtin_clz(tail.ages | 1)));
        tail.count += lay - full;
        tail.newest = (tail.newest - lay) & slotMask;
        pixels[tail.newest] = here; // where nothing is laid, it is there already
        tail.ages |= lay;
        m.tail = tail.ages | tail.count << COUNT_SHIFT | tail.newest << NEWEST_SHIFT;
        m.position += m.velocity;
    }

    // Raindrop::paint: the tail newest first in its colours by age, then
    // the head.
    template <class Put>
    void paint(size_t i, Raindrop::Shades& shades, Put&& put) const
    {
        Raindrop::Shades& look = shades.ofRgb(motion[i].rgb);
        const uint32_t* byAge = look.rgb();
        eachSegment(i, [&](uint32_t pixel, uint32_t age) { put(int(pixel & 0xFFFF), int(pixel >> 16), byAge[age]); });
        put(pixelX(motion[i].position), pixelY(motion[i].position), look.head);
    }
    // The same into a picture of 32-bit words, stride words a row, for
    // heavy rain. The loop runs over the whole ring, storing a slot beyond
    // the tail into a spare word, so that no branch waits on the tail's
    // length, which differs from drop to drop.
    void paintWords(size_t i, Raindrop::Shades& shades, uint32_t* to, ptrdiff_t stride) const
    {
        Raindrop::Shades& look = shades.ofRgb(motion[i].rgb);
        const uint32_t* byAge = look.rgb();
        // Copies, which no store into the picture can change.
        const uint32_t head = look.head, mask = slotMask, most = maxSegments;
        const uint32_t* pixels = ring(i);
        const Tail tail = unpacked(motion[i].tail);
        uint32_t ages = tail.ages;
        uint32_t spare[1];
        const uintptr_t spareAt = reinterpret_cast<uintptr_t>(spare), first = reinterpret_cast<uintptr_t>(to);
        for (uint32_t k = 0; k < most; ++k) {
            // As a number: a slot past the tail may hold any pixel.
            const uint32_t pixel = pixels[(tail.newest + k) & mask];
            const uintptr_t at = first + sizeof(uint32_t) * (uintptr_t(pixel >> 16) * uintptr_t(stride) + (pixel & 0xFFFF));
            const uintptr_t inTail = uintptr_t{0} - uintptr_t{k < tail.count};
            // A slot past the tail reads age 31.
            *reinterpret_cast<uint32_t*>((at & inTail) | (spareAt & ~inTail)) = byAge[__builtin_ctz(ages | 1u << 31)];
            ages &= ages - 1;
        }
        to[ptrdiff_t(pixelY(motion[i].position)) * stride + pixelX(motion[i].position)] = head;
    }
    // Raindrop::eachPixel: the pixels paint draws, in its order.
    template <class Visit>
    void eachPixel(size_t i, Visit&& visit) const
    {
        eachSegment(i, [&](uint32_t pixel, uint32_t) { visit(Surface::Point{int(pixel & 0xFFFF), int(pixel >> 16)}); });
        visit(Surface::Point{pixelX(motion[i].position), pixelY(motion[i].position)});
    }
    // How many pixels paint draws.
    size_t pixelCount(size_t i) const { return unpacked(motion[i].tail).count + 1; }

    // Starts fetching drop i, which the step reaches soon.
    void fetch(size_t i) const
    {
        __builtin_prefetch(&motion[i]);
        __builtin_prefetch(ring(i));
    }
    // Drop i as a Raindrop of the given tail length on surface.
    Raindrop record(size_t i, int tailLength, Surface& surface) const;

    // A removed drop keeps its slot, marked gone, until the gaps are closed:
    // closing a gap moves every drop behind it.
    size_t nextLive(size_t i) const
    {
        while (i < gone.size() && gone[i])
            ++i;
        return i;
    }
    // Marks drop i gone; returns the next live one.
    size_t remove(size_t i)
    {
        gone[i] = 1;
        ++gaps;
        return nextLive(i + 1);
    }
    // Closes the gaps once there are many: with a few removals in every
    // step, closing each at once would move all drops every step.
    void closeGapsIfMany()
    {
        if (gaps > size() / 16)
            closeGaps();
    }
    void closeGaps();

private:
    // Where a drop's tail stands, in one word: bit k set for a segment laid
    // k fades ago, then how many segments there are (the bits set, which
    // x86-64 has no instruction for everywhere), then the ring slot of the
    // newest.
    static constexpr uint32_t AGE_BITS = (1u << 20) - 1;
    static constexpr unsigned COUNT_SHIFT = 20;
    static constexpr unsigned NEWEST_SHIFT = 26;
    struct Tail {
        uint32_t ages;
        uint32_t count;
        uint32_t newest;
    };
    static Tail unpacked(uint32_t word)
    {
        return Tail{word & AGE_BITS, (word >> COUNT_SHIFT) & 63, word >> NEWEST_SHIFT};
    }
    struct Motion {
        Vector2D position;
        Vector2D velocity;
        uint32_t rgb;  // 0x00RRGGBB
        uint32_t tail; // where its tail stands
    };

    const uint32_t maxSegments;
    // A ring's slots: a power of two, so that a slot wraps with a mask.
    const uint32_t slotMask;
    std::vector<Motion> motion;
    // Each drop's ring of slotMask + 1 pixels, x in the low half of a word
    // and y in the high one; in cache lines, so that no ring of up to 16
    // straddles two.
    struct alignas(64) Line {
        uint32_t words[16];
    };
    std::vector<Line> rings;
    std::vector<uint8_t> gone;
    size_t gaps = 0;

    uint32_t* ring(size_t i) { return rings.data()->words + i * (slotMask + 1); }
    const uint32_t* ring(size_t i) const { return rings.data()->words + i * (slotMask + 1); }
    void keepRings(size_t drops) { rings.resize((drops * (slotMask + 1) + 15) / 16); }
    static uint32_t pack(int x, int y) { return uint32_t(uint16_t(x)) | uint32_t(uint16_t(y)) << 16; }
    // The pixel of the oldest segment.
    Surface::Point oldest(const uint32_t* pixels, const Tail& tail) const
    {
        const uint32_t pixel = pixels[(tail.newest + tail.count - 1) & slotMask];
        return Surface::Point{int(pixel & 0xFFFF), int(pixel >> 16)};
    }
    // Visits each segment's packed pixel and age, newest first.
    template <class Visit>
    void eachSegment(size_t i, Visit&& visit) const
    {
        const uint32_t* pixels = ring(i);
        const Tail tail = unpacked(motion[i].tail);
        const uint32_t mask = slotMask;
        uint32_t ages = tail.ages;
        for (uint32_t k = 0; k < tail.count; ++k, ages &= ages - 1)
            visit(pixels[(tail.newest + k) & mask], static_cast<uint32_t>(__builtin_ctz(ages)));
    }
};

#endif
