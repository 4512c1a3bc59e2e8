// An append-only array in fixed-size chunks: growing never copies what is stored, so a long track does not
// briefly need twice its memory the way a doubling vector does.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace lurendo {

template <typename T, size_t ChunkSize = 2048>
class ChunkedArray {
  public:
    void push_back(const T& value) {
        if (size_ % ChunkSize == 0)
            chunks_.push_back(std::make_unique_for_overwrite<T[]>(ChunkSize));  // each entry is written once
        chunks_[size_ / ChunkSize][size_ % ChunkSize] = value;
        ++size_;
    }
    const T& operator[](size_t i) const { return chunks_[i / ChunkSize][i % ChunkSize]; }
    T& operator[](size_t i) { return chunks_[i / ChunkSize][i % ChunkSize]; }
    size_t size() const { return size_; }
    void clear() {
        chunks_.clear();
        size_ = 0;
    }

  private:
    std::vector<std::unique_ptr<T[]>> chunks_;
    size_t size_ = 0;
};

}  // namespace lurendo
