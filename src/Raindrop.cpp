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

uint32_t Raindrop::lifetime() const
{
    // A segment whose channels are all below one step goes at its first fade.
    return static_cast<uint32_t>(
        std::max({fadingSteps(color.red), fadingSteps(color.green), fadingSteps(color.blue), int32_t{1}}));
}

Raindrop::RainTail Raindrop::segmentAt(std::size_t i) const
{
    const Segment& s = segments[i];
    return RainTail{Vector2D(static_cast<int>(s.x), static_cast<int>(s.y)), fadedColor(color, fades - s.laid)};
}

void Raindrop::move()
{
    weakenTail();
    addTail();
    position += velocity;
}

void Raindrop::addTail()
{
    const int x = pixelX(position), y = pixelY(position);
    if (!segments.empty()) {
        if (x == segments.front().x && y == segments.front().y)
            return;
        // Taken as an unsigned count: a negative length never cuts, and a
        // length of 0 still leaves the one new segment.
        if (segments.size() >= static_cast<std::size_t>(tailLength))
            segments.pop_back();
    }
    segments.insert(segments.begin(), Segment{static_cast<uint16_t>(x), static_cast<uint16_t>(y), fades});
}

void Raindrop::weakenTail()
{
    ++fades;
    // Older segments are at least as old, so the ones that have faded out
    // are the oldest ones, at the back.
    const uint32_t life = lifetime();
    while (!segments.empty() && fades - segments.back().laid >= life)
        segments.pop_back();
}

const uint32_t* Raindrop::Shades::of(const Surface::Color& c)
{
    if (!filled || c.red != color.red || c.green != color.green || c.blue != color.blue) {
        filled = true;
        color = c;
        for (uint32_t age = 0; age < AGES; ++age)
            rgb[age] = Surface::packRgb(fadedColor(c, age));
    }
    return rgb;
}

void Raindrop::draw()
{
    Shades shades;
    draw(shades);
}

void Raindrop::draw(Shades& shades)
{
    const uint32_t* byAge = shades.of(color);
    // One call a drop rather than a call a pixel; a long tail goes in parts
    // of fixed size, so that drawing allocates nothing.
    constexpr int PART = 16;
    Surface::Point at[PART];
    uint32_t rgb[PART];
    int n = 0;
    for (const Segment& s : segments) {
        const uint32_t age = fades - s.laid;
        at[n] = Surface::Point{s.x, s.y};
        rgb[n] = age < Shades::AGES ? byAge[age] : Surface::packRgb(fadedColor(color, age));
        if (++n == PART) {
            surface.putPixels(at, rgb, n);
            n = 0;
        }
    }
    at[n] = Surface::Point{pixelX(position), pixelY(position)};
    rgb[n] = Surface::packRgb(color);
    surface.putPixels(at, rgb, n + 1);
}
