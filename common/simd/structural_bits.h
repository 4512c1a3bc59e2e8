// The bytes that give the input its structure, one bit per byte: the line ends (CR, LF) and the "<" that
// open tags. The kernels classify input 64 bytes at a time into a pair of such words.
#pragma once

#include <cstdint>

namespace lurendo::simd {

// Bit i of each word stands for byte i of the 64 classified.
struct StructuralBits {
    uint64_t line_ends;  // bit set: CR or LF
    uint64_t opens;      // bit set: "<"
};

}  // namespace lurendo::simd
