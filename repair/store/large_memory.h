// Memory for large arrays that fill once from start to end.
#pragma once

#include <cstddef>

namespace lurendo {

// The size of a huge page; arrays that fill one exactly waste no cleared memory.
inline constexpr size_t kHugePage = size_t{2} << 20;

// Uncleared memory for `bytes`, suitably aligned for any type. Blocks of more than half a huge page ask the
// system for huge pages, so that filling them costs a page fault every 2 MB rather than every 4 KB. Throws
// std::bad_alloc when there is no memory.
void* allocate_large(size_t bytes);
void release_large(void* memory);

struct LargeMemoryRelease {
    void operator()(void* memory) const { release_large(memory); }
};

}  // namespace lurendo
