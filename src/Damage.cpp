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

void Damage::stretch(const Open& span, int row)
{
    Rect& r = rects[span.rect];
    r.x = span.begin << TILE_X_SHIFT;
    r.w = std::min(width, span.end << TILE_X_SHIFT) - r.x;
    r.h = std::min(height, (row + 1) << TILE_Y_SHIFT) - r.y;
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
            while (o < open.size() && open[o].end < begin)
                ++o;
            // The first open rectangle that this run touches, even only at a
            // corner, takes it: the same run, or a union of at most JOIN_W
            // tiles, so that a slanted tail is one rectangle.
            Open* into = nullptr;
            for (size_t k = o; k < open.size() && open[k].begin <= end; ++k) {
                const Open& c = open[k];
                const bool same = c.begin == begin && c.end == end;
                if (c.end >= begin && (same || std::max(c.end, end) - std::min(c.begin, begin) <= JOIN_W)) {
                    into = &open[k];
                    break;
                }
            }
            if (into) {
                // Its first run in this row carries it on to the next row; a
                // later one only widens it.
                const bool carried = rects[into->rect].y + rects[into->rect].h == bottom;
                into->begin = std::min(into->begin, begin);
                into->end = std::max(into->end, end);
                stretch(*into, row);
                if (!carried)
                    next.push_back(*into);
                else
                    for (auto n = next.rbegin(); n != next.rend(); ++n)
                        if (n->rect == into->rect) {
                            *n = *into;
                            break;
                        }
            } else {
                const int left = begin << TILE_X_SHIFT;
                rects.push_back(Rect{left, top, std::min(width, end << TILE_X_SHIFT) - left, bottom - top});
                next.push_back(Open{begin, end, rects.size() - 1});
            }
            begin = find(line, end, true);
        }
        std::fill(line, line + words, 0);
        // Widening can move a rectangle's first column left of another's.
        const auto byBegin = [](const Open& a, const Open& b) { return a.begin < b.begin; };
        if (!std::is_sorted(next.begin(), next.end(), byBegin))
            std::sort(next.begin(), next.end(), byBegin);
        open.swap(next);
    }
    firstRow = rows;
    lastRow = -1;
    return rects;
}
