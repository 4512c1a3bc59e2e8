// Fast searches over the input, which is scanned byte by byte more than anything else in a run.
#pragma once

#include <cstddef>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lurendo {

// First CR or LF in [from, to), or `to`.
inline const char* find_line_end(const char* from, const char* to) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (to - from >= 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const int mask =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf)));
        if (mask != 0)
            return from + __builtin_ctz(static_cast<unsigned>(mask));
        from += 16;
    }
#endif
    for (; from < to; ++from) {
        if (*from == '\r' || *from == '\n')
            return from;
    }
    return to;
}

// First `c` in [from, to), or `to`. Inline and cheap to start: most searches here span a few dozen bytes,
// where a library call costs more than the scan.
inline const char* find_byte(const char* from, const char* to, char c) {
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(c);
    while (to - from >= 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(chunk, wanted));
        if (mask != 0)
            return from + __builtin_ctz(static_cast<unsigned>(mask));
        from += 16;
    }
#endif
    for (; from < to; ++from) {
        if (*from == c)
            return from;
    }
    return to;
}

// Position of the first `c` in `text` at or after `pos`, or npos.
inline size_t find_byte(std::string_view text, char c, size_t pos = 0) {
    if (pos >= text.size())
        return std::string_view::npos;
    const char* const end = text.data() + text.size();
    const char* hit = find_byte(text.data() + pos, end, c);
    return hit == end ? std::string_view::npos : static_cast<size_t>(hit - text.data());
}

}  // namespace lurendo
