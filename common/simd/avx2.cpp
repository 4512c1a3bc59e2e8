#include "common/simd/avx2.h"

#if defined(LURENDO_AVX2)

#include <immintrin.h>

namespace lurendo::simd::avx2 {

namespace {

// The bits of the 32 bytes at `p`, in the low half of each word.
LURENDO_TARGET_AVX2 inline StructuralBits classify_32(const char* p) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i ends = _mm256_or_si256(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\r')),
                                         _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\n')));
    const __m256i opens = _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('<'));
    return {static_cast<uint32_t>(_mm256_movemask_epi8(ends)),
            static_cast<uint32_t>(_mm256_movemask_epi8(opens))};
}

}  // namespace

LURENDO_TARGET_AVX2 void classify_words(const char* data, size_t whole, StructuralBits* words) {
    for (size_t word = 0; word < whole; ++word) {
        const StructuralBits low = classify_32(data + word * 64);
        const StructuralBits high = classify_32(data + word * 64 + 32);
        words[word] = {low.line_ends | high.line_ends << 32, low.opens | high.opens << 32};
    }
}

bool machine_has() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

}  // namespace lurendo::simd::avx2

#endif
