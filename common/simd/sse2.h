// The kernels with SSE2's 16-byte vectors, in builds that have them (see common/portability.h).
#pragma once

#include "common/portability.h"

#if defined(LURENDO_SSE2)

#include <emmintrin.h>

#include <bit>
#include <cstddef>
#include <string_view>

#include "common/simd/portable.h"
#include "common/simd/structural_bits.h"

namespace lurendo::simd::sse2 {

inline __m128i load(const char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Bit i set where byte i of `bytes` equals that of `wanted`.
inline unsigned equal_bits(__m128i bytes, __m128i wanted) {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)));
}

// Walks [from, to), at least 16 bytes, 16 at a time: `step(at, bits)` gets what `bits_at` finds in the 16
// bytes from `at` on, bit i for byte at + i, and returns true to end the walk. The bytes left over after
// the whole steps are looked at in one load of the range's last 16 bytes, instead of one by one: its bits
// are shifted so that bit 0 again stands for `at`, the first byte not yet scanned. True when a step ended
// the walk.
template <typename BitsAt, typename Step>
LURENDO_INLINE inline bool walk(const char* from, const char* to, BitsAt&& bits_at, Step&& step) {
    for (; to - from >= 16; from += 16) {
        if (step(from, bits_at(from)))
            return true;
    }
    if (from == to)
        return false;
    return step(from, bits_at(to - 16) >> static_cast<unsigned>(16 - (to - from)));
}

// The first byte in [from, to) that equals one of `wanted`, or `to`; ranges shorter than a vector go byte by
// byte.
template <typename... Bytes>
LURENDO_INLINE inline const char* find_any(const char* from, const char* to, Bytes... wanted) {
    if (to - from < 16)
        return portable::find_any(from, to, wanted...);
    const __m128i vectors[] = {_mm_set1_epi8(wanted)...};
    const auto bits_at = [&](const char* p) LURENDO_INLINE {
        const __m128i bytes = load(p);
        unsigned bits = 0;
        for (const __m128i vector : vectors)
            bits |= equal_bits(bytes, vector);
        return bits;
    };
    const char* hit = to;
    walk(from, to, bits_at, [&](const char* at, unsigned bits) LURENDO_INLINE {
        if (bits == 0)
            return false;
        hit = at + std::countr_zero(bits);
        return true;
    });
    return hit;
}

template <typename Visit>
inline void for_each_byte(std::string_view text, char c, Visit&& visit) {
    if (text.size() < 16) {
        portable::for_each_byte(text, c, visit);
        return;
    }
    const char* const data = text.data();
    const __m128i wanted = _mm_set1_epi8(c);
    walk(
        data, data + text.size(), [&](const char* p) LURENDO_INLINE { return equal_bits(load(p), wanted); },
        [&](const char* at, unsigned bits) LURENDO_INLINE {
            for (; bits != 0; bits &= bits - 1) {
                if (!visit(static_cast<size_t>(at - data) + static_cast<size_t>(std::countr_zero(bits))))
                    return true;
            }
            return false;
        });
}

inline size_t leading_blanks(std::string_view text) {
    const __m128i blank = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    size_t n = 0;
    for (; text.size() - n >= 16; n += 16) {
        const __m128i bytes = load(text.data() + n);
        const unsigned other = ~(equal_bits(bytes, blank) | equal_bits(bytes, tab)) & 0xFFFF;
        if (other != 0)
            return n + static_cast<size_t>(std::countr_zero(other));
    }
    return portable::leading_blanks(text, n);
}

// The structural bits of the 64 bytes at `p`, in four loads.
inline StructuralBits classify_64(const char* p) {
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i open = _mm_set1_epi8('<');
    StructuralBits bits{0, 0};
    for (int part = 0; part < 4; ++part) {
        const __m128i bytes = load(p + 16 * part);
        bits.line_ends |= uint64_t{equal_bits(bytes, cr) | equal_bits(bytes, lf)} << (16 * part);
        bits.opens |= uint64_t{equal_bits(bytes, open)} << (16 * part);
    }
    return bits;
}

}  // namespace lurendo::simd::sse2

#endif
