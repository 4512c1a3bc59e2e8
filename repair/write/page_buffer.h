// A growable byte buffer whose bytes start on a page boundary. A write that bypasses the page cache wants
// its memory, its length and its file offset aligned; the output fills buffers of this kind so that the
// file can hand whole pages of them to the disk as they are, without a copy.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

namespace lurendo {

class PageBuffer {
  public:
    static constexpr size_t kPage = 4096;

    PageBuffer() = default;
    PageBuffer(PageBuffer&& other) noexcept
        : bytes_(std::move(other.bytes_)),
          size_(std::exchange(other.size_, 0)),
          capacity_(std::exchange(other.capacity_, 0)) {}
    PageBuffer& operator=(PageBuffer&& other) noexcept {
        bytes_ = std::move(other.bytes_);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
        return *this;
    }

    const char* data() const { return bytes_.get(); }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    size_t capacity() const { return capacity_; }

    // Makes room for `capacity` bytes in all, keeping the bytes there are; throws std::bad_alloc.
    void reserve(size_t capacity);
    // The buffer grows by `count` bytes, which the caller then writes at the place returned.
    char* extend(size_t count) {
        if (count > capacity_ - size_)
            reserve(size_ + count > 2 * capacity_ ? size_ + count : 2 * capacity_);
        char* const place = bytes_.get() + size_;
        size_ += count;
        return place;
    }
    void append(std::string_view text) {
        if (!text.empty())
            std::memcpy(extend(text.size()), text.data(), text.size());
    }
    void clear() { size_ = 0; }
    // Keeps the first `size` bytes only.
    void truncate(size_t size) { size_ = size < size_ ? size : size_; }

  private:
    struct Free {
        void operator()(char* bytes) const { std::free(bytes); }
    };
    std::unique_ptr<char[], Free> bytes_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

}  // namespace lurendo
