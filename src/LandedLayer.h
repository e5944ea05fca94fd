// SPDX-License-Identifier: MIT
#ifndef NIMBREL_LANDEDLAYER_H
#define NIMBREL_LANDEDLAYER_H

#include "Raindrop.h"
#include "Surface.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The picture of every drop that has landed. Landed drops never move and
// never change, and where they overlap the oldest is drawn last and wins, so
// a pixel's colour is fixed the first time a landed drop covers it. Keeping
// that one colour per pixel bounds memory and drawing by the picture's size,
// however many drops land.
class LandedLayer {
public:
    LandedLayer(int width, int height);

    // Adds a drop that has just landed, beneath every drop that landed before.
    void add(const Raindrop& drop);
    using Pixel = Surface::Point;

    // Draws every covered pixel, one call per run of neighbouring pixels.
    void draw(Surface& surface);
    // Draws only the pixels covered since the last draw or drawFresh.
    void drawFresh(Surface& surface);
    // What the layer alone shows at p, inside the picture: its landed
    // colour, or black where no drop landed. Above a column's heap that is
    // known without reading the layer, which a large picture keeps far out
    // of the cache.
    uint32_t rgbAt(const Pixel& p) const
    {
        return p.y < top[static_cast<size_t>(p.x)] ? 0 : rgb[static_cast<size_t>(p.y) * width + p.x];
    }
    // Whether a landed drop covers p, inside the picture.
    bool covers(const Pixel& p) const
    {
        return p.y >= top[static_cast<size_t>(p.x)] && isCovered[static_cast<size_t>(p.y) * width + p.x];
    }

    int64_t coveredPixels() const { return covered; }

private:
    struct Run {
        int begin;
        int end; // exclusive
    };

    void cover(int x, int y, const Surface::Color& color);
    // Draws the layer's own colour of one pixel, black where uncovered.
    void show(Surface& surface, const Pixel& p);

    int width;
    int height;
    std::vector<uint32_t> rgb;         // 0x00RRGGBB, row by row
    std::vector<uint8_t> isCovered;
    std::vector<std::vector<Run>> runs; // per row, sorted and apart
    std::vector<Pixel> fresh;           // covered since the last drawing
    std::vector<int> top;               // per column, the highest covered row; height if none
    int64_t covered = 0;
};

#endif
