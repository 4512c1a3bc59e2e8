// The one place where the byte kernels of the reading are chosen. The searches (for one to three byte values,
// and the count of leading blanks) take SSE2 where the build has it and plain loops otherwise; the
// classification of input into structural bits takes AVX2 where the machine has it, asked once at run
// time, otherwise the same choice as the searches. Each kernel lives in the file of its instruction set:
// portable.h, sse2.h, avx2.cpp. The idea of kernels one folder each, picked in one place, is simdjson's.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "common/portability.h"
#include "common/simd/portable.h"
#include "common/simd/sse2.h"
#include "common/simd/structural_bits.h"

namespace lurendo {

namespace simd {

enum class InstructionSet { Portable, Sse2, Avx2 };

// The instruction sets whose kernels this build holds and this machine runs, narrowest first.
std::vector<InstructionSet> usable_instruction_sets();
// The widest of them: the one the reading uses.
InstructionSet widest_instruction_set();

// Classifies the `whole` 64-byte words from `data` into `words` with the kernel of `set`, one of the usable.
void classify_words(const char* data, size_t whole, StructuralBits* words,
                    InstructionSet set = widest_instruction_set());

#if defined(LURENDO_SSE2)
namespace searches = sse2;
#else
namespace searches = portable;
#endif

}  // namespace simd

// The first byte in [from, to) that equals one of the wanted bytes, or `to`.
using simd::searches::find_any;
// Calls `visit(position)` for every `c` in `text`, in order, until it returns false.
using simd::searches::for_each_byte;

// Number of blanks and tabs at the start of `text`.
inline size_t leading_blanks(std::string_view text) {
    return simd::searches::leading_blanks(text);
}

// First `c` in [from, to), or `to`. Inline and cheap to start: most searches here span a few dozen bytes,
// where a library call costs more than the scan.
inline const char* find_byte(const char* from, const char* to, char c) {
    return find_any(from, to, c);
}

// Position of the first `c` in `text` at or after `pos`, or npos.
inline size_t find_byte(std::string_view text, char c, size_t pos = 0) {
    if (pos >= text.size())
        return std::string_view::npos;
    const char* const end = text.data() + text.size();
    const char* const hit = find_byte(text.data() + pos, end, c);
    return hit == end ? std::string_view::npos : static_cast<size_t>(hit - text.data());
}

}  // namespace lurendo
