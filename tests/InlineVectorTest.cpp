// SPDX-License-Identifier: MIT
#include "InlineVector.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

struct Item {
    int a;
    float b;
};

template <std::size_t N>
void expectSame(const InlineVector<Item, N>& v, const std::vector<Item>& model)
{
    ASSERT_EQ(v.size(), model.size());
    ASSERT_GE(v.capacity(), v.size());
    for (std::size_t i = 0; i < model.size(); ++i) {
        EXPECT_EQ(v[i].a, model[i].a) << "at " << i;
        EXPECT_EQ(v[i].b, model[i].b) << "at " << i;
    }
}

} // namespace

// Random edits, mirrored on a std::vector: inserts anywhere (the front most
// often, as tails grow), cuts, pops, copies and moves, with room for three so
// that the elements move to the heap and copies come back into the room.
TEST(InlineVector, BehavesLikeAVectorInsideAndBeyondItsRoom)
{
    std::mt19937 random(7);
    InlineVector<Item, 3> v;
    std::vector<Item> model;
    for (int step = 0; step < 20000; ++step) {
        const int op = static_cast<int>(random() % 10);
        if (op < 4 || model.empty()) {
            const std::size_t at = op < 2 || model.empty() ? 0 : random() % (model.size() + 1);
            const Item item{step, step * 0.5f};
            EXPECT_EQ(v.insert(v.begin() + at, item)->a, step);
            model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), item);
        } else if (op < 6) {
            const std::size_t first = random() % model.size();
            const std::size_t last = first + random() % (model.size() - first + 1);
            EXPECT_EQ(v.erase(v.begin() + first, v.begin() + last), v.begin() + first);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(first),
                        model.begin() + static_cast<std::ptrdiff_t>(last));
        } else if (op < 7) {
            v.pop_back();
            model.pop_back();
        } else if (op < 8) {
            InlineVector<Item, 3> copy(v);
            v = InlineVector<Item, 3>{}; // the copy must not share storage
            v = copy;
        } else if (op < 9) {
            InlineVector<Item, 3> moved(std::move(v));
            v = std::move(moved);
        } else if (model.size() > 8) {
            v.clear();
            model.clear();
        }
        expectSame(v, model);
        if (HasFatalFailure())
            return;
    }
}

// A pushed element that is itself in the vector is read before the shift.
TEST(InlineVector, InsertsACopyOfItsOwnElement)
{
    InlineVector<Item, 2> v{{1, 1.0f}, {2, 2.0f}};
    v.insert(v.begin(), v.back()); // moves to the heap on the way
    v.insert(v.begin(), v.back());
    expectSame(v, {{2, 2.0f}, {2, 2.0f}, {1, 1.0f}, {2, 2.0f}});
}
