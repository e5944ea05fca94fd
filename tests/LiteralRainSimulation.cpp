// SPDX-License-Identifier: MIT
#include "LiteralRainSimulation.h"

#include <cstdlib>
#include <ctime>

LiteralRainSimulation::Cycle LiteralRainSimulation::cycle;

void LiteralRaindrop::move()
{
    for (auto it = tail.begin(); it != tail.end(); ++it) {
        Surface::Color& c = it->color;
        c.red -= c.red >= 15 ? 15 : 0;
        c.green -= c.green >= 15 ? 15 : 0;
        c.blue -= c.blue >= 15 ? 15 : 0;
        if (c.red < 15 && c.green < 15 && c.blue < 15) {
            tail.erase(it, tail.end());
            break;
        }
    }
    const int x = pixelX(position), y = pixelY(position);
    if (tail.empty() || x != tail.front().x || y != tail.front().y) {
        if (!tail.empty() && tail.size() >= static_cast<size_t>(tailLength))
            tail.pop_back();
        tail.insert(tail.begin(), Segment{x, y, color});
    }
    position += velocity;
}

void LiteralRaindrop::draw()
{
    for (const Segment& s : tail)
        surface->putPixel(s.x, s.y, s.color);
    surface->putPixel(pixelX(position), pixelY(position), color);
}

LiteralRainSimulation::LiteralRainSimulation(Surface& surface, int dropRate, int dropSpeed,
                                             int tailLength, bool showDrops)
    : surface(surface), dropRate(dropRate), dropSpeed(dropSpeed), tailLength(tailLength),
      stepCount(0), freeCells(surface.getWidth(), surface.getHeight() + 1, 1), border(5),
      showDrops(showDrops)
{
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    createDrops();
    for (int x = 0; x < surface.getWidth(); ++x)
        freeCells[x][surface.getHeight() - border - 1] = 0;
}

void LiteralRainSimulation::runNextStep()
{
    if (stepCount % static_cast<int64_t>(dropSpeed) == 0)
        createDrops();
    surface.lock();
    auto it = drops.begin();
    while (it != drops.end()) {
        it->move();
        while (it != drops.end() && isOutOfScreen(it))
            it = drops.erase(it);
        while (it != drops.end() && isDropDead(it)) {
            it->velocity = Vector2D(0.0f, 0.0f);
            deadDrops.push_front(*it);
            int32_t& cell = freeCells[static_cast<int>(it->position.x)][static_cast<int>(it->position.y)];
            if (cell == 0)
                ++landedOnTakenCell;
            cell = 0;
            it = drops.erase(it);
        }
        if (it == drops.end())
            break;
        if (showDrops)
            it->draw();
        ++it;
    }
    drawDeadDrops();
    surface.unlock();
    ++stepCount;
}

void LiteralRainSimulation::createDrops()
{
    Cycle& c = cycle;
    if (!c.started) {
        c.started = true;
        c.r = std::rand() % 255;
        c.g = std::rand() % 255;
        c.b = std::rand() % 255;
        c.dr = std::rand() % 10;
        c.dg = std::rand() % 10;
        c.db = std::rand() % 10;
    }
    const Surface::Color color{c.r, c.g, c.b};
    c.r = (c.r + c.dr) % 255;
    c.g = (c.g + c.dg) % 255;
    c.b = (c.b + c.db) % 255;
    for (int i = 0; i < dropRate; ++i) {
        const int column = std::rand();
        const float x = static_cast<float>(border + column % (surface.getWidth() - 2 * border));
        const double vx = (std::rand() % 199 + 1) / 100.0 - 1.0;
        const double vy = (std::rand() % 99 + 1) / 100.0;
        drops.push_back(LiteralRaindrop(Vector2D(x, 0.0f),
                                 Vector2D(static_cast<float>(vx), static_cast<float>(vy)),
                                 color, tailLength, surface));
    }
}

void LiteralRainSimulation::drawDeadDrops()
{
    for (LiteralRaindrop& drop : deadDrops)
        drop.draw();
}

bool LiteralRainSimulation::isOutOfScreen(std::list<LiteralRaindrop>::iterator& it)
{
    const int px = static_cast<int>(it->position.x);
    const int py = static_cast<int>(it->position.y);
    return py >= surface.getHeight() - border || px >= surface.getWidth() - border || px <= border;
}

bool LiteralRainSimulation::isDropDead(std::list<LiteralRaindrop>::iterator& it)
{
    const Vector2D next = it->position + it->velocity;
    return freeCells[static_cast<int>(next.x)][static_cast<int>(next.y)] == 0;
}
