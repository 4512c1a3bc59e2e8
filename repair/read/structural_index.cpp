#include "repair/read/structural_index.h"

namespace lurendo {

void StructuralIndex::build(const char* data, size_t size, simd::InstructionSet set) {
    size_ = size;
    const size_t whole = size / 64;
    words_.resize(whole + 2);
    simd::classify_words(data, whole, words_.data(), set);
    words_[whole] = simd::portable::classify(data + whole * 64, size - whole * 64);
    words_[whole + 1] = {0, 0};
}

}  // namespace lurendo
