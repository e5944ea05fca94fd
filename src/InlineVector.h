// SPDX-License-Identifier: MIT
#ifndef NIMBREL_INLINEVECTOR_H
#define NIMBREL_INLINEVECTOR_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <new>
#include <type_traits>

// A vector whose first N elements live inside the object itself, and only a
// longer one on the heap. Each step walks every drop's tail: kept inside the
// drop, a tail comes with it, in order, instead of from a block of its own
// somewhere on the heap. Elements are plain data, copied as bytes.
template <class T, std::size_t N>
class InlineVector {
    static_assert(std::is_trivially_copyable<T>::value, "elements are copied as bytes");
    static_assert(N > 0, "room for one element at least");

public:
    using reverse_iterator = std::reverse_iterator<T*>;
    using const_reverse_iterator = std::reverse_iterator<const T*>;

    InlineVector() = default;
    InlineVector(std::initializer_list<T> items) { assign(items.begin(), items.size()); }
    InlineVector(const InlineVector& other) { assign(other.data(), other.size()); }
    InlineVector(InlineVector&& other) noexcept { take(other); }
    ~InlineVector() { release(); }

    InlineVector& operator=(const InlineVector& other)
    {
        if (this != &other)
            assign(other.data(), other.size());
        return *this;
    }
    InlineVector& operator=(InlineVector&& other) noexcept
    {
        if (this != &other) {
            release();
            take(other);
        }
        return *this;
    }
    InlineVector& operator=(std::initializer_list<T> items)
    {
        assign(items.begin(), items.size());
        return *this;
    }

    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    std::size_t capacity() const { return heap ? room : N; }

    T* data() { return heap ? heap : local(); }
    const T* data() const { return heap ? heap : local(); }
    T* begin() { return data(); }
    T* end() { return data() + count; }
    const T* begin() const { return data(); }
    const T* end() const { return data() + count; }
    reverse_iterator rbegin() { return reverse_iterator(end()); }
    reverse_iterator rend() { return reverse_iterator(begin()); }
    const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
    const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }
    T& operator[](std::size_t i) { return data()[i]; }
    const T& operator[](std::size_t i) const { return data()[i]; }
    T& front() { return data()[0]; }
    const T& front() const { return data()[0]; }
    T& back() { return data()[count - 1]; }
    const T& back() const { return data()[count - 1]; }

    void reserve(std::size_t n)
    {
        if (n > capacity())
            grow(n);
    }
    void clear() { count = 0; }
    void pop_back() { --count; }

    T* insert(const T* at, const T& value)
    {
        const std::size_t i = static_cast<std::size_t>(at - data());
        const T copy = value; // value may be an element that the shift moves
        if (count == capacity())
            grow(std::max<std::size_t>(2 * capacity(), 2 * N));
        T* p = data();
        if (i == 0 && !heap) {
            // The usual case, at the front: a shift of fixed size is a few
            // moves, through a copy, which compilers inline where they would
            // call memmove.
            unsigned char moved[(N > 1 ? N - 1 : 1) * sizeof(T)];
            std::memcpy(moved, storage, (N - 1) * sizeof(T));
            std::memcpy(storage + sizeof(T), moved, (N - 1) * sizeof(T));
        } else {
            std::memmove(static_cast<void*>(p + i + 1), p + i, (count - i) * sizeof(T));
        }
        p[i] = copy;
        ++count;
        return p + i;
    }
    T* erase(const T* first, const T* last)
    {
        T* p = data();
        const std::size_t i = static_cast<std::size_t>(first - p);
        const std::size_t j = static_cast<std::size_t>(last - p);
        if (j < count) // a cut at the end moves nothing
            std::memmove(static_cast<void*>(p + i), p + j, (count - j) * sizeof(T));
        count -= static_cast<uint32_t>(j - i);
        return p + i;
    }

private:
    T* local() { return reinterpret_cast<T*>(storage); }
    const T* local() const { return reinterpret_cast<const T*>(storage); }

    void assign(const T* from, std::size_t n)
    {
        count = 0;
        reserve(n);
        std::memcpy(static_cast<void*>(data()), from, n * sizeof(T));
        count = static_cast<uint32_t>(n);
    }
    void take(InlineVector& other)
    {
        count = other.count;
        if (other.heap) {
            heap = other.heap;
            room = other.room;
            other.heap = nullptr;
        } else {
            // All the room, used or not: a copy of fixed size is a few moves.
            std::memcpy(storage, other.storage, sizeof storage);
        }
        other.count = 0;
    }
    void grow(std::size_t n)
    {
        T* bigger = static_cast<T*>(std::malloc(n * sizeof(T)));
        if (!bigger)
            throw std::bad_alloc();
        std::memcpy(static_cast<void*>(bigger), data(), count * sizeof(T));
        release();
        heap = bigger;
        room = static_cast<uint32_t>(n);
    }
    void release()
    {
        std::free(heap);
        heap = nullptr;
    }

    T* heap = nullptr;
    uint32_t count = 0;
    uint32_t room = 0; // of the heap block, when there is one
    alignas(T) unsigned char storage[N * sizeof(T)];
};

#endif
