// The kernels in plain C++, for any machine: the rest of every vector kernel, shorter than its vectors, and
// the whole work in a build without vector instructions.
#pragma once

#include <cstddef>
#include <string_view>

#include "common/simd/structural_bits.h"

namespace lurendo::simd::portable {

// The first byte in [from, to) that equals one of `wanted`, or `to`.
template <typename... Bytes>
inline const char* find_any(const char* from, const char* to, Bytes... wanted) {
    for (; from < to; ++from) {
        if (((*from == wanted) || ...))
            return from;
    }
    return to;
}

// Calls `visit(position)` for every `c` in `text`, in order, until it returns false.
template <typename Visit>
inline void for_each_byte(std::string_view text, char c, Visit&& visit) {
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] == c && !visit(at))
            return;
    }
}

// Number of blanks and tabs at the start of `text`, counting on from `from`, where only such bytes precede.
inline size_t leading_blanks(std::string_view text, size_t from = 0) {
    while (from < text.size() && (text[from] == ' ' || text[from] == '\t'))
        ++from;
    return from;
}

// The structural bits of the `n` bytes at `p`, n at most 64; the bits past them are clear.
inline StructuralBits classify(const char* p, size_t n) {
    StructuralBits bits{0, 0};
    for (size_t i = 0; i < n; ++i) {
        const uint64_t bit = uint64_t{1} << i;
        if (p[i] == '\r' || p[i] == '\n')
            bits.line_ends |= bit;
        else if (p[i] == '<')
            bits.opens |= bit;
    }
    return bits;
}

}  // namespace lurendo::simd::portable
