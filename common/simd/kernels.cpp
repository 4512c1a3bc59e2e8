#include "common/simd/kernels.h"

#include "common/simd/avx2.h"

namespace lurendo::simd {

namespace {

// The classification with the kernel of the baseline instruction set.
void classify_words_baseline(const char* data, size_t whole, StructuralBits* words, InstructionSet set) {
#if defined(LURENDO_SSE2)
    if (set == InstructionSet::Sse2) {
        for (size_t word = 0; word < whole; ++word)
            words[word] = sse2::classify_64(data + word * 64);
        return;
    }
#endif
    (void)set;
    for (size_t word = 0; word < whole; ++word)
        words[word] = portable::classify(data + word * 64, 64);
}

}  // namespace

std::vector<InstructionSet> usable_instruction_sets() {
    std::vector<InstructionSet> sets{InstructionSet::Portable};
#if defined(LURENDO_SSE2)
    sets.push_back(InstructionSet::Sse2);
#endif
#if defined(LURENDO_AVX2)
    if (avx2::machine_has())
        sets.push_back(InstructionSet::Avx2);
#endif
    return sets;
}

InstructionSet widest_instruction_set() {
    static const InstructionSet widest = usable_instruction_sets().back();
    return widest;
}

void classify_words(const char* data, size_t whole, StructuralBits* words, InstructionSet set) {
#if defined(LURENDO_AVX2)
    if (set == InstructionSet::Avx2) {
        avx2::classify_words(data, whole, words);
        return;
    }
#endif
    classify_words_baseline(data, whole, words, set);
}

}  // namespace lurendo::simd
