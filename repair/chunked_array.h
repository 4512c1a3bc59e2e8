// An append-only array in chunks that double in size: growing never copies what is stored, so a long track
// does not briefly need twice its memory the way a doubling vector does; and since a chunk never moves, a
// reader on another thread may read every entry published to it while more are appended.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <memory>
#include <type_traits>

#include "repair/large_memory.h"

namespace lurendo {

template <typename T>
class ChunkedArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

  public:
    // Chunk k holds kFirstChunk << k entries, from kFirstChunk * (2^k - 1) on.
    static constexpr size_t kFirstChunk = 256;

    void push_back(const T& value) {
        if (size_ == next_start_)
            add_chunk();
        current_[size_ - current_start_] = value;
        ++size_;
    }
    const T& operator[](size_t i) const {
        const int k = std::bit_width(i / kFirstChunk + 1) - 1;
        return chunk(k)[i - kFirstChunk * ((size_t{1} << k) - 1)];
    }
    size_t size() const { return size_; }

  private:
    // Chunk k, 0 <= k < 50, covers far more entries than any memory holds.
    static constexpr size_t kMaxChunks = 50;

    const T* chunk(int k) const { return static_cast<const T*>(chunks_[static_cast<size_t>(k)].get()); }
    void add_chunk() {
        const size_t count = kFirstChunk << chunks_used_;
        // Each entry is written whole before it is read: the memory needs no clearing.
        chunks_[chunks_used_].reset(allocate_large(count * sizeof(T)));
        current_ = static_cast<T*>(chunks_[chunks_used_].get());
        current_start_ = size_;
        next_start_ = size_ + count;
        ++chunks_used_;
    }

    std::array<std::unique_ptr<void, LargeMemoryRelease>, kMaxChunks> chunks_;
    size_t chunks_used_ = 0;
    T* current_ = nullptr;
    size_t current_start_ = 0;
    size_t next_start_ = 0;
    size_t size_ = 0;
};

}  // namespace lurendo
