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
    : drops(), landed(checkedSize(surface).getWidth(), surface.getHeight()), landedCount(0),
      surface(surface), dropRate(dropRate),
      dropSpeed(dropSpeed), tailLength(tailLength), stepCount(0),
      freeCells(surface.getWidth(), surface.getHeight() + 1, 1),
      topTaken(static_cast<size_t>(surface.getWidth()), surface.getHeight() + 1), border(5),
      width(surface.getWidth()), height(surface.getHeight()),
      showDrops(showDrops)
{
    drawnNow.assign((static_cast<size_t>(surface.getWidth()) * surface.getHeight() + 63) / 64, 0);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    createDrops();
    // The floor: drops land in the row above it and never enter it.
    for (int x = 0; x < surface.getWidth(); ++x)
        take(x, surface.getHeight() - border - 1);
}

RainSimulation::~RainSimulation() = default;

void RainSimulation::runNextStep()
{
    // Widened to 64 bits like the counter; a negative interval acts like its
    // magnitude. An interval of 0 would divide by zero: then no further batch.
    if (dropSpeed != 0 && stepCount % static_cast<int64_t>(dropSpeed) == 0)
        createDrops();

    // A kept picture still shows the last step's falling drops: draw only
    // what changes. When they cover much of the picture, clearing it and
    // drawing it whole is cheaper.
    const bool kept = surface.keepsPicture();
    const size_t wholeAbove = static_cast<size_t>(surface.getWidth()) * surface.getHeight() / 8;
    const bool whole = !kept || shownPixels > wholeAbove;
    if (kept && whole)
        surface.clear();
    surface.lock();
    // Each drop gives back to the layer only the pixels it has left, once
    // the drops that cover them in this step are drawn: most of a tail is
    // in the same place, only fainter.
    giveBack = !whole && dropsShown;
    // Only the words the last step set: on a large picture at the defaults
    // they are a few of a million.
    for (const size_t word : drawnWords)
        drawnNow[word] = 0;
    drawnWords.clear();
    shownPixels = 0;
    // A picture drawn whole takes the drops' pixels straight where it can.
    int stride = 0;
    uint32_t* const words = whole ? surface.rgbWords(stride) : nullptr;
    // Removed drops are marked gone and passed over from then on; the gaps
    // are closed once they are many, keeping the creation order.
    auto it = nextLive(drops.begin());
    while (it != drops.end()) {
        prefetchAhead(it);
        if (giveBack && showDrops)
            announce(it);
        const uint32_t life = shades.of(it->color).life;
        if (giveBack)
            it->move(life, [this](const Surface::Point& p) { noteLeft(p); });
        else
            it->move(life, [](const Surface::Point&) {});

        // A drop that follows a removed one is not moved in this step; after a
        // border removal it is border-tested, after a landing it is not.
        while (it != drops.end() && isOutOfScreen(it)) {
            giveBackAll(*it);
            it = remove(it);
        }
        while (it != drops.end() && isDropDead(it)) {
            it->velocity = Vector2D(0.0f, 0.0f);
            landed.add(*it);
            ++landedCount;
            // The cell where the drop rests, not the one it would have entered.
            take(pixelX(it->position), pixelY(it->position));
            giveBackAll(*it);
            it = remove(it);
        }
        if (it == drops.end())
            break;

        if (showDrops) {
            if (words)
                it->paint(shades, [words, stride](int x, int y, uint32_t rgb) {
                    words[static_cast<ptrdiff_t>(y) * stride + x] = rgb;
                });
            else if (whole)
                it->draw(shades);
            else
                it->paintParts(shades, [this](Surface::Point* at, uint32_t* rgb, int n) { drawKept(at, rgb, n); });
            shownPixels += it->tail().size() + 1;
            if (giveBack)
                giveBackLeft();
        } else {
            giveBackAll(*it);
        }
        it = nextLive(it + 1);
    }
    dropsShown = showDrops;
    // Closing a gap moves every drop behind it: with a few removals in every
    // step, that would be all of them in every step.
    if (gaps > drops.size() / 16)
        closeGaps();
    if (whole)
        drawDeadDrops();
    else // landed drops are drawn last and win, as in the whole picture
        landed.drawFresh(surface);
    surface.unlock();
    ++stepCount;
}

void RainSimulation::drawKept(Surface::Point* at, uint32_t* rgb, int n)
{
    // A landed drop covers a falling one, which the whole picture draws
    // first: the covered pixel keeps its landed colour.
    for (int i = 0; i < n; ++i) {
        const size_t bit = static_cast<size_t>(at[i].y) * static_cast<size_t>(width) + at[i].x;
        uint64_t& word = drawnNow[bit >> 6];
        if (word == 0)
            drawnWords.push_back(bit >> 6);
        word |= uint64_t{1} << (bit & 63);
        if (landed.covers(at[i]))
            rgb[i] = landed.rgbAt(at[i]);
    }
    surface.putPixels(at, rgb, n);
}

void RainSimulation::noteLeft(const Surface::Point& p)
{
    if (leftCount == LEFT_ROOM)
        giveBackLeft(); // early is right too, only maybe drawn twice
    left[leftCount++] = p;
}

void RainSimulation::giveBackLeft()
{
    for (int i = 0; i < leftCount; ++i) {
        const Surface::Point& p = left[i];
        if (p.x < 0 || p.y < 0 || p.x >= width || p.y >= height)
            continue;
        const size_t bit = static_cast<size_t>(p.y) * static_cast<size_t>(width) + p.x;
        // Drawn in this step already, by this drop or one before it.
        if (drawnNow[bit >> 6] >> (bit & 63) & 1)
            continue;
        const uint32_t rgb = landed.rgbAt(p);
        surface.putPixelRow(p.x, p.y, &rgb, 1);
    }
    leftCount = 0;
}

void RainSimulation::giveBackAll(const Raindrop& drop)
{
    // A drop not drawn in this step leaves every pixel it was drawn on, and
    // maybe its head's new one, which the layer's colour leaves as it was.
    if (giveBack)
        drop.eachPixel([this](const Surface::Point& p) { noteLeft(p); });
    giveBackLeft();
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
        drops.push_back(Raindrop(Vector2D(x, 0.0f),
                                 Vector2D(static_cast<float>(vx), static_cast<float>(vy)),
                                 color, tailLength, surface));
        gone.push_back(0);
    }
}

std::vector<Raindrop>::iterator RainSimulation::nextLive(std::vector<Raindrop>::iterator it)
{
    while (it != drops.end() && gone[static_cast<size_t>(it - drops.begin())])
        ++it;
    return it;
}

std::vector<Raindrop>::iterator RainSimulation::remove(std::vector<Raindrop>::iterator it)
{
    gone[static_cast<size_t>(it - drops.begin())] = 1;
    ++gaps;
    return nextLive(it + 1);
}

void RainSimulation::closeGaps() const
{
    size_t kept = 0;
    for (size_t i = 0; i < drops.size(); ++i) {
        if (gone[i])
            continue;
        if (kept != i)
            drops[kept] = std::move(drops[i]);
        ++kept;
    }
    drops.erase(drops.begin() + static_cast<std::ptrdiff_t>(kept), drops.end());
    gone.assign(kept, 0);
    gaps = 0;
}

const std::vector<Raindrop>& RainSimulation::getDrops() const
{
    closeGaps();
    return drops;
}

void RainSimulation::announce(std::vector<Raindrop>::iterator it)
{
    // On a kept picture a drop draws where it drew in the last step, and
    // one pixel on: tell the surface a few drops ahead, so that the pixels
    // are on their way when the drop is drawn.
    const std::ptrdiff_t ahead = 8;
    if (drops.end() - it <= ahead)
        return;
    // A hint: the pixels of a tail longer than the room are not told.
    constexpr int ROOM = 32;
    Surface::Point at[ROOM];
    int n = 0;
    (it + ahead)->eachPixel([&](const Surface::Point& p) {
        if (n < ROOM)
            at[n++] = p;
    });
    surface.willDraw(at, n);
}

void RainSimulation::prefetchAhead(std::vector<Raindrop>::iterator it)
{
    // The drops stream in order, tails inside them, but each landing cell
    // lies anywhere in the grid: ask for the cell of a drop a few places
    // ahead, so that it is on its way in time.
    const std::ptrdiff_t ahead = 4;
    if (drops.end() - it <= ahead)
        return;
    it += ahead;
    // The cell its landing test will read: two moves on.
    const Vector2D next = it->position + it->velocity + it->velocity;
    const int x = pixelX(next), y = pixelY(next);
    if (x >= 0 && x < freeCells.getSizeX() && y >= topTaken[static_cast<size_t>(x)] && y < freeCells.getSizeY())
        __builtin_prefetch(&freeCells[x][y]);
}

void RainSimulation::drawDeadDrops()
{
    landed.draw(surface);
}

void RainSimulation::draw()
{
    for (const Raindrop& drop : getDrops())
        surface.putPixel(pixelX(drop.position), pixelY(drop.position), drop.color);
}

bool RainSimulation::isOutOfScreen(std::vector<Raindrop>::iterator& it)
{
    const int px = pixelX(it->position);
    const int py = pixelY(it->position);
    return py >= height - border
        || px >= width - border
        || px <= border;
}

bool RainSimulation::isDropDead(std::vector<Raindrop>::iterator& it)
{
    // Look one move ahead without moving the drop.
    const Vector2D next = it->position + it->velocity;
    const int x = pixelX(next), y = pixelY(next);
    const int32_t* column = freeCells[x]; // checks x
    return y >= topTaken[static_cast<size_t>(x)] && column[y] == 0;
}

void RainSimulation::take(int x, int y)
{
    freeCells[x][y] = 0;
    topTaken[static_cast<size_t>(x)] = std::min(topTaken[static_cast<size_t>(x)], y);
}
