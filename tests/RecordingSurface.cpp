// SPDX-License-Identifier: MIT
#include "RecordingSurface.h"

#include <cstdio>

RecordingSurface::RecordingSurface(int width, int height)
    : width(width), height(height), picture(static_cast<size_t>(width) * height, 0)
{
}

void RecordingSurface::update()
{
    if (depth != 0)
        faults.push_back("update while locked");
    ++updates;
    calls += 'U';
    lastShown = picture;
}

void RecordingSurface::clear()
{
    if (depth != 0)
        faults.push_back("clear while locked");
    calls += 'C';
    picture.assign(picture.size(), 0);
}

void RecordingSurface::lock()
{
    ++locks;
    ++depth;
}

void RecordingSurface::unlock()
{
    ++unlocks;
    if (--depth < 0)
        faults.push_back("unlock without lock");
}

void RecordingSurface::putPixel(int x, int y, Color color)
{
    ++puts;
    if (depth <= 0)
        faults.push_back("putPixel while unlocked");
    if (x < 0 || y < 0 || x >= width || y >= height) {
        char text[80];
        std::snprintf(text, sizeof text, "putPixel outside the picture at %d,%d", x, y);
        faults.push_back(text);
        return;
    }
    if (keepLog)
        log.push_back(Put{x, y, color});
    picture[static_cast<size_t>(y) * width + x] = packRgb(color);
}

void RecordingSurface::drawLine(int, int, int, int, Color&)
{
    faults.push_back("drawLine called");
}

void RecordingSurface::drawCircle(int, int, int, Color&)
{
    faults.push_back("drawCircle called");
}

void RecordingSurface::fillRect(int, int, int, int, Color&)
{
    faults.push_back("fillRect called");
}
