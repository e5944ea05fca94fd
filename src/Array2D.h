// SPDX-License-Identifier: MIT
#ifndef NIMBREL_ARRAY2D_H
#define NIMBREL_ARRAY2D_H

#include <cstddef>
#include <cstdint>
#include <limits>
#include <new>

// Thrown by Array2D for a column index outside the array.
class IllegalOffset {
public:
    int32_t xOffset;
    int32_t yOffset;
};

// A fixed grid stored column by column: element (x, y) at x * sizeY + y.
// array[x] checks x and yields the column, which y indexes unchecked.
template <class T>
class Array2D {
public:
    Array2D(int sizeX, int sizeY, T initial)
        : data(nullptr), sizeY(sizeY), sizeX(sizeX), size(0)
    {
        // Refuse what an int32 count cannot hold rather than let it wrap.
        const int64_t count = static_cast<int64_t>(sizeX) * sizeY;
        if (sizeX < 0 || sizeY < 0 || count > std::numeric_limits<int32_t>::max())
            throw std::bad_alloc();
        size = static_cast<int32_t>(count);
        data = new T[static_cast<std::size_t>(size)];
        for (int32_t i = 0; i < size; ++i)
            data[i] = initial;
    }

    ~Array2D() { delete[] data; }

    Array2D(const Array2D&) = delete;
    Array2D& operator=(const Array2D&) = delete;

    T* operator[](int x)
    {
        // A negative x is refused as well as one past the end.
        if (x >= sizeX || x < 0)
            throw IllegalOffset{x, -1};
        return data + static_cast<std::size_t>(x) * sizeY;
    }

    int32_t getSizeX() const { return sizeX; }
    int32_t getSizeY() const { return sizeY; }

private:
    T* data;
    int32_t sizeY;
    int32_t sizeX;
    int32_t size;
};

#endif
