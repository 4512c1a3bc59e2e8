#include "repair/structural_index.h"

#if defined(__SSE2__)
#include <emmintrin.h>
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

}  // namespace

void StructuralIndex::build(const char* data, size_t size) {
    size_ = size;
    const size_t whole = size / 64;
    words_.resize(whole + 2);
    for (size_t word = 0; word < whole; ++word) {
        const Classes classes = classify_64(data + word * 64);
        words_[word] = {classes.line_ends, classes.opens};
    }
    const Classes rest = classify_portable(data + whole * 64, size - whole * 64);
    words_[whole] = {rest.line_ends, rest.opens};
    words_[whole + 1] = {0, 0};
}

}  // namespace lurendo
