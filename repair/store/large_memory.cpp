#include "repair/store/large_memory.h"

#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace lurendo {

void* allocate_large(size_t bytes) {
    if (bytes <= kHugePage / 2) {
        void* memory = std::malloc(bytes);
        if (!memory)
            throw std::bad_alloc();
        return memory;
    }
    const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* memory = std::aligned_alloc(kHugePage, rounded);
    if (!memory)
        throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Only advice: where huge pages are off, the memory works the same with ordinary pages.
    madvise(memory, rounded, MADV_HUGEPAGE);
#endif
    return memory;
}

void release_large(void* memory) {
    std::free(memory);
}

}  // namespace lurendo
