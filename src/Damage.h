#ifndef NIMBREL_DAMAGE_H
#define NIMBREL_DAMAGE_H

#include <cstddef>
#include <cstdint>
#include <vector>

// The parts of a kept picture that changed since they were last shown, in
// tiles of TILE x TILE pixels. Marking a pixel costs a store, and the picture
// is handed to the display as few rectangles: runs of marked tiles along a
// row, each stretched down over the rows below that have the same run.
class Damage {
public:
    static constexpr int TILE_SHIFT = 3;
    static constexpr int TILE = 1 << TILE_SHIFT;

    struct Rect {
        int x, y, w, h;
    };

    Damage(int width, int height);

    // (x, y) must lie inside the picture.
    void mark(int x, int y)
    {
        const int row = y >> TILE_SHIFT;
        tiles[static_cast<size_t>(row) * columns + (x >> TILE_SHIFT)] = 1;
        if (row < firstRow)
            firstRow = row;
        if (row > lastRow)
            lastRow = row;
    }
    void markRow(int x, int y, int count);
    void markAll();

    // The marked area as rectangles inside the picture; clears the marks.
    const std::vector<Rect>& take();

private:
    int width;
    int height;
    int columns;
    int rows;
    std::vector<uint8_t> tiles; // row by row; 1 marked
    int firstRow;               // rows outside these hold no mark
    int lastRow;
    std::vector<Rect> rects;
    // Rectangles still open at the row above, by index into rects; each
    // covers one run of tiles [begin, end) in tile columns.
    struct Open {
        int begin, end;
        std::size_t rect;
    };
    std::vector<Open> open, next;
};

#endif
