// SPDX-License-Identifier: MIT
#ifndef NIMBREL_FRAMEDRAWING_H
#define NIMBREL_FRAMEDRAWING_H

#include "FallingDrops.h"
#include "LandedLayer.h"
#include "Raindrop.h"
#include "Surface.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// How a step's falling drops reach the picture, so that a frame costs what
// it changes. The rain's rules say what is drawn and in which order; this
// says how it is stored:
// - on a kept picture, each drop is drawn over what the last step left, and
//   only the pixels a drop has left go back to the landed layer (a bitmap of
//   the pixels drawn in this step keeps a later give-back from covering an
//   earlier drop); most of a tail is where it was, only fainter;
// - where the drops cover much of the picture, it is cleared and drawn
//   whole, and where the surface offers its words, a drop's pixels (squares
//   at a scale) are stored straight, without a call a drop.
class FrameDrawing {
public:
    FrameDrawing(Surface& surface, const LandedLayer& landed, int width, int height);

    // Starts a step: clears the picture if it is to be drawn whole, locks it.
    void begin();
    // Whether the picture is drawn whole in this step.
    bool whole() const { return drawWhole; }
    // Moves drop i by its rules (Raindrop::move), noting what it leaves.
    void move(FallingDrops& drops, size_t i, uint32_t life)
    {
        if (giveBack)
            drops.move(i, life, [this](const Surface::Point& p) { noteLeft(p); });
        else
            drops.move(i, life, [](const Surface::Point&) {});
    }
    // Draws falling drop i, tail newest first, then its head.
    void draw(const FallingDrops& drops, size_t i, Raindrop::Shades& shades)
    {
        // Heavy rain at scale 1, some hundred thousand drops a frame: the
        // drop's pixels straight into the words, inline, without a call.
        if (words && scale == 1) {
            uint32_t* const to = words; // a copy, which no store can change
            const ptrdiff_t across = stride;
            drops.paintWords(i, shades, to, across);
            shownPixels += drops.pixelCount(i);
        } else {
            drawElsewhere(drops, i, shades);
        }
    }
    // A drop not drawn in this step: gone, or hidden. Inline: at the
    // defaults with the drops hidden, every drop comes here every step.
    void erase(const FallingDrops& drops, size_t i)
    {
        if (giveBack)
            giveBackAll(drops, i);
    }
    // Ends the drops of a step; shown says whether they were drawn.
    void end(bool shown) { dropsShown = shown; }
    // Drop i is at hand: the surface is told of the pixels the drop 8 places
    // on will draw, on a kept picture far out of the cache, and the drop 16
    // places on, which that reads early, starts on its way.
    void announce(const FallingDrops& drops, size_t i)
    {
        if (!giveBack) // a picture drawn whole has no pixel to wait for
            return;
        if (drops.size() - i > 8)
            tell(drops, i + 8);
        if (drops.size() - i > 16)
            drops.fetch(i + 16);
    }

private:
    Surface& surface;
    const LandedLayer& landed;
    const int width;
    const int height;
    bool drawWhole = true;
    // Whether the picture shows the last step's falling drops, and how many
    // pixels they took.
    bool dropsShown = false;
    size_t shownPixels = 0;
    bool giveBack = false; // this step gives left pixels back to the layer
    // The pixels drawn in this step, one bit each, row by row; and the
    // words of it set in this step, which alone need clearing.
    std::vector<uint64_t> drawnNow;
    std::vector<size_t> drawnWords;
    // The pixels the drop at hand has left.
    static constexpr int LEFT_ROOM = 32;
    Surface::Point left[LEFT_ROOM];
    int leftCount = 0;
    // The picture's words, in a step drawn whole on a surface that offers
    // them; null otherwise.
    uint32_t* words = nullptr;
    int stride = 0;
    int scale = 1;

    void tell(const FallingDrops& drops, size_t i);
    void giveBackAll(const FallingDrops& drops, size_t i);
    void drawElsewhere(const FallingDrops& drops, size_t i, Raindrop::Shades& shades);
    void drawKept(Surface::Point* at, uint32_t* rgb, int n);
    void noteLeft(const Surface::Point& p);
    // Shows the layer at each left pixel that no drop has drawn in this step.
    void giveBackLeft();
};

#endif
