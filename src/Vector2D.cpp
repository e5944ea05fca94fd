// SPDX-License-Identifier: MIT
#include "Vector2D.h"

Vector2D::Vector2D(float x, float y) : x(x), y(y) {}

// Rounds to the nearest float above 2^24, as the conversion does.
Vector2D::Vector2D(int x, int y) : x(static_cast<float>(x)), y(static_cast<float>(y)) {}

Vector2D& Vector2D::operator-=(const Vector2D& other)
{
    x -= other.x;
    y -= other.y;
    return *this;
}

Vector2D& Vector2D::operator*=(float f)
{
    x *= f;
    y *= f;
    return *this;
}

Vector2D& Vector2D::operator*=(int n)
{
    // A 24-bit mantissa times a 32-bit integer fits the 64-bit mantissa of
    // long double exactly, so the product is rounded once, to float.
    x = static_cast<float>(static_cast<long double>(x) * n);
    y = static_cast<float>(static_cast<long double>(y) * n);
    return *this;
}
