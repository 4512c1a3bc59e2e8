// An append-only array in chunks: growing never copies what is stored, and since a chunk never moves, a
// reader on another thread may read every entry published to it while more are appended. Chunks double
// in size up to kMaxChunk entries, then stay that size, so that a reader that is done with the oldest
// entries can give their memory back (release_before) and a long track is held in bounded memory. Chunks
// given back are kept for reuse, a few at a time: a fresh chunk costs the system clearing its pages, which
// was a tenth of a long run.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <memory>
#include <type_traits>

#include "common/threads/spare_pool.h"
#include "repair/store/large_memory.h"

namespace lurendo {

template <typename T>
class ChunkedArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

  public:
    // Chunk k < kDoublings holds kFirstChunk << k entries, from kFirstChunk * (2^k - 1) on; every later
    // chunk holds kMaxChunk, as many as one huge page holds, near enough: a new chunk then costs the system
    // clearing no more memory than it holds.
    static constexpr size_t kFirstChunk = kHugePage / sizeof(T) / 256 > 0 ? kHugePage / sizeof(T) / 256 : 1;
    static constexpr size_t kMaxChunk = kFirstChunk * 256;
    static constexpr int kDoublings = std::countr_zero(kMaxChunk / kFirstChunk) + 1;
    static constexpr size_t kDoubledEntries = kFirstChunk * ((size_t{1} << kDoublings) - 1);
    // The size of a cache line on the machines this runs on, for keeping apart what two threads change.
    static constexpr size_t kCacheLine = 64;

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
        while (chunk_end(released_) <= end) {
            Chunk& done = slot(released_++);
            if (released_ > static_cast<size_t>(kDoublings) && keep_spare(done.get()))
                done.release();
            else
                done.reset();
        }
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
    // Only full-size chunks come back as spares. The spares live apart from the array, which a finished run
    // may move, and are freed with it.
    struct Spares {
        SparePool<void, 4> pool;
        ~Spares() {
            while (void* spare = pool.take())
                release_large(spare);
        }
    };
    bool keep_spare(void* chunk) { return spares_->pool.give(chunk); }
    void* take_spare() { return spares_->pool.take(); }
    void add_chunk() {
        if (chunks_used_ == first_.size() && !rest_) {
            rest_ = std::make_unique<Chunk[]>(kMaxChunks - first_.size());
            spares_ = std::make_unique<Spares>();
        }
        const bool full_size = chunks_used_ >= static_cast<size_t>(kDoublings);
        const size_t count = full_size ? kMaxChunk : kFirstChunk << chunks_used_;
        void* spare = full_size ? take_spare() : nullptr;
        // Each entry is written whole before it is read: the memory needs no clearing.
        slot(chunks_used_).reset(spare ? spare : allocate_large(count * sizeof(T)));
        current_ = static_cast<T*>(slot(chunks_used_).get());
        current_start_ = size_;
        next_start_ = size_ + count;
        ++chunks_used_;
    }

    // What a reader on another thread reads at every entry: the table of chunks.
    std::array<Chunk, kDoublings> first_;
    std::unique_ptr<Chunk[]> rest_;
    std::unique_ptr<Spares> spares_;  // made with rest_: only chunks kept there come back
    size_t released_ = 0;             // the reader's: chunks before this one have been freed
    // What the appending thread changes at every entry, on cache lines of its own. Had the two shared a
    // line, every entry appended would take it from the reader's core and every entry read would take it
    // back: whether they did depended on where the array happened to lie, and a run that drew such a place
    // took half as long again.
    alignas(kCacheLine) T* current_ = nullptr;
    size_t current_start_ = 0;
    size_t next_start_ = 0;
    size_t size_ = 0;
    size_t chunks_used_ = 0;
};

}  // namespace lurendo
