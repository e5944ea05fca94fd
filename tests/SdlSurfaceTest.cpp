// SPDX-License-Identifier: MIT
#include "SdlSurface.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// SDL as the program's start-up leaves it, for every test of this binary.
class SdlStarted : public testing::Environment {
public:
    void SetUp() override { SDL_Init(SDL_INIT_NOPARACHUTE); }
    void TearDown() override { SDL_Quit(); }
};
testing::Environment* const sdl = testing::AddGlobalTestEnvironment(new SdlStarted);

constexpr int W = 16;
constexpr int H = 8;

// SDL's own surface behind the surface under test.
SDL_Surface* video = nullptr;

struct Opened : SdlSurface {
    explicit Opened(int bpp) : SdlSurface(W, H, bpp, false) { video = videoSurface(); }
};

// The bytes of one pixel as they stand in the video memory.
std::vector<Uint8> pixelBytes(int x, int y)
{
    SDL_Surface* s = video;
    const int n = s->format->BytesPerPixel;
    const Uint8* p = static_cast<const Uint8*>(s->pixels) + y * s->pitch + x * n;
    return std::vector<Uint8>(p, p + n);
}

// The bytes that a pixel value must be stored as, least significant first
// (on this little-endian machine the 2- and 4-byte stores read the same way).
std::vector<Uint8> expectedBytes(Uint32 value, int n)
{
    std::vector<Uint8> bytes;
    for (int i = 0; i < n; ++i)
        bytes.push_back(static_cast<Uint8>(value >> (8 * i)));
    return bytes;
}

Uint32 mapped(Uint8 r, Uint8 g, Uint8 b)
{
    return SDL_MapRGB(video->format, r, g, b);
}

void fillMemory(Uint8 byte)
{
    SDL_Surface* s = video;
    std::memset(s->pixels, byte, static_cast<size_t>(s->pitch) * s->h);
}

class SdlSurfaceDepth : public testing::TestWithParam<int> {};

TEST_P(SdlSurfaceDepth, OpensTheRequestedSizeAndDepth)
{
    Opened surface(GetParam());
    EXPECT_EQ(surface.getWidth(), W);
    EXPECT_EQ(surface.getHeight(), H);
    EXPECT_EQ(video->format->BitsPerPixel, GetParam());
}

TEST_P(SdlSurfaceDepth, PutPixelStoresTheMappedValueAndNothingElse)
{
    Opened surface(GetParam());
    const int n = video->format->BytesPerPixel;

    struct Case {
        int x, y;
        Surface::Color color;
        Uint8 r, g, b; // what the colour must map as
    };
    const Case cases[] = {
        {0, 0, {255, 255, 255}, 255, 255, 255},         // top-left
        {W - 1, H - 1, {10, 200, 30}, 10, 200, 30},     // bottom-right
        {7, 3, {256, -1, 0}, 0, 255, 0},                // low 8 bits only
        {8, 3, {0x1AA, 0x2BB, 0x3CC}, 0xAA, 0xBB, 0xCC},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "pixel " << c.x << "," << c.y);
        fillMemory(0x5A);
        surface.lock();
        surface.putPixel(c.x, c.y, c.color);
        surface.unlock();

        EXPECT_EQ(pixelBytes(c.x, c.y), expectedBytes(mapped(c.r, c.g, c.b), n));
        // Every other byte of the picture is untouched.
        SDL_Surface* s = video;
        const Uint8* mem = static_cast<const Uint8*>(s->pixels);
        const int at = c.y * s->pitch + c.x * n;
        for (int i = 0; i < s->pitch * s->h; ++i) {
            if (i < at || i >= at + n) {
                ASSERT_EQ(mem[i], 0x5A) << "byte " << i;
            }
        }
    }
}

TEST_P(SdlSurfaceDepth, ClearSetsEveryPixelToZero)
{
    Opened surface(GetParam());
    fillMemory(0xFF);
    surface.clear();
    SDL_Surface* s = video;
    const Uint8* mem = static_cast<const Uint8*>(s->pixels);
    for (int y = 0; y < H; ++y)
        for (int i = 0; i < W * s->format->BytesPerPixel; ++i)
            ASSERT_EQ(mem[y * s->pitch + i], 0) << "row " << y << " byte " << i;
}

TEST_P(SdlSurfaceDepth, FillRectCoversTheHalfOpenRectangle)
{
    Opened surface(GetParam());
    const int n = video->format->BytesPerPixel;
    const std::vector<Uint8> black(n, 0);
    const std::vector<Uint8> red = expectedBytes(mapped(255, 0, 0), n);

    struct Case {
        int x1, y1, x2, y2;
        int left, top, right, bottom; // the pixels expected to be red
    };
    const Case cases[] = {
        {2, 1, 5, 4, 2, 1, 5, 4},
        {3, 3, 3, 6, 0, 0, 0, 0},       // zero width: nothing
        {3, 3, 6, 3, 0, 0, 0, 0},       // zero height: nothing
        {-2, -2, 2, 2, 0, 0, 2, 2},     // clipped by SDL at the top-left
        {14, 6, 40, 40, 14, 6, W, H},   // clipped at the bottom-right
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "rect " << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2);
        surface.clear();
        Surface::Color color{255, 0, 0};
        surface.fillRect(c.x1, c.y1, c.x2, c.y2, color);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const bool inside = x >= c.left && x < c.right && y >= c.top && y < c.bottom;
                ASSERT_EQ(pixelBytes(x, y), inside ? red : black) << "at " << x << "," << y;
            }
    }
}

TEST_P(SdlSurfaceDepth, PutPixelRowAndPutPixelsDrawWhatPutPixelDraws)
{
    Opened surface(GetParam());
    const uint32_t row[] = {0xFFFFFF, 0x000000, 0xAABBCC, 0x123456, 0xFF0000, 0x00FF00, 0x0000FF};
    const int n = 7;

    fillMemory(0x5A);
    surface.lock();
    for (int i = 0; i < n; ++i)
        surface.putPixel(3 + i, 5, Surface::Color{static_cast<int32_t>(row[i] >> 16),
                                                  static_cast<int32_t>((row[i] >> 8) & 0xFF),
                                                  static_cast<int32_t>(row[i] & 0xFF)});
    surface.unlock();
    SDL_Surface* s = video;
    const Uint8* mem = static_cast<const Uint8*>(s->pixels);
    const std::vector<Uint8> byPixel(mem, mem + s->pitch * s->h);

    fillMemory(0x5A);
    surface.lock();
    surface.putPixelRow(3, 5, row, n);
    surface.putPixelRow(0, 0, row, 0); // an empty row draws nothing
    surface.unlock();
    const std::vector<Uint8> byRow(mem, mem + s->pitch * s->h);
    EXPECT_EQ(byRow, byPixel);

    // The same pixels given apart, in another order, after another colour
    // at one of them: the later store wins.
    Surface::Point at[n + 1];
    uint32_t rgb[n + 1];
    at[0] = Surface::Point{3 + 4, 5};
    rgb[0] = 0xFF00FF;
    for (int i = 0; i < n; ++i) {
        const int j = (i * 3) % n; // 0, 3, 6, 2, 5, 1, 4
        at[i + 1] = Surface::Point{3 + j, 5};
        rgb[i + 1] = row[j];
    }
    fillMemory(0x5A);
    surface.lock();
    surface.putPixels(at, rgb, n + 1);
    surface.putPixels(at, rgb, 0); // none draws nothing
    surface.unlock();
    EXPECT_EQ(std::vector<Uint8>(mem, mem + s->pitch * s->h), byPixel);
}

#if SDL_MAJOR_VERSION >= 2
// SDL 2's window surface has the display's format, here 32 bits.
INSTANTIATE_TEST_SUITE_P(BitsPerPixel, SdlSurfaceDepth, testing::Values(32));
#else
INSTANTIATE_TEST_SUITE_P(BitsPerPixel, SdlSurfaceDepth, testing::Values(8, 16, 24, 32));

TEST(SdlSurface, ThreeBytePixelsAreStoredLeastSignificantByteFirst)
{
    Opened surface(24);
    SDL_PixelFormat* f = video->format;
    ASSERT_EQ(f->BytesPerPixel, 3);
    ASSERT_EQ(f->Rmask, 0xFF0000u);  // so that (AA, BB, CC) maps to 0x00AABBCC
    ASSERT_EQ(f->Bmask, 0x0000FFu);
    surface.lock();
    surface.putPixel(4, 2, Surface::Color{0xAA, 0xBB, 0xCC});
    surface.unlock();
    EXPECT_EQ(pixelBytes(4, 2), (std::vector<Uint8>{0xCC, 0xBB, 0xAA}));
}

TEST(SdlSurface, ModeFlagsAskForHardwareDoubleBufferingInAnyFormat)
{
    EXPECT_EQ(SdlDisplay::modeFlags(false), 0x50000001u);
    EXPECT_EQ(SdlDisplay::modeFlags(true), 0xD0000001u);
}
#endif

TEST(SdlSurface, UnimplementedShapesWarnOnceAPerCall)
{
    Opened surface(32);
    surface.clear();
    Surface::Color c{1, 2, 3};
    testing::internal::CaptureStderr();
    surface.drawLine(0, 0, 5, 5, c);
    surface.drawCircle(3, 3, 2, c);
    surface.drawLine(1, 1, 2, 2, c);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING: SdlSurface::drawLine() not implemented\n"
              "WARNING: SdlSurface::drawCircle() not implemented\n"
              "WARNING: SdlSurface::drawLine() not implemented\n");
    // and nothing was drawn
    const std::vector<Uint8> black(4, 0);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            ASSERT_EQ(pixelBytes(x, y), black);
}

} // namespace
