// Where the bytes that give a block of input its structure lie: the line ends (CR, LF) and the "<" that
// open tags, one bit per byte, found in one pass over the block. The line reader and the piece cutter then
// walk these bits instead of each scanning the bytes again.
//
// The idea of classifying every byte of a block once into bitmaps, then walking their set bits, comes from
// simdjson's first stage. Bit i of word w always stands for byte 64 * w + i: the bitmaps are built from
// byte comparisons, never by reading memory as wider integers, so they mean the same on any byte order.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/simd/kernels.h"

namespace lurendo {

class StructuralIndex {
  public:
    // The bits of one stretch of 64 bytes.
    using Bits = simd::StructuralBits;

    // Classifies `size` bytes from `data`; `data` need stay valid only during the call. `set`: the kernels'
    // instruction set, the widest the machine has unless a test asks for another.
    void build(const char* data, size_t size, simd::InstructionSet set = simd::widest_instruction_set());
    size_t size() const { return size_; }

    // The first CR or LF at or after `from`, or size().
    size_t next_line_end(size_t from) const {
        if (from >= size_)
            return size_;
        size_t word = from / 64;
        uint64_t bits = words_[word].line_ends >> (from % 64) << (from % 64);
        while (bits == 0) {
            if (++word >= words_.size())
                return size_;
            bits = words_[word].line_ends;
        }
        return word * 64 + static_cast<size_t>(std::countr_zero(bits));
    }

    // Calls `visit(position)` for every "<" in [from, to), in order, until it returns false.
    template <typename Visit>
    void for_each_open(size_t from, size_t to, Visit&& visit) const {
        if (from >= to)
            return;
        const size_t last_word = (to - 1) / 64;
        for (size_t word = from / 64; word <= last_word; ++word) {
            uint64_t bits = words_[word].opens;
            if (word == from / 64)
                bits = bits >> (from % 64) << (from % 64);
            if (word == last_word && to % 64 != 0)
                bits &= (uint64_t{1} << (to % 64)) - 1;
            for (; bits != 0; bits &= bits - 1) {
                if (!visit(word * 64 + static_cast<size_t>(std::countr_zero(bits))))
                    return;
            }
        }
    }

    // The bits of the 64 bytes from `start` on, bit i standing for byte start + i; bits past the end of the
    // block are clear.
    LURENDO_INLINE Bits window(size_t start) const {
        if (start >= size_)
            return {0, 0};
        // Two zero words close the bitmaps, so the word after `start`'s is always there.
        const Bits& low = words_[start / 64];
        const Bits& high = words_[start / 64 + 1];
        const unsigned shift = start % 64;
        // (x << 1) << (63 - shift) is x << (64 - shift), also for a shift of 0, where a shift by 64 is not
        // defined.
        return {low.line_ends >> shift | (high.line_ends << 1) << (63 - shift),
                low.opens >> shift | (high.opens << 1) << (63 - shift)};
    }
    // The "<" bits of the 64 bytes from `start` on.
    uint64_t opens_from(size_t start) const { return window(start).opens; }

  private:
    std::vector<Bits> words_;  // bit i of word w stands for byte 64 * w + i
    size_t size_ = 0;
};

// A line of an indexed block: its "<" positions relative to the line's start.
struct IndexedLine {
    const StructuralIndex& index;
    size_t start;
    size_t end;

    template <typename Visit>
    void for_each_open(size_t from, Visit&& visit) const {
        const size_t length = end - start;
        if (length > 64 || from >= 64) {
            index.for_each_open(start + from, end, [&](size_t pos) { return visit(pos - start); });
            return;
        }
        // The usual line fits in one word of bits.
        uint64_t bits = index.opens_from(start) & (~uint64_t{0} << from);
        if (length < 64)
            bits &= (uint64_t{1} << length) - 1;
        for (; bits != 0; bits &= bits - 1) {
            if (!visit(static_cast<size_t>(std::countr_zero(bits))))
                return;
        }
    }
};

}  // namespace lurendo
