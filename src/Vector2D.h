#ifndef NIMBREL_VECTOR2D_H
#define NIMBREL_VECTOR2D_H

// A point or a displacement in surface pixels: x to the right, y downwards.
class Vector2D {
public:
    float x;
    float y;

    Vector2D(float x, float y);
    Vector2D(int x, int y);
    Vector2D(const Vector2D& other);
    Vector2D& operator=(const Vector2D& other);

    Vector2D& operator+=(const Vector2D& other);
    Vector2D& operator-=(const Vector2D& other);
    Vector2D& operator*=(float f);
    Vector2D& operator*=(int n);
};

Vector2D operator+(const Vector2D& a, const Vector2D& b);

#endif
