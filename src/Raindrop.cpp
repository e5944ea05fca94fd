// SPDX-License-Identifier: MIT
#include "Raindrop.h"

#include <cstddef>
#include <utility>

namespace {

bool samePixel(const Vector2D& a, const Vector2D& b)
{
    return pixelX(a) == pixelX(b) && pixelY(a) == pixelY(b);
}

} // namespace

Raindrop::Raindrop(const Vector2D& position, const Vector2D& velocity, Surface::Color color,
                   int tailLength, Surface& surface)
    : position(position), velocity(velocity), color(color), tailLength(tailLength),
      surface(surface)
{
}

Raindrop::Raindrop(const Raindrop& other) = default;
Raindrop::Raindrop(Raindrop&& other) noexcept = default;

Raindrop& Raindrop::operator=(const Raindrop& other)
{
    if (this != &other) {
        position = other.position;
        velocity = other.velocity;
        color = other.color;
        tail = other.tail;
    }
    return *this;
}

Raindrop& Raindrop::operator=(Raindrop&& other) noexcept
{
    // Takes the tail's storage instead of copying it.
    position = other.position;
    velocity = other.velocity;
    color = other.color;
    tail = std::move(other.tail);
    return *this;
}

void Raindrop::move()
{
    weakenTail();
    addTail();
    position += velocity;
}

void Raindrop::addTail()
{
    if (!tail.empty()) {
        if (samePixel(position, tail.front().position))
            return;
        // Taken as an unsigned count: a negative length never cuts, and a
        // length of 0 still leaves the one new segment.
        if (tail.size() >= static_cast<std::size_t>(tailLength))
            tail.pop_back();
    }
    tail.insert(tail.begin(), RainTail{position, color});
}

void Raindrop::weakenTail()
{
    const int REDUCE_STEP = 15;
    for (RainTail *it = tail.begin(), *end = tail.end(); it != end; ++it) {
        // A channel below one step keeps its value, so channels never go
        // negative. Written without branches: which channels fade is random.
        Surface::Color& c = it->color;
        c.red -= c.red >= REDUCE_STEP ? REDUCE_STEP : 0;
        c.green -= c.green >= REDUCE_STEP ? REDUCE_STEP : 0;
        c.blue -= c.blue >= REDUCE_STEP ? REDUCE_STEP : 0;
        // Older segments have faded at least as far, so they all go too.
        if ((c.red < REDUCE_STEP) & (c.green < REDUCE_STEP) & (c.blue < REDUCE_STEP)) {
            tail.erase(it, end);
            return;
        }
    }
}

void Raindrop::draw()
{
    for (const RainTail& segment : tail)
        surface.putPixel(pixelX(segment.position), pixelY(segment.position), segment.color);
    surface.putPixel(pixelX(position), pixelY(position), color);
}
