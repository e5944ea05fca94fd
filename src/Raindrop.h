// SPDX-License-Identifier: MIT
#ifndef NIMBREL_RAINDROP_H
#define NIMBREL_RAINDROP_H

#include "InlineVector.h"
#include "Surface.h"
#include "Vector2D.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

// The pixel of a position: each coordinate truncated toward zero. Drawing,
// the border test and the landing grid all use this one rule.
inline int pixelX(const Vector2D& v) { return static_cast<int>(v.x); }
inline int pixelY(const Vector2D& v) { return static_cast<int>(v.y); }

// One falling drop: a head that moves by a constant velocity each step and a
// tail of the pixels it passed through, each fading until it is cut off.
//
// Every segment starts in the drop's colour and fades the same way, so a
// segment keeps only its pixel and the step it was laid in; its colour
// follows from its age. That keeps a drop small, and a step writes nothing
// to the segments it fades.
class Raindrop {
public:
    // A segment as the rest of the program sees it.
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
    void move() { move(ignore); }
    void addTail() { addTail(ignore); }
    void weakenTail() { weakenTail(ignore); }
    // The same, telling left of each pixel the drop may have stopped
    // covering: the head's pixel before the step, and every segment cut off.
    // A kept picture gives only those back, not the whole drop.
    template <class Left>
    void move(Left&& left)
    {
        move(lifetime(), left);
    }
    // The same for a drop whose segments last life fades, as its colour's
    // Shades know: the simulation moves a batch's drops without working that
    // out again for each of them.
    template <class Left>
    void move(uint32_t life, Left&& left)
    {
        left(Surface::Point{pixelX(position), pixelY(position)});
        weakenTail(life, left);
        addTail(left);
        position += velocity;
    }
    template <class Left>
    void addTail(Left&& left)
    {
        const int x = pixelX(position), y = pixelY(position);
        if (!segments.empty()) {
            if (x == segments.front().x && y == segments.front().y)
                return;
            // Taken as an unsigned count: a negative length never cuts, and a
            // length of 0 still leaves the one new segment.
            if (segments.size() >= static_cast<std::size_t>(tailLength))
                cut(left);
        }
        segments.insert(segments.begin(), Segment{static_cast<uint16_t>(x), static_cast<uint16_t>(y), fades});
    }
    template <class Left>
    void weakenTail(Left&& left)
    {
        weakenTail(lifetime(), left);
    }
    template <class Left>
    void weakenTail(uint32_t life, Left&& left)
    {
        ++fades;
        // Older segments are at least as old, so the ones that have faded out
        // are the oldest ones, at the back.
        while (!segments.empty() && fades - segments.back().laid >= life)
            cut(left);
    }
    // What the drops of one colour share, for the last colour asked: the
    // packed colours (0x00RRGGBB) of segments by age, the head's, and how
    // many fades a segment lasts. The drops of a batch share one colour and
    // lie side by side, so this is worked out once for some hundred drops,
    // not for every drop in every step.
    class Shades {
    public:
        static constexpr uint32_t AGES = 32;
        Shades() { take(Surface::Color{0, 0, 0}); }
        // Itself, made for c. Asked for every drop twice a step: the colour
        // is compared as its bytes, two loads, not channel by channel.
        Shades& of(const Surface::Color& c)
        {
            if (std::memcmp(&c, &color, sizeof c) != 0)
                take(c);
            return *this;
        }
        // The same for a colour packed as 0x00RRGGBB, whose channels a
        // packed colour holds exactly.
        Shades& ofRgb(uint32_t rgb)
        {
            if (rgb != head)
                takeRgb(rgb);
            return *this;
        }
        uint32_t head;
        uint32_t life;
        // The colours by age, made when first drawn: hidden drops need none.
        const uint32_t* rgb()
        {
            if (!filled)
                fill();
            return table;
        }

    private:
        Surface::Color color;
        bool filled;
        uint32_t table[AGES];
        void take(const Surface::Color& c);
        void takeRgb(uint32_t rgb);
        void fill();
    };

    // The tail from newest to oldest, then the head on top.
    void draw() const;
    void draw(Shades& shades) const;
    // What draw() puts on the surface, one pixel at a time, in the same
    // order: put(x, y, rgb) with the colour as 0x00RRGGBB.
    template <class Put>
    void paint(Shades& shades, Put&& put) const
    {
        Shades& look = shades.of(color);
        const uint32_t* byAge = look.rgb();
        for (const Segment& s : segments) {
            const uint32_t age = fades - s.laid;
            put(s.x, s.y, age < Shades::AGES ? byAge[age] : Surface::packRgb(fadedColor(color, age)));
        }
        put(pixelX(position), pixelY(position), look.head);
    }
    // The pixels draw() paints, in the same order, without their colours.
    template <class Visit>
    void eachPixel(Visit&& visit) const
    {
        for (const Segment& s : segments)
            visit(Surface::Point{s.x, s.y});
        visit(Surface::Point{pixelX(position), pixelY(position)});
    }
    // The same, handed to sink(at, rgb, count) a part at a time.
    template <class Sink>
    void paintParts(Shades& shades, Sink&& sink) const
    {
        paintInParts([&](auto&& put) { paint(shades, put); }, sink);
    }
    // What paint(put) puts, handed to sink(at, rgb, count) in parts of fixed
    // size, so that drawing a long tail allocates nothing.
    template <class Paint, class Sink>
    static void paintInParts(Paint&& paint, Sink&& sink)
    {
        constexpr int PART = 16;
        Surface::Point at[PART];
        uint32_t rgb[PART];
        int n = 0;
        paint([&](int x, int y, uint32_t value) {
            if (n == PART) {
                sink(at, rgb, n);
                n = 0;
            }
            at[n] = Surface::Point{x, y};
            rgb[n++] = value;
        });
        sink(at, rgb, n);
    }

    // The colour of a segment that has faded the given number of times:
    // each channel of 15 or more loses 15 a fade, a lower one stays.
    static Surface::Color fadedColor(const Surface::Color& color, uint32_t fades)
    {
        return Surface::Color{fadedChannel(color.red, fades), fadedChannel(color.green, fades),
                              fadedChannel(color.blue, fades)};
    }

    // The tail, newest first, read as segments with their colours.
    class Tail {
    public:
        class Iterator {
        public:
            Iterator(const Raindrop& drop, std::size_t i) : drop(&drop), i(i) {}
            RainTail operator*() const { return drop->segmentAt(i); }
            Iterator& operator++()
            {
                ++i;
                return *this;
            }
            bool operator==(const Iterator& other) const { return i == other.i; }
            bool operator!=(const Iterator& other) const { return i != other.i; }

        private:
            const Raindrop* drop;
            std::size_t i;
        };

        explicit Tail(const Raindrop& drop) : drop(drop) {}
        std::size_t size() const { return drop.segments.size(); }
        bool empty() const { return drop.segments.empty(); }
        RainTail operator[](std::size_t i) const { return drop.segmentAt(i); }
        RainTail front() const { return drop.segmentAt(0); }
        RainTail back() const { return drop.segmentAt(size() - 1); }
        Iterator begin() const { return Iterator(drop, 0); }
        Iterator end() const { return Iterator(drop, size()); }

    private:
        const Raindrop& drop;
    };
    Tail tail() const { return Tail(*this); }

    Vector2D position;
    Vector2D velocity;
    // The colour of the head and of each new segment. Segments take their
    // colour from it as they are read or drawn: set it before the first move.
    Surface::Color color;
    int tailLength;
    Surface& surface;

private:
    friend class FallingDrops; // makes records of its drops
    static constexpr int32_t REDUCE_STEP = 15;
    // How many fades a channel goes on losing a step: none below one step,
    // so channels never go negative. Without branches: which channels fade
    // is random.
    static int32_t fadingSteps(int32_t channel) { return std::max(channel / REDUCE_STEP, int32_t{0}); }
    static int32_t fadedChannel(int32_t channel, uint32_t fades)
    {
        const uint32_t steps = static_cast<uint32_t>(fadingSteps(channel));
        return channel - REDUCE_STEP * static_cast<int32_t>(std::min(fades, steps));
    }

    // A pixel of the tail. Tails lie inside the picture, whose sides are at
    // most 65535 pixels.
    struct Segment {
        uint16_t x;
        uint16_t y;
        uint32_t laid; // the value of fades when it was laid
    };

    RainTail segmentAt(std::size_t i) const;
    static void ignore(const Surface::Point&) {}
    template <class Left>
    void cut(Left&& left)
    {
        left(Surface::Point{segments.back().x, segments.back().y});
        segments.pop_back();
    }
    // How many fades a segment lasts: until every channel is below 15.
    uint32_t lifetime() const { return lifetimeOf(color); }
    static uint32_t lifetimeOf(const Surface::Color& c);

    uint32_t fades = 0; // of this drop's tail so far; wraps harmlessly
    // Newest at the front. Room inside the drop for a tail of the default
    // length; a longer one moves to the heap.
    static constexpr std::size_t TAIL_ROOM = 10;
    InlineVector<Segment, TAIL_ROOM> segments;
};

#endif
