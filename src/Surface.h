// SPDX-License-Identifier: MIT
#ifndef NIMBREL_SURFACE_H
#define NIMBREL_SURFACE_H

#include <cstdint>

// The drawing target of the program. The simulation and the drops draw only
// through this interface and never see the video library.
class Surface {
public:
    // A colour as three channels of 0..255. Callers do arithmetic on the
    // channels; a surface keeps only the low 8 bits of each when it maps one.
    struct Color {
        int32_t red;
        int32_t green;
        int32_t blue;
    };

    // A colour as 0x00RRGGBB: the low 8 bits of each channel, as a surface
    // maps them, and back.
    static uint32_t packRgb(const Color& c)
    {
        return (static_cast<uint32_t>(c.red & 0xFF) << 16) | (static_cast<uint32_t>(c.green & 0xFF) << 8)
            | static_cast<uint32_t>(c.blue & 0xFF);
    }
    static Color unpackRgb(uint32_t v)
    {
        return Color{static_cast<int32_t>((v >> 16) & 0xFF), static_cast<int32_t>((v >> 8) & 0xFF),
                     static_cast<int32_t>(v & 0xFF)};
    }

    virtual void update() = 0;
    virtual void clear() = 0;
    virtual int getHeight() = 0;
    virtual int getWidth() = 0;
    virtual void lock() = 0;
    virtual void unlock() = 0;
    // No clipping: the caller keeps 0 <= x < width and 0 <= y < height, and
    // calls it only between lock() and unlock().
    virtual void putPixel(int x, int y, Color color) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2, Color& color) = 0;
    virtual void drawCircle(int x, int y, int radius, Color& color) = 0;
    // Right and bottom edges are exclusive: width x2 - x1, height y2 - y1.
    virtual void fillRect(int x1, int y1, int x2, int y2, Color& color) = 0;

    // Sets count pixels of row y from x on, each given as 0x00RRGGBB. A bulk
    // form of putPixel, with the same rules; a surface may override it with a
    // faster copy, and must draw the same picture.
    virtual void putPixelRow(int x, int y, const uint32_t* rgb, int count)
    {
        for (int i = 0; i < count; ++i)
            putPixel(x + i, y, unpackRgb(rgb[i]));
    }

    // A pixel's place.
    struct Point {
        int x;
        int y;
    };

    // Sets count pixels in order, pixel i at at[i] given as 0x00RRGGBB in
    // rgb[i]. A bulk form of putPixel for pixels apart, such as a drop's
    // tail, with the same rules; a surface may override it with a faster
    // store, and must draw the same picture.
    virtual void putPixels(const Point* at, const uint32_t* rgb, int count)
    {
        for (int i = 0; i < count; ++i)
            putPixel(at[i].x, at[i].y, unpackRgb(rgb[i]));
    }

    // Says that the pixels at at[0..count) are drawn soon: a surface whose
    // picture lies far out of the cache may start fetching them. Draws
    // nothing; the pixels lie inside the picture.
    virtual void willDraw(const Point* at, int count)
    {
        (void)at;
        (void)count;
    }

    // Where the picture lies as 32-bit 0x00RRGGBB words, with nothing to
    // note of a pixel drawn: its first word, the words from one row to the
    // next in stride, and the side of the square of words a pixel takes in
    // scale. Null where a pixel needs more than stores; then the calls
    // above draw. Valid from lock() to unlock().
    virtual uint32_t* rgbWords(int& stride, int& scale)
    {
        stride = 0;
        scale = 1;
        return nullptr;
    }

    // Whether the picture stays on the surface from one frame to the next.
    // Then a step redraws only the pixels that can have changed, on the
    // picture the previous step left (black before the first); otherwise the
    // surface is cleared every frame and a step draws the whole picture.
    virtual bool keepsPicture() { return false; }

    // The display lost what it showed: a kept picture is handed over whole
    // by the next update().
    virtual void exposed() {}

protected:
    // Owners hold the concrete surface and destroy that; never through here.
    ~Surface() = default;
};

#endif
