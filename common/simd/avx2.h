// The kernel with AVX2's 32-byte vectors, built where the compiler can build a function for AVX2 alone
// (see common/portability.h); only machines that have AVX2 may call it.
#pragma once

#include <cstddef>

#include "common/portability.h"
#include "common/simd/structural_bits.h"

#if defined(LURENDO_AVX2)

namespace lurendo::simd::avx2 {

// Classifies the `whole` 64-byte words from `data`, two loads a word.
void classify_words(const char* data, size_t whole, StructuralBits* words);

// True when this machine has AVX2; asked once.
bool machine_has();

}  // namespace lurendo::simd::avx2

#endif
