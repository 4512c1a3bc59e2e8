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

// Calls `visit(position)` for every `c` in `text`, in order, scanning each 16 bytes once; stops early when
// `visit` returns false.
template <typename Visit>
inline void for_each_byte(std::string_view text, char c, Visit&& visit) {
    const char* const data = text.data();
    size_t at = 0;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(c);
    for (; text.size() - at >= 16; at += 16) {
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at)), wanted)));
        while (mask != 0) {
            if (!visit(at + static_cast<size_t>(__builtin_ctz(mask))))
                return;
            mask &= mask - 1;
        }
    }
#endif
    for (; at < text.size(); ++at) {
        if (data[at] == c && !visit(at))
            return;
    }
}

// Number of blanks and tabs at the start of `text`; indentation is mostly blanks, taken eight at a time.
inline size_t leading_blanks(std::string_view text) {
    static constexpr char kEight[] = "        ";
    size_t n = 0;
    while (text.size() - n >= 8 && __builtin_memcmp(text.data() + n, kEight, 8) == 0)
        n += 8;
    while (n < text.size() && (text[n] == ' ' || text[n] == '\t'))
        ++n;
    return n;
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
