// SPDX-License-Identifier: MIT
#ifndef NIMBREL_VECTOR2D_H
#define NIMBREL_VECTOR2D_H

// A point or a displacement in surface pixels: x to the right, y downwards.
class Vector2D {
public:
    float x;
    float y;

    Vector2D(float x, float y);
    Vector2D(int x, int y);
    // Copied as the two floats: drops and their tails move as plain bytes.
    Vector2D(const Vector2D& other) = default;
    Vector2D& operator=(const Vector2D& other) = default;

    // Every drop adds its velocity each step: kept where callers inline it.
    Vector2D& operator+=(const Vector2D& other)
    {
        x += other.x;
        y += other.y;
        return *this;
    }
    Vector2D& operator-=(const Vector2D& other);
    Vector2D& operator*=(float f);
    Vector2D& operator*=(int n);
};

inline Vector2D operator+(const Vector2D& a, const Vector2D& b)
{
    Vector2D sum(a);
    sum += b;
    return sum;
}

#endif
