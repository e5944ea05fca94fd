// SPDX-License-Identifier: MIT
#include "Damage.h"

#include <algorithm>

Damage::Damage(int width, int height)
    : width(width), height(height), columns((width + TILE_W - 1) >> TILE_X_SHIFT),
      rows((height + TILE_H - 1) >> TILE_Y_SHIFT), words((columns + 63) >> 6),
      bits(static_cast<size_t>(words) * rows, 0), firstRow(rows), lastRow(-1)
{
}

void Damage::markColumns(uint64_t* line, int first, int last)
{
    // Whole words between the first and the last column's, partial ones at
    // the ends; no bit beyond the last column is ever set.
    for (int w = first >> 6; w <= last >> 6; ++w) {
        uint64_t word = ~uint64_t{0};
        if (w == first >> 6)
            word &= ~uint64_t{0} << (first & 63);
        if (w == last >> 6)
            word &= ~uint64_t{0} >> (63 - (last & 63));
        line[w] |= word;
    }
}

void Damage::markRow(int x, int y, int count)
{
    if (count <= 0)
        return;
    if (count == 1) { // the landed layer's single pixels, on every frame
        mark(x, y);
        return;
    }
    const int row = y >> TILE_Y_SHIFT;
    markColumns(bits.data() + static_cast<size_t>(row) * words, x >> TILE_X_SHIFT,
                (x + count - 1) >> TILE_X_SHIFT);
    firstRow = std::min(firstRow, row);
    lastRow = std::max(lastRow, row);
}

void Damage::markAll()
{
    for (int row = 0; row < rows; ++row)
        markColumns(bits.data() + static_cast<size_t>(row) * words, 0, columns - 1);
    firstRow = 0;
    lastRow = rows - 1;
}

int Damage::find(const uint64_t* line, int from, bool set) const
{
    int w = from >> 6;
    if (w >= words)
        return columns;
    const uint64_t flip = set ? 0 : ~uint64_t{0};
    uint64_t word = (line[w] ^ flip) & (~uint64_t{0} << (from & 63));
    while (word == 0) {
        if (++w == words)
            return columns;
        word = line[w] ^ flip;
    }
    return (w << 6) + __builtin_ctzll(word);
}

void Damage::cover(Rect& r, int begin, int end, int bottom) const
{
    r.x = begin << TILE_X_SHIFT;
    r.w = std::min(width, end << TILE_X_SHIFT) - r.x;
    r.h = bottom - r.y;
}

const std::vector<Damage::Rect>& Damage::take()
{
    rects.clear();
    open.clear();
    for (int row = firstRow; row <= lastRow; ++row) {
        uint64_t* line = bits.data() + static_cast<size_t>(row) * words;
        next.clear();
        size_t o = 0;
        const int top = row << TILE_Y_SHIFT;
        const int bottom = std::min(height, top + TILE_H);
        for (int begin = find(line, 0, true); begin < columns;) {
            const int end = find(line, begin, false);
            // Open rectangles are sorted by their first column; those that
            // end left of this run, not touching it, end left of later runs.
            while (o < open.size() && endColumn(rects[open[o]]) < begin)
                ++o;
            // The first open rectangle that this run touches, even only at a
            // corner, takes it: the same run, or a union of at most JOIN_W
            // tiles, so that a slanted tail is one rectangle.
            Rect* into = nullptr;
            int first = 0, last = 0;
            for (size_t k = o; k < open.size() && firstColumn(rects[open[k]]) <= end; ++k) {
                Rect& r = rects[open[k]];
                first = firstColumn(r);
                last = endColumn(r);
                const bool same = first == begin && last == end;
                if (last >= begin && (same || std::max(last, end) - std::min(first, begin) <= JOIN_W)) {
                    into = &r;
                    // Its first run in this row carries it on to the next
                    // row; a later one only widens it.
                    if (r.y + r.h != bottom)
                        next.push_back(open[k]);
                    break;
                }
            }
            if (into) {
                cover(*into, std::min(first, begin), std::max(last, end), bottom);
            } else {
                rects.push_back(Rect{0, top, 0, 0});
                cover(rects.back(), begin, end, bottom);
                next.push_back(rects.size() - 1);
            }
            begin = find(line, end, true);
        }
        std::fill(line, line + words, 0);
        // Widening can move a rectangle's first column left of another's.
        const auto byFirst = [this](size_t a, size_t b) { return rects[a].x < rects[b].x; };
        if (!std::is_sorted(next.begin(), next.end(), byFirst))
            std::sort(next.begin(), next.end(), byFirst);
        open.swap(next);
    }
    firstRow = rows;
    lastRow = -1;
    return rects;
}
