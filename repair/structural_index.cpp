#include "repair/structural_index.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// Where the compiler can build a function for AVX2 alone, the index takes 64 bytes in two loads on machines
// that have it; others keep the baseline. As simdjson does with its kernels, the machine is asked once, at
// run time, so that one build serves every x86-64 machine.
#if defined(__x86_64__) && defined(__GNUC__)
#define LURENDO_AVX2_INDEX 1
#include <immintrin.h>
#endif

namespace lurendo {

namespace {

// Bits of the 64 bytes at `p` that are CR or LF, and that are "<".
struct Classes {
    uint64_t line_ends;
    uint64_t opens;
};

Classes classify_portable(const char* p, size_t n) {
    Classes classes{0, 0};
    for (size_t i = 0; i < n; ++i) {
        const uint64_t bit = uint64_t{1} << i;
        if (p[i] == '\r' || p[i] == '\n')
            classes.line_ends |= bit;
        else if (p[i] == '<')
            classes.opens |= bit;
    }
    return classes;
}

#if defined(__SSE2__)
Classes classify_64(const char* p) {
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i open = _mm_set1_epi8('<');
    Classes classes{0, 0};
    for (int part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
        const auto ends = static_cast<uint32_t>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, lf))));
        const auto opens = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, open)));
        classes.line_ends |= uint64_t{ends} << (16 * part);
        classes.opens |= uint64_t{opens} << (16 * part);
    }
    return classes;
}
#else
Classes classify_64(const char* p) {
    return classify_portable(p, 64);
}
#endif

void classify_words(const char* data, size_t whole, StructuralIndex::Bits* words) {
    for (size_t word = 0; word < whole; ++word) {
        const Classes classes = classify_64(data + word * 64);
        words[word] = {classes.line_ends, classes.opens};
    }
}

#if defined(LURENDO_AVX2_INDEX)
// The bits of the 32 bytes at `p`, in the low half of each word.
__attribute__((target("avx2"))) inline StructuralIndex::Bits classify_32(const char* p) {
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i ends = _mm256_or_si256(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\r')),
                                         _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\n')));
    const __m256i opens = _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('<'));
    return {static_cast<uint32_t>(_mm256_movemask_epi8(ends)),
            static_cast<uint32_t>(_mm256_movemask_epi8(opens))};
}

__attribute__((target("avx2"))) void classify_words_avx2(const char* data, size_t whole,
                                                         StructuralIndex::Bits* words) {
    for (size_t word = 0; word < whole; ++word) {
        const StructuralIndex::Bits low = classify_32(data + word * 64);
        const StructuralIndex::Bits high = classify_32(data + word * 64 + 32);
        words[word] = {low.line_ends | high.line_ends << 32, low.opens | high.opens << 32};
    }
}

bool has_avx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

}  // namespace

void StructuralIndex::build(const char* data, size_t size, bool widest) {
    size_ = size;
    const size_t whole = size / 64;
    words_.resize(whole + 2);
#if defined(LURENDO_AVX2_INDEX)
    if (widest && has_avx2())
        classify_words_avx2(data, whole, words_.data());
    else
        classify_words(data, whole, words_.data());
#else
    (void)widest;
    classify_words(data, whole, words_.data());
#endif
    const Classes rest = classify_portable(data + whole * 64, size - whole * 64);
    words_[whole] = {rest.line_ends, rest.opens};
    words_[whole + 1] = {0, 0};
}

}  // namespace lurendo
