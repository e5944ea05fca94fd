// SPDX-License-Identifier: MIT
#include "FrameDrawing.h"

#include <algorithm>

FrameDrawing::FrameDrawing(Surface& surface, const LandedLayer& landed, int width, int height)
    : surface(surface), landed(landed), width(width), height(height),
      drawnNow((static_cast<size_t>(width) * height + 63) / 64, 0)
{
}

void FrameDrawing::begin()
{
    // A kept picture still shows the last step's falling drops: draw only
    // what changes. When they cover much of the picture, clearing it and
    // drawing it whole is cheaper.
    const bool kept = surface.keepsPicture();
    drawWhole = !kept || shownPixels > static_cast<size_t>(width) * height / 8;
    if (kept && drawWhole)
        surface.clear();
    surface.lock();
    giveBack = !drawWhole && dropsShown;
    // Only the words the last step set: on a large picture at the defaults
    // they are a few of a million.
    for (const size_t word : drawnWords)
        drawnNow[word] = 0;
    drawnWords.clear();
    shownPixels = 0;
    words = drawWhole ? surface.rgbWords(stride, scale) : nullptr;
}

void FrameDrawing::drawElsewhere(const FallingDrops& drops, size_t i, Raindrop::Shades& shades)
{
    // Copies of the picture's place, which a store through a word could
    // otherwise change as far as the compiler knows.
    uint32_t* const to = words;
    const ptrdiff_t across = stride;
    const int side = scale;
    // A square is rows of words, not pixels each through the choice of
    // format; at 2, the scale of a large screen, two of two.
    if (to && side == 2) {
        drops.paint(i, shades, [to, across](int x, int y, uint32_t rgb) {
            uint32_t* row = to + 2 * (y * across + x);
            row[0] = row[1] = row[across] = row[across + 1] = rgb;
        });
    } else if (to) {
        drops.paint(i, shades, [to, across, side](int x, int y, uint32_t rgb) {
            uint32_t* row = to + side * (y * across + x);
            for (int i = 0; i < side; ++i, row += across)
                std::fill_n(row, side, rgb);
        });
    } else {
        Raindrop::paintInParts([&](auto&& put) { drops.paint(i, shades, put); },
                               [this](Surface::Point* at, uint32_t* rgb, int n) {
                                   if (drawWhole)
                                       surface.putPixels(at, rgb, n);
                                   else
                                       drawKept(at, rgb, n);
                               });
    }
    shownPixels += drops.pixelCount(i);
    if (giveBack)
        giveBackLeft();
}

void FrameDrawing::giveBackAll(const FallingDrops& drops, size_t i)
{
    // A drop not drawn in this step leaves every pixel it was drawn on, and
    // maybe its head's new one, which the layer's colour leaves as it was.
    drops.eachPixel(i, [this](const Surface::Point& p) { noteLeft(p); });
    giveBackLeft();
}

void FrameDrawing::drawKept(Surface::Point* at, uint32_t* rgb, int n)
{
    // A landed drop covers a falling one, which the whole picture draws
    // first: the covered pixel keeps its landed colour.
    for (int i = 0; i < n; ++i) {
        const size_t bit = static_cast<size_t>(at[i].y) * static_cast<size_t>(width) + at[i].x;
        uint64_t& word = drawnNow[bit >> 6];
        if (word == 0)
            drawnWords.push_back(bit >> 6);
        word |= uint64_t{1} << (bit & 63);
        if (landed.covers(at[i]))
            rgb[i] = landed.rgbAt(at[i]);
    }
    surface.putPixels(at, rgb, n);
}

void FrameDrawing::noteLeft(const Surface::Point& p)
{
    if (leftCount == LEFT_ROOM)
        giveBackLeft(); // early is right too, only maybe drawn twice
    left[leftCount++] = p;
}

void FrameDrawing::giveBackLeft()
{
    for (int i = 0; i < leftCount; ++i) {
        const Surface::Point& p = left[i];
        if (p.x < 0 || p.y < 0 || p.x >= width || p.y >= height)
            continue;
        const size_t bit = static_cast<size_t>(p.y) * static_cast<size_t>(width) + p.x;
        // Drawn in this step already, by this drop or one before it.
        if (drawnNow[bit >> 6] >> (bit & 63) & 1)
            continue;
        const uint32_t rgb = landed.rgbAt(p);
        surface.putPixelRow(p.x, p.y, &rgb, 1);
    }
    leftCount = 0;
}

void FrameDrawing::tell(const FallingDrops& drops, size_t i)
{
    // On a kept picture a drop draws where it drew in the last step, and
    // one pixel on. A hint: the pixels of a tail longer than the room are
    // not told.
    constexpr int ROOM = 32;
    Surface::Point at[ROOM];
    int n = 0;
    drops.eachPixel(i, [&](const Surface::Point& p) {
        if (n < ROOM)
            at[n++] = p;
    });
    surface.willDraw(at, n);
}
