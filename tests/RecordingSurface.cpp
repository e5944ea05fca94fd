#include "RecordingSurface.h"

#include <cstdio>

namespace {

uint32_t pack(const Surface::Color& c)
{
    // Low 8 bits of each channel, as a real surface maps them.
    return (static_cast<uint32_t>(c.red & 0xFF) << 16) | (static_cast<uint32_t>(c.green & 0xFF) << 8)
        | static_cast<uint32_t>(c.blue & 0xFF);
}

} // namespace

RecordingSurface::RecordingSurface(int width, int height)
    : width(width), height(height), picture(static_cast<size_t>(width) * height, 0)
{
}

void RecordingSurface::update()
{
    if (depth != 0)
        faults.push_back("update while locked");
    ++updates;
    lastShown = picture;
}

void RecordingSurface::clear()
{
    if (depth != 0)
        faults.push_back("clear while locked");
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
    picture[static_cast<size_t>(y) * width + x] = pack(color);
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
