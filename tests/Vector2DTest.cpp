// SPDX-License-Identifier: MIT
#include "Vector2D.h"

#include <gtest/gtest.h>

namespace {

void expectVector(const Vector2D& v, float x, float y)
{
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
}

TEST(Vector2D, IntConstructorRoundsLikeAFloatConversion)
{
    expectVector(Vector2D(16777217, 1), 16777216.0f, 1.0f);
    expectVector(Vector2D(-3, 7), -3.0f, 7.0f);
}

TEST(Vector2D, InPlaceArithmetic)
{
    Vector2D a(3.0f, 1.0f);
    a -= Vector2D(1.0f, 5.0f); // right from left
    expectVector(a, 2.0f, -4.0f);

    Vector2D b(1.5f, -2.0f);
    b += b; // x is finished before y is read
    expectVector(b, 3.0f, -4.0f);

    Vector2D c(0.5f, 0.25f);
    c *= 3;
    expectVector(c, 1.5f, 0.75f);

    Vector2D d(1.0f, 3.0f);
    d *= 0.5f;
    expectVector(d, 0.5f, 1.5f);

    Vector2D e(1.0f, 1.0f);
    (e += Vector2D(1.0f, 0.0f)) += Vector2D(0.0f, 2.0f); // returns the updated vector
    expectVector(e, 2.0f, 3.0f);
}

TEST(Vector2D, IntMultiplicationRoundsOnceFromTheExactProduct)
{
    // 16777217 is not a float: converting it first would give 3 * 16777216 =
    // 50331648, while the exact product 50331651 rounds to 50331652.
    Vector2D v(3.0f, 1.0f);
    v *= 16777217;
    expectVector(v, 50331652.0f, 16777216.0f);
}

TEST(Vector2D, SumLeavesBothOperandsAlone)
{
    const Vector2D a(10.0f, 20.0f);
    const Vector2D b(0.25f, 0.75f);
    expectVector(a + b, 10.25f, 20.75f);
    expectVector(a, 10.0f, 20.0f);
    expectVector(b, 0.25f, 0.75f);
}

} // namespace
