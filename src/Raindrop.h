// SPDX-License-Identifier: MIT
#ifndef NIMBREL_RAINDROP_H
#define NIMBREL_RAINDROP_H

#include "InlineVector.h"
#include "Surface.h"
#include "Vector2D.h"

#include <cstddef>

// The pixel of a position: each coordinate truncated toward zero. Drawing,
// the border test and the landing grid all use this one rule.
inline int pixelX(const Vector2D& v) { return static_cast<int>(v.x); }
inline int pixelY(const Vector2D& v) { return static_cast<int>(v.y); }

// One falling drop: a head that moves by a constant velocity each step and a
// tail of the pixels it passed through, each fading until it is cut off.
class Raindrop {
public:
    struct RainTail {
        Vector2D position;
        Surface::Color color;
    };

    Raindrop(const Vector2D& position, const Vector2D& velocity, Surface::Color color,
             int tailLength, Surface& surface);
    Raindrop(const Raindrop& other);
    Raindrop(Raindrop&& other) noexcept;
    // Both keep this drop's own surface and tail length.
    Raindrop& operator=(const Raindrop& other);
    Raindrop& operator=(Raindrop&& other) noexcept;

    // One step: fade the tail, lay a segment if the head reached a new pixel,
    // then advance the head.
    void move();
    void addTail();
    void weakenTail();
    // The tail from newest to oldest, then the head on top.
    void draw();

    Vector2D position;
    Vector2D velocity;
    Surface::Color color;
    int tailLength;
    Surface& surface;
    // Newest at the front. Room inside the drop for a tail of the default
    // length, so that a drop is four cache lines; a longer one moves to the
    // heap.
    static constexpr std::size_t TAIL_ROOM = 10;
    InlineVector<RainTail, TAIL_ROOM> tail;
};

#endif
