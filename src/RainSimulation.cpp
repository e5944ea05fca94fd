// SPDX-License-Identifier: MIT
#include "RainSimulation.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <utility>

namespace {

Surface& checkedSize(Surface& surface)
{
    if (!RainSimulation::fitsOn(surface.getWidth(), surface.getHeight()))
        throw std::invalid_argument("picture too small for the rain");
    return surface;
}

} // namespace

bool RainSimulation::fitsOn(int width, int height)
{
    return width >= MIN_WIDTH && height >= MIN_HEIGHT;
}

RainSimulation::RainSimulation(Surface& surface, int dropRate, int dropSpeed, int tailLength,
                               bool showDrops)
    : drops(tailLength), landed(checkedSize(surface).getWidth(), surface.getHeight()), landedCount(0),
      surface(surface), dropRate(dropRate),
      dropSpeed(dropSpeed), tailLength(tailLength), stepCount(0),
      freeCells(surface.getWidth(), surface.getHeight() + 1, 1),
      topTaken(static_cast<size_t>(surface.getWidth()), surface.getHeight() + 1), border(5),
      width(surface.getWidth()), height(surface.getHeight()),
      drawing(surface, landed, surface.getWidth(), surface.getHeight()),
      showDrops(showDrops)
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    createDrops();
    // The floor: drops land in the row above it and never enter it.
    for (int x = 0; x < surface.getWidth(); ++x)
        take(x, surface.getHeight() - border - 1);
}

RainSimulation::~RainSimulation() = default;

void RainSimulation::runNextStep()
{
    // Spawn: a batch every dropSpeed steps, before the pass, so that its
    // drops move in this step. Widened to 64 bits like the counter; a
    // negative interval acts like its magnitude. An interval of 0 would
    // divide by zero: then no further batch.
    if (dropSpeed != 0 && stepCount % static_cast<int64_t>(dropSpeed) == 0)
        createDrops();

    drawing.begin();
    // Every live drop in creation order (removed ones are passed over).
    const size_t end = drops.size();
    size_t i = drops.nextLive(0);
    while (i != end) {
        lookAhead(i);
        // Move: fade the tail, lay a segment where the head reached a new
        // pixel, advance the head.
        drawing.move(drops, i, shades.ofRgb(drops.rgb(i)).life);
        // Remove at a border. The drop that follows a removed one is not
        // moved in this step: it goes straight to the border test.
        while (i != end && isOutOfScreen(i)) {
            drawing.erase(drops, i);
            i = drops.remove(i);
        }
        // Land where the next move would enter a taken cell. The drop that
        // follows a landed one is neither moved nor border-tested.
        while (i != end && isDropDead(i)) {
            land(i);
            drawing.erase(drops, i);
            i = drops.remove(i);
        }
        if (i == end)
            break;
        // Draw it when drops are shown: its tail newest first, then its head.
        if (showDrops)
            drawing.draw(drops, i, shades);
        else
            drawing.erase(drops, i);
        i = drops.nextLive(i + 1);
    }
    drawing.end(showDrops);
    drops.closeGapsIfMany();
    recordsStale = true;
    // Landed drops are drawn last and win; a kept picture shows the rest.
    if (drawing.whole())
        drawDeadDrops();
    else
        landed.drawFresh(surface);
    surface.unlock();
    ++stepCount;
}

void RainSimulation::land(size_t i)
{
    Raindrop drop = drops.record(i, tailLength, surface);
    drop.velocity = Vector2D(0.0f, 0.0f);
    landed.add(drop);
    ++landedCount;
    // The cell where the drop rests, not the one it would have entered.
    take(pixelX(drop.position), pixelY(drop.position));
}

void RainSimulation::createDrops()
{
    // The colour cycle belongs to the process: it starts at a random colour
    // and drifts by fixed per-channel steps, wrapping below 255.
    static int32_t r = std::rand() % 255;
    static int32_t g = std::rand() % 255;
    static int32_t b = std::rand() % 255;
    static int32_t dr = std::rand() % 10;
    static int32_t dg = std::rand() % 10;
    static int32_t db = std::rand() % 10;

    const Surface::Color color{r, g, b};
    r = (r + dr) % 255;
    g = (g + dg) % 255;
    b = (b + db) % 255;

    for (int i = 0; i < dropRate; ++i) {
        // Three draws per drop, in this order: column, sideways, downward.
        const int column = std::rand();
        const float x = static_cast<float>(border + column % (surface.getWidth() - 2 * border));
        const double vx = (std::rand() % 199 + 1) / 100.0 - 1.0;
        const double vy = (std::rand() % 99 + 1) / 100.0;
        drops.add(Vector2D(x, 0.0f), Vector2D(static_cast<float>(vx), static_cast<float>(vy)),
                  Surface::packRgb(color));
        recordsStale = true;
    }
}

const std::vector<Raindrop>& RainSimulation::getDrops() const
{
    if (recordsStale) {
        drops.closeGaps();
        records.clear();
        for (size_t i = 0; i < drops.size(); ++i)
            records.push_back(drops.record(i, tailLength, surface));
        recordsStale = false;
    }
    return records;
}

void RainSimulation::lookAhead(size_t i)
{
    // The drops stream in order, but each landing cell lies anywhere in the
    // grid: ask for the cell of a drop a few places ahead, so that it is on
    // its way in time.
    if (drops.size() - i > 4) {
        // The cell its landing test will read: two moves on.
        const Vector2D next = drops.position(i + 4) + drops.velocity(i + 4) + drops.velocity(i + 4);
        const int x = pixelX(next), y = pixelY(next);
        if (x >= 0 && x < freeCells.getSizeX() && y >= topTaken[static_cast<size_t>(x)] && y < freeCells.getSizeY())
            __builtin_prefetch(&freeCells[x][y]);
    }
    // Likewise the picture's rows that drops further on will draw.
    if (showDrops)
        drawing.announce(drops, i);
}

void RainSimulation::drawDeadDrops()
{
    landed.draw(surface);
}

void RainSimulation::draw()
{
    for (size_t i = drops.nextLive(0); i != drops.size(); i = drops.nextLive(i + 1))
        surface.putPixel(pixelX(drops.position(i)), pixelY(drops.position(i)), Surface::unpackRgb(drops.rgb(i)));
}

bool RainSimulation::isOutOfScreen(size_t i) const
{
    const int px = pixelX(drops.position(i));
    const int py = pixelY(drops.position(i));
    return py >= height - border
        || px >= width - border
        || px <= border;
}

bool RainSimulation::isDropDead(size_t i)
{
    // Look one move ahead without moving the drop.
    const Vector2D next = drops.position(i) + drops.velocity(i);
    const int x = pixelX(next), y = pixelY(next);
    const int32_t* column = freeCells[x]; // checks x
    return y >= topTaken[static_cast<size_t>(x)] && column[y] == 0;
}

void RainSimulation::take(int x, int y)
{
    freeCells[x][y] = 0;
    topTaken[static_cast<size_t>(x)] = std::min(topTaken[static_cast<size_t>(x)], y);
}
