// An append-only array in chunks: growing never copies what is stored, and since a chunk never moves, a
// reader on another thread may read every entry published to it while more are appended. Chunks double
// in size up to kMaxChunk entries, then stay that size, so that a reader that is done with the oldest
// entries can give their memory back (release_before) and a long track is held in bounded memory.
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
    // Chunk k < kDoublings holds kFirstChunk << k entries, from kFirstChunk * (2^k - 1) on; every later
    // chunk holds kMaxChunk.
    static constexpr size_t kFirstChunk = 256;
    static constexpr size_t kMaxChunk = 65536;
    static constexpr int kDoublings = std::countr_zero(kMaxChunk / kFirstChunk) + 1;
    static constexpr size_t kDoubledEntries = kFirstChunk * ((size_t{1} << kDoublings) - 1);

    void push_back(const T& value) {
        if (size_ == next_start_)
            add_chunk();
        current_[size_ - current_start_] = value;
        ++size_;
    }
    const T& operator[](size_t i) const {
        if (i < kDoubledEntries) {
            const int k = std::bit_width(i / kFirstChunk + 1) - 1;
            return chunk(k)[i - kFirstChunk * ((size_t{1} << k) - 1)];
        }
        const size_t beyond = i - kDoubledEntries;
        return chunk(kDoublings + static_cast<int>(beyond / kMaxChunk))[beyond % kMaxChunk];
    }
    size_t size() const { return size_; }

    // Frees the chunks that hold only entries before `end`; those entries must not be read again. Safe
    // beside push_back on another thread while `end` is at most the number of entries published to this
    // caller: the chunk being filled is never among them.
    void release_before(size_t end) {
        // Only this caller's own count is read: chunks_used_ belongs to the appending thread.
        while (chunk_end(released_) <= end)
            slot(released_++).reset();
    }

  private:
    // Chunk k covers entries up to, not including, chunk_end(k).
    static size_t chunk_end(size_t k) {
        if (k < static_cast<size_t>(kDoublings))
            return kFirstChunk * ((size_t{2} << k) - 1);
        return kDoubledEntries + (k - kDoublings + 1) * kMaxChunk;
    }
    // Far more entries than any memory holds.
    static constexpr size_t kMaxChunks = size_t{1} << 16;

    using Chunk = std::unique_ptr<void, LargeMemoryRelease>;
    // The doubling chunks' slots are part of the array; the table of the later ones is made only for a
    // long track, so that a short one costs no large table.
    Chunk& slot(size_t k) { return k < first_.size() ? first_[k] : rest_[k - first_.size()]; }
    const Chunk& slot(size_t k) const { return k < first_.size() ? first_[k] : rest_[k - first_.size()]; }
    const T* chunk(int k) const { return static_cast<const T*>(slot(static_cast<size_t>(k)).get()); }
    void add_chunk() {
        if (chunks_used_ == first_.size() && !rest_)
            rest_ = std::make_unique<Chunk[]>(kMaxChunks - first_.size());
        const size_t count =
            chunks_used_ < static_cast<size_t>(kDoublings) ? kFirstChunk << chunks_used_ : kMaxChunk;
        // Each entry is written whole before it is read: the memory needs no clearing.
        slot(chunks_used_).reset(allocate_large(count * sizeof(T)));
        current_ = static_cast<T*>(slot(chunks_used_).get());
        current_start_ = size_;
        next_start_ = size_ + count;
        ++chunks_used_;
    }

    std::array<Chunk, kDoublings> first_;
    std::unique_ptr<Chunk[]> rest_;
    size_t chunks_used_ = 0;
    size_t released_ = 0;  // chunks before this one have been freed
    T* current_ = nullptr;
    size_t current_start_ = 0;
    size_t next_start_ = 0;
    size_t size_ = 0;
};

}  // namespace lurendo
