// SPDX-License-Identifier: MIT
#ifndef NIMBREL_TESTS_LITERALRAINSIMULATION_H
#define NIMBREL_TESTS_LITERALRAINSIMULATION_H

#include "Array2D.h"
#include "Raindrop.h"
#include "Surface.h"

#include <cstdint>
#include <list>
#include <vector>

// A drop kept the plain way: each segment holds its own colour and fades it
// in every step, cut at the first that has faded out. The program's drop
// derives the colours from the segments' ages instead.
struct LiteralRaindrop {
    struct Segment {
        int x, y;
        Surface::Color color;
    };
    LiteralRaindrop(const Vector2D& position, const Vector2D& velocity, Surface::Color color, int tailLength,
                    Surface& surface)
        : position(position), velocity(velocity), color(color), tailLength(tailLength), surface(&surface) {}
    void move();
    void draw();

    Vector2D position;
    Vector2D velocity;
    Surface::Color color;
    int tailLength;
    Surface* surface;
    std::vector<Segment> tail; // newest first
};

// The rain drawn the plain way: every landed drop is kept in a list and drawn
// with its frozen tail in every step, newest first. Its cost grows with every
// landing, so the program no longer draws this way; the tests keep it as the
// reference picture that the program must reproduce pixel for pixel.
class LiteralRainSimulation {
public:
    LiteralRainSimulation(Surface& surface, int dropRate, int dropSpeed, int tailLength,
                          bool showDrops);

    void runNextStep();
    void createDrops();
    void drawDeadDrops();
    bool isOutOfScreen(std::list<LiteralRaindrop>::iterator& it);
    bool isDropDead(std::list<LiteralRaindrop>::iterator& it);

    // The colour cycle, kept here instead of in createDrops so that a test
    // can start it where the program's own cycle stands.
    struct Cycle {
        bool started = false;
        int32_t r, g, b, dr, dg, db;
    };
    static Cycle cycle;

    std::list<LiteralRaindrop> drops;
    std::list<LiteralRaindrop> deadDrops;
    Surface& surface;
    int32_t dropRate;
    int32_t dropSpeed;
    int32_t tailLength;
    int64_t stepCount;
    Array2D<int32_t> freeCells;
    int32_t border;
    bool showDrops;
    long landedOnTakenCell = 0; // landings in a cell that was already taken
};

#endif
