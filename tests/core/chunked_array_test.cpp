// The point store's array in chunks: every entry found again, also after the passed ones are given back.
#include <gtest/gtest.h>

#include <cstdint>

#include "repair/store/chunked_array.h"

namespace lurendo {
namespace {

TEST(ChunkedArray, EveryEntryIsFoundAgainAcrossChunksThatDoubleThenStayTheSameSize) {
    ChunkedArray<int64_t> values;
    constexpr int64_t kCount = 600'000;  // nine doubling chunks, then seven full ones
    for (int64_t i = 0; i < kCount; ++i)
        values.push_back(i * 3 + 1);
    ASSERT_EQ(values.size(), static_cast<size_t>(kCount));
    for (int64_t i = 0; i < kCount; ++i) {
        if (values[static_cast<size_t>(i)] != i * 3 + 1)
            FAIL() << "entry " << i;
    }
}

// Giving back what a reader has passed frees only chunks wholly behind it: everything from there on reads
// as before, and appending goes on. (Under AddressSanitizer a freed chunk read again is an error.)
TEST(ChunkedArray, GivingBackThePassedEntriesKeepsEveryLaterOne) {
    ChunkedArray<int64_t> values;
    size_t read = 0;
    for (int64_t i = 0; i < 700'000; ++i) {
        values.push_back(i);
        if (i % 50'000 == 49'999) {
            for (; read + 10 < values.size(); ++read)
                ASSERT_EQ(values[read], static_cast<int64_t>(read));
            values.release_before(read);
        }
    }
    for (; read < values.size(); ++read)
        ASSERT_EQ(values[read], static_cast<int64_t>(read));
}

}  // namespace
}  // namespace lurendo
