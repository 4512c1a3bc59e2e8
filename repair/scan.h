// Fast searches over the input, which is scanned byte by byte more than anything else in a run.
#pragma once

#include <cstddef>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// For the small functions a search calls for every match: the compiler keeps some of them out of line,
// which costs more than their work.
#if defined(__GNUC__)
#define LURENDO_INLINE __attribute__((always_inline))
#else
#define LURENDO_INLINE
#endif

namespace lurendo {

#if defined(__SSE2__)
// Bits of the 16 bytes at `p` that are `a` or `b`.
inline unsigned match_mask(const char* p, __m128i a, __m128i b) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, a), _mm_cmpeq_epi8(chunk, b))));
}

// First `a` or `b` in [from, to), or `to`. Ranges of 16 bytes or more end with one load of their last 16
// bytes, minus those already scanned, instead of a loop over the rest byte by byte.
inline const char* find_either(const char* from, const char* to, char a, char b) {
    const __m128i wanted_a = _mm_set1_epi8(a);
    const __m128i wanted_b = _mm_set1_epi8(b);
    if (to - from >= 16) {
        for (; to - from >= 16; from += 16) {
            if (const unsigned mask = match_mask(from, wanted_a, wanted_b))
                return from + __builtin_ctz(mask);
        }
        if (from == to)
            return to;
        const auto scanned = static_cast<unsigned>(16 - (to - from));
        const unsigned mask = match_mask(to - 16, wanted_a, wanted_b) >> scanned;
        return mask != 0 ? from + __builtin_ctz(mask) : to;
    }
    for (; from < to; ++from) {
        if (*from == a || *from == b)
            return from;
    }
    return to;
}
#else
inline const char* find_either(const char* from, const char* to, char a, char b) {
    for (; from < to; ++from) {
        if (*from == a || *from == b)
            return from;
    }
    return to;
}
#endif

// First `a`, `b` or `c` in [from, to), or `to`.
inline const char* find_one_of(const char* from, const char* to, char a, char b, char c) {
#if defined(__SSE2__)
    if (to - from >= 16) {
        const __m128i wanted_a = _mm_set1_epi8(a);
        const __m128i wanted_b = _mm_set1_epi8(b);
        const __m128i wanted_c = _mm_set1_epi8(c);
        const auto mask_at = [&](const char* p) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i ab = _mm_or_si128(_mm_cmpeq_epi8(chunk, wanted_a), _mm_cmpeq_epi8(chunk, wanted_b));
            return static_cast<unsigned>(
                _mm_movemask_epi8(_mm_or_si128(ab, _mm_cmpeq_epi8(chunk, wanted_c))));
        };
        for (; to - from >= 16; from += 16) {
            if (const unsigned mask = mask_at(from))
                return from + __builtin_ctz(mask);
        }
        if (from == to)
            return to;
        // As find_either does: the last 16 bytes in one load, less those already scanned.
        const unsigned mask = mask_at(to - 16) >> static_cast<unsigned>(16 - (to - from));
        return mask != 0 ? from + __builtin_ctz(mask) : to;
    }
#endif
    for (; from < to; ++from) {
        if (*from == a || *from == b || *from == c)
            return from;
    }
    return to;
}

// First `c` in [from, to), or `to`. Inline and cheap to start: most searches here span a few dozen bytes,
// where a library call costs more than the scan.
inline const char* find_byte(const char* from, const char* to, char c) {
    return find_either(from, to, c, c);
}

// Calls `visit(position)` for every `c` in `text`, in order, scanning each 16 bytes once; stops early when
// `visit` returns false.
template <typename Visit>
inline void for_each_byte(std::string_view text, char c, Visit&& visit) {
    const char* const data = text.data();
    size_t at = 0;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(c);
    const auto matches = [&](size_t from) { return match_mask(data + from, wanted, wanted); };
    for (; text.size() - at >= 16; at += 16) {
        for (unsigned mask = matches(at); mask != 0; mask &= mask - 1) {
            if (!visit(at + static_cast<size_t>(__builtin_ctz(mask))))
                return;
        }
    }
    // The rest, shorter than 16 bytes: the last 16 bytes of the text, without those already scanned.
    if (at < text.size() && text.size() >= 16) {
        const size_t from = text.size() - 16;
        for (unsigned mask = matches(from) >> (at - from) << (at - from); mask != 0; mask &= mask - 1) {
            if (!visit(from + static_cast<size_t>(__builtin_ctz(mask))))
                return;
        }
        return;
    }
#endif
    for (; at < text.size(); ++at) {
        if (data[at] == c && !visit(at))
            return;
    }
}

// Number of blanks and tabs at the start of `text`: 16 bytes at a time while it is that long.
inline size_t leading_blanks(std::string_view text) {
    size_t n = 0;
#if defined(__SSE2__)
    const __m128i blank = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    for (; text.size() - n >= 16; n += 16) {
        const unsigned other = ~match_mask(text.data() + n, blank, tab) & 0xFFFF;
        if (other != 0)
            return n + static_cast<size_t>(__builtin_ctz(other));
    }
#endif
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
