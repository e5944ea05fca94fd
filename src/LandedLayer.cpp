// SPDX-License-Identifier: MIT
#include "LandedLayer.h"

#include <algorithm>
#include <cstddef>

LandedLayer::LandedLayer(int width, int height)
    : width(width), height(height), rgb(static_cast<size_t>(width) * height, 0),
      isCovered(static_cast<size_t>(width) * height, 0), runs(static_cast<size_t>(height)),
      top(static_cast<size_t>(width), height)
{
}

void LandedLayer::add(const Raindrop& drop)
{
    // A drop paints its tail newest to oldest and then its head, the last
    // paint winning; under first-cover-wins that is the reverse order.
    cover(pixelX(drop.position), pixelY(drop.position), drop.color);
    const Raindrop::Tail tail = drop.tail();
    for (std::size_t i = tail.size(); i-- > 0;) {
        const Raindrop::RainTail segment = tail[i];
        cover(pixelX(segment.position), pixelY(segment.position), segment.color);
    }
}

void LandedLayer::cover(int x, int y, const Surface::Color& color)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    const size_t at = static_cast<size_t>(y) * width + x;
    if (isCovered[at])
        return;
    isCovered[at] = 1;
    top[static_cast<size_t>(x)] = std::min(top[static_cast<size_t>(x)], y);
    ++covered;
    fresh.push_back(Pixel{x, y});
    // Only the low 8 bits of a channel reach the screen.
    rgb[at] = Surface::packRgb(color);

    // Join x to the runs of its row; pixels are only ever added.
    std::vector<Run>& row = runs[static_cast<size_t>(y)];
    auto next = std::lower_bound(row.begin(), row.end(), x,
                                 [](const Run& r, int value) { return r.begin < value; });
    const bool joinsLeft = next != row.begin() && std::prev(next)->end == x;
    const bool joinsRight = next != row.end() && next->begin == x + 1;
    if (joinsLeft && joinsRight) {
        std::prev(next)->end = next->end;
        row.erase(next);
    } else if (joinsLeft) {
        std::prev(next)->end = x + 1;
    } else if (joinsRight) {
        next->begin = x;
    } else {
        row.insert(next, Run{x, x + 1});
    }
}

void LandedLayer::draw(Surface& surface)
{
    fresh.clear();
    for (int y = 0; y < height; ++y) {
        const uint32_t* line = rgb.data() + static_cast<size_t>(y) * width;
        for (const Run& r : runs[static_cast<size_t>(y)])
            surface.putPixelRow(r.begin, y, line + r.begin, r.end - r.begin);
    }
}

void LandedLayer::drawFresh(Surface& surface)
{
    for (const Pixel& p : fresh)
        show(surface, p);
    fresh.clear();
}

void LandedLayer::show(Surface& surface, const Pixel& p)
{
    surface.putPixelRow(p.x, p.y, &rgb[static_cast<size_t>(p.y) * width + p.x], 1);
}
