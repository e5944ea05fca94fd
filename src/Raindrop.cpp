// SPDX-License-Identifier: MIT
#include "Raindrop.h"

#include <algorithm>
#include <cstddef>
#include <utility>

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
        fades = other.fades;
        segments = other.segments;
    }
    return *this;
}

Raindrop& Raindrop::operator=(Raindrop&& other) noexcept
{
    // Takes the tail's storage instead of copying it.
    position = other.position;
    velocity = other.velocity;
    color = other.color;
    fades = other.fades;
    segments = std::move(other.segments);
    return *this;
}

uint32_t Raindrop::lifetimeOf(const Surface::Color& c)
{
    // A segment whose channels are all below one step goes at its first fade.
    return static_cast<uint32_t>(
        std::max({fadingSteps(c.red), fadingSteps(c.green), fadingSteps(c.blue), int32_t{1}}));
}

Raindrop::RainTail Raindrop::segmentAt(std::size_t i) const
{
    const Segment& s = segments[i];
    return RainTail{Vector2D(static_cast<int>(s.x), static_cast<int>(s.y)), fadedColor(color, fades - s.laid)};
}

void Raindrop::Shades::take(const Surface::Color& c)
{
    color = c;
    head = Surface::packRgb(c);
    life = lifetimeOf(c);
    filled = false;
}

void Raindrop::Shades::takeRgb(uint32_t rgb)
{
    take(Surface::unpackRgb(rgb));
}

void Raindrop::Shades::fill()
{
    for (uint32_t age = 0; age < AGES; ++age)
        table[age] = Surface::packRgb(fadedColor(color, age));
    filled = true;
}

void Raindrop::draw() const
{
    Shades shades;
    draw(shades);
}

void Raindrop::draw(Shades& shades) const
{
    // One call a drop rather than a call a pixel.
    paintParts(shades, [this](const Surface::Point* at, const uint32_t* rgb, int n) { surface.putPixels(at, rgb, n); });
}
