#include "Damage.h"

#include <algorithm>
#include <cstring>

Damage::Damage(int width, int height)
    : width(width), height(height), columns((width + TILE - 1) >> TILE_SHIFT),
      rows((height + TILE - 1) >> TILE_SHIFT), tiles(static_cast<size_t>(columns) * rows, 0),
      firstRow(rows), lastRow(-1)
{
}

void Damage::markRow(int x, int y, int count)
{
    if (count <= 0)
        return;
    const int row = y >> TILE_SHIFT;
    uint8_t* line = tiles.data() + static_cast<size_t>(row) * columns;
    std::fill(line + (x >> TILE_SHIFT), line + ((x + count - 1) >> TILE_SHIFT) + 1, 1);
    firstRow = std::min(firstRow, row);
    lastRow = std::max(lastRow, row);
}

void Damage::markAll()
{
    std::fill(tiles.begin(), tiles.end(), 1);
    firstRow = 0;
    lastRow = rows - 1;
}

const std::vector<Damage::Rect>& Damage::take()
{
    rects.clear();
    open.clear();
    for (int row = firstRow; row <= lastRow; ++row) {
        uint8_t* line = tiles.data() + static_cast<size_t>(row) * columns;
        next.clear();
        size_t o = 0;
        for (int c = 0; c < columns;) {
            if (!line[c]) {
                // Most tiles are unmarked: pass over them eight at a time.
                uint64_t eight;
                while (c + 8 <= columns && (std::memcpy(&eight, line + c, 8), eight == 0))
                    c += 8;
                if (c < columns && !line[c])
                    ++c;
                continue;
            }
            const int begin = c;
            while (c < columns && line[c])
                line[c++] = 0;
            // Runs are found left to right, so the open ones are sorted too.
            while (o < open.size() && open[o].begin < begin)
                ++o;
            const int top = row << TILE_SHIFT;
            const int bottom = std::min(height, top + TILE);
            if (o < open.size() && open[o].begin == begin && open[o].end == c) {
                rects[open[o].rect].h = bottom - rects[open[o].rect].y;
                next.push_back(open[o]);
            } else {
                const int left = begin << TILE_SHIFT;
                rects.push_back(Rect{left, top, std::min(width, c << TILE_SHIFT) - left, bottom - top});
                next.push_back(Open{begin, c, rects.size() - 1});
            }
        }
        open.swap(next);
    }
    firstRow = rows;
    lastRow = -1;
    return rects;
}
