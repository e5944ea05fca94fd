// SPDX-License-Identifier: MIT
#ifndef NIMBREL_DAMAGE_H
#define NIMBREL_DAMAGE_H

#include <cstddef>
#include <cstdint>
#include <vector>

// The parts of a kept picture that changed since they were last shown, in
// tiles of TILE_W x TILE_H pixels, one bit each. The picture is handed to the
// display as few rectangles: runs of marked tiles along a row, each stretched
// down over the rows below that have the same run or that touch it within
// JOIN_W tiles. Rectangles may then overlap a little; the display copies such
// pixels twice, which costs less than a request of their own.
//
// Tiles are 16 pixels wide, one cache line of 32-bit pixels, the unit in
// which memory is read anyway; and 2 high, because the X server's cost
// follows the rectangles and the rows it copies, and a falling drop's tail
// is a thin slanted line that a taller tile pads with unchanged rows.
class Damage {
public:
    static constexpr int TILE_X_SHIFT = 4;
    static constexpr int TILE_Y_SHIFT = 1;
    static constexpr int TILE_W = 1 << TILE_X_SHIFT;
    static constexpr int TILE_H = 1 << TILE_Y_SHIFT;
    // The widest union of touching runs: a slanted tail crosses tile columns
    // as it goes down, and each rectangle costs the X server a request.
    static constexpr int JOIN_W = 4;

    struct Rect {
        int x, y, w, h;
    };

    Damage(int width, int height);

    // (x, y) must lie inside the picture.
    void mark(int x, int y)
    {
        const int row = y >> TILE_Y_SHIFT;
        const int column = x >> TILE_X_SHIFT;
        bits[static_cast<size_t>(row) * words + (column >> 6)] |= uint64_t{1} << (column & 63);
        if (row < firstRow)
            firstRow = row;
        if (row > lastRow)
            lastRow = row;
    }
    // count pixels from (x, y) along the row, all inside the picture.
    void markRow(int x, int y, int count);
    void markAll();

    // The marked area as rectangles inside the picture; clears the marks.
    const std::vector<Rect>& take();

private:
    int width;
    int height;
    int columns;                // tiles across
    int rows;                   // tiles down
    int words;                  // 64-bit words a row of tiles takes
    std::vector<uint64_t> bits; // row by row; bit c of word w is column 64w + c
    int firstRow;               // rows outside these hold no mark
    int lastRow;
    std::vector<Rect> rects;
    // Rectangles still open at the row above, by index into rects, in the
    // order of their first tile column.
    std::vector<std::size_t> open, next;

    // The tile columns [first, end) a rectangle covers.
    static int firstColumn(const Rect& r) { return r.x >> TILE_X_SHIFT; }
    static int endColumn(const Rect& r) { return (r.x + r.w + TILE_W - 1) >> TILE_X_SHIFT; }
    // Gives r the tile columns [begin, end) and stretches it down to bottom.
    void cover(Rect& r, int begin, int end, int bottom) const;
    void markColumns(uint64_t* line, int first, int last);
    // The first column at or after from whose bit is set (or clear); columns
    // when there is none.
    int find(const uint64_t* line, int from, bool set) const;
};

#endif
