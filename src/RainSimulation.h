// SPDX-License-Identifier: MIT
#ifndef NIMBREL_RAINSIMULATION_H
#define NIMBREL_RAINSIMULATION_H

#include "Array2D.h"
#include "FallingDrops.h"
#include "FrameDrawing.h"
#include "LandedLayer.h"
#include "Raindrop.h"
#include "Surface.h"

#include <cstdint>
#include <vector>

// The whole animation: spawns batches of drops, moves them, retires those
// that reach a border and turns those that hit the ground into a heap.
class RainSimulation {
public:
    // The smallest picture the rain fits on: start columns need width > 10,
    // and the floor row (height - 6) must lie inside the picture.
    static constexpr int MIN_WIDTH = 11;
    static constexpr int MIN_HEIGHT = 6;
    static bool fitsOn(int width, int height);

    // Throws std::invalid_argument for a surface the rain does not fit on.
    RainSimulation(Surface& surface, int dropRate, int dropSpeed, int tailLength, bool showDrops);
    ~RainSimulation();

    RainSimulation(const RainSimulation&) = delete;
    RainSimulation& operator=(const RainSimulation&) = delete;

    // One step of the animation, drawing included.
    void runNextStep();
    // Appends one batch of dropRate drops in the current batch colour.
    void createDrops();
    void drawDeadDrops();
    // Only the head pixel of every falling drop.
    void draw();

    // The falling drops, in creation order; closes the gaps removals left.
    const std::vector<Raindrop>& getDrops() const;
    int64_t getStepCount() const { return stepCount; }
    int64_t getLandedCount() const { return landedCount; }
    int64_t getLandedPixels() const { return landed.coveredPixels(); }
    // Whether a drop can rest in or pass through the cell of pixel (x, y).
    bool isCellTaken(int x, int y) { return freeCells[x][y] == 0; }

private:
    // Falling, in creation order; reading them as records closes the gaps
    // that removals left (mutable).
    mutable FallingDrops drops;
    // The drops as records, made when read after a change, so that two
    // reads without a step between them see the same vector.
    mutable std::vector<Raindrop> records;
    mutable bool recordsStale = true;
    LandedLayer landed;            // the picture of every landed drop
    int64_t landedCount;
    Surface& surface;
    int32_t dropRate;
    int32_t dropSpeed;
    int32_t tailLength;
    int64_t stepCount;
    Array2D<int32_t> freeCells;    // 1 free, 0 taken; one row more than the picture
    // The topmost taken cell of each column. Every cell above it is free, so
    // the landing test of a drop above the heap needs no look at the grid,
    // which on a large picture lies far out of the cache.
    std::vector<int32_t> topTaken;
    int32_t border;
    // The surface's size, which never changes: read once, not a call for
    // every drop in every step.
    const int width;
    const int height;
    Raindrop::Shades shades;       // what the drops of the last colour met share
    FrameDrawing drawing;          // how the drops reach the picture

    bool isOutOfScreen(size_t i) const;
    bool isDropDead(size_t i);
    void land(size_t i);
    void lookAhead(size_t i);
    void take(int x, int y);

public:
    bool showDrops;
};

#endif
