// The pool of spare pieces passed between two threads: it keeps no more than its places, and every piece
// given to it comes out exactly once, with what was written into it before it was given.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "common/threads/spare_pool.h"

namespace lurendo {
namespace {

TEST(SparePool, KeepsAsManyPiecesAsItHasPlacesAndGivesEachBackOnce) {
    SparePool<int, 3> pool;
    EXPECT_EQ(pool.take(), nullptr);
    int pieces[4] = {};
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(pool.give(&pieces[i]));
    EXPECT_FALSE(pool.give(&pieces[3])) << "every place is taken";
    std::vector<bool> back(4, false);
    for (int i = 0; i < 3; ++i) {
        int* piece = pool.take();
        ASSERT_NE(piece, nullptr);
        const auto index = static_cast<size_t>(piece - pieces);
        ASSERT_LT(index, 3u);
        EXPECT_FALSE(back[index]) << "piece " << index << " came back twice";
        back[index] = true;
    }
    EXPECT_EQ(pool.take(), nullptr);
    EXPECT_TRUE(pool.give(&pieces[3])) << "a place taken from is free again";
}

// One thread gives pieces it has just written, another takes them as they come. Every piece ends in exactly
// one place: taken by the other thread, refused and kept by the giver, or left in the pool at the end.
TEST(SparePool, BetweenTwoThreadsNoPieceIsLostOrDoubledAndItsContentArrives) {
    constexpr int kPieces = 200'000;
    std::vector<int64_t> pieces(kPieces, 0);
    SparePool<int64_t, 4> pool;
    std::vector<int> fate(kPieces, 0);  // 1 refused, 2 taken, 3 left: each written by one thread only
    std::atomic<bool> giving = true;
    std::atomic<int> taken_so_far = 0;
    std::jthread taker([&] {
        const auto take_one = [&] {
            int64_t* piece = pool.take();
            if (piece == nullptr)
                return false;
            const auto index = static_cast<size_t>(piece - pieces.data());
            EXPECT_EQ(*piece, static_cast<int64_t>(index) * 3 + 1) << "the giver's write did not arrive";
            EXPECT_EQ(fate[index], 0) << "piece " << index << " taken twice";
            fate[index] = 2;
            ++taken_so_far;
            return true;
        };
        while (giving.load())
            take_one();
    });
    std::vector<int> refused;
    for (int i = 0; i < kPieces; ++i) {
        pieces[static_cast<size_t>(i)] = int64_t{i} * 3 + 1;
        if (!pool.give(&pieces[static_cast<size_t>(i)]))
            refused.push_back(i);
    }
    // The taker may not have run yet: the pool, full by now, waits for it a while before the test ends.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (taken_so_far.load() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    giving = false;
    taker.join();
    for (const int i : refused) {
        EXPECT_EQ(fate[static_cast<size_t>(i)], 0);
        fate[static_cast<size_t>(i)] = 1;
    }
    while (int64_t* piece = pool.take()) {
        const auto index = static_cast<size_t>(piece - pieces.data());
        EXPECT_EQ(fate[index], 0) << "piece " << index << " both taken and left";
        fate[index] = 3;
    }
    int taken = 0;
    for (int i = 0; i < kPieces; ++i) {
        ASSERT_NE(fate[static_cast<size_t>(i)], 0) << "piece " << i << " was lost";
        taken += fate[static_cast<size_t>(i)] == 2;
    }
    EXPECT_GT(taken, 0);
}

}  // namespace
}  // namespace lurendo
