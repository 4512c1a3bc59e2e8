// Every test of the compiler, the processor and the toolchain, in one place: the rest of the code asks the
// names below and never the compilers' own macros. A build configured with LURENDO_PORTABLE uses no vector
// instructions at all, so that its tests run the portable fallbacks that every other build passes over.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

// For the small functions a search calls for every match: the compiler keeps some of them out of line,
// which costs more than their work.
#if defined(__GNUC__)
#define LURENDO_INLINE __attribute__((always_inline))
#else
#define LURENDO_INLINE
#endif

// SSE2 intrinsics may be used: every x86-64 machine has them, and WebAssembly's SIMD translates them.
#if defined(__SSE2__) && !defined(LURENDO_PORTABLE)
#define LURENDO_SSE2 1
#endif

// A function may be compiled for AVX2 alone and the machine asked at run time whether it has AVX2, so that
// one build serves every x86-64 machine.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(LURENDO_PORTABLE)
#define LURENDO_AVX2 1
#define LURENDO_TARGET_AVX2 __attribute__((target("avx2")))
#endif

// A WebAssembly build without shared memory cannot start threads.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
#define LURENDO_NO_THREADS 1
#endif

namespace lurendo {

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big,
              "the byte order must be little or big endian");

// The eight bytes at `p` as one word whose lowest byte is p[0], on either byte order.
inline uint64_t load_first_byte_lowest(const char* p) {
    uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    if constexpr (std::endian::native == std::endian::big) {
#if defined(__GNUC__)
        word = __builtin_bswap64(word);
#else
        uint64_t swapped = 0;
        for (int byte = 0; byte < 8; ++byte)
            swapped |= (word >> (8 * byte) & 0xFF) << (8 * (7 - byte));
        word = swapped;
#endif
    }
    return word;
}

}  // namespace lurendo
