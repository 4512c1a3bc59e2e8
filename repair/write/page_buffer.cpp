#include "repair/write/page_buffer.h"

#include <new>
#include <utility>

namespace lurendo {

void PageBuffer::reserve(size_t capacity) {
    if (capacity <= capacity_)
        return;
    const size_t rounded = (capacity + kPage - 1) / kPage * kPage;
    std::unique_ptr<char[], Free> bytes(static_cast<char*>(std::aligned_alloc(kPage, rounded)));
    if (!bytes)
        throw std::bad_alloc();
    if (size_ > 0)
        std::memcpy(bytes.get(), bytes_.get(), size_);
    bytes_ = std::move(bytes);
    capacity_ = rounded;
}

}  // namespace lurendo
