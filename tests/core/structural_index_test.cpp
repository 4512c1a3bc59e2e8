// The structural index against a plain loop, with the kernels of each instruction set this build holds
// and this machine runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "repair/read/structural_index.h"

namespace lurendo {
namespace {

// Random texts rich in CR, LF and "<", at every length around the index's 64-byte words, with every line
// end and every "<" of every range found, and none that is not there.
TEST(StructuralIndex, FindsEveryLineEndAndEveryOpenInEveryRange) {
    for (const simd::InstructionSet set : simd::usable_instruction_sets()) {
        SCOPED_TRACE(static_cast<int>(set));
        std::mt19937 random(7);
        const std::string alphabet = "<\r\n ax=\"/>";
        StructuralIndex index;
        for (size_t length = 0; length <= 400; ++length) {
            std::string text(length, ' ');
            for (char& c : text)
                c = alphabet[random() % alphabet.size()];
            index.build(text.data(), text.size(), set);
            ASSERT_EQ(index.size(), length);
            for (size_t from = 0; from <= length; ++from) {
                const size_t expected_end = std::min(text.find_first_of("\r\n", from), length);
                ASSERT_EQ(index.next_line_end(from), expected_end) << "length " << length << " from " << from;
            }
            for (size_t from = 0; from <= length; from += 3) {
                for (size_t to = from; to <= length; to += 5) {
                    std::vector<size_t> expected;
                    for (size_t i = from; i < to; ++i) {
                        if (text[i] == '<')
                            expected.push_back(i);
                    }
                    std::vector<size_t> seen;
                    index.for_each_open(from, to, [&](size_t pos) {
                        seen.push_back(pos);
                        return true;
                    });
                    ASSERT_EQ(seen, expected) << "length " << length << " range " << from << "-" << to;
                    // The same range as a line, walked from its start and from a later position.
                    for (const size_t skip : {size_t{0}, (to - from) / 2}) {
                        std::vector<size_t> in_line;
                        IndexedLine{index, from, to}.for_each_open(skip, [&](size_t pos) {
                            in_line.push_back(from + pos);
                            return true;
                        });
                        std::vector<size_t> wanted;
                        for (const size_t pos : expected) {
                            if (pos >= from + skip)
                                wanted.push_back(pos);
                        }
                        ASSERT_EQ(in_line, wanted) << "line " << from << "-" << to << " from " << skip;
                    }
                }
            }
        }
    }
}

TEST(StructuralIndex, AVisitThatAnswersFalseEndsTheWalk) {
    const std::string opens(100, '<');
    StructuralIndex index;
    index.build(opens.data(), opens.size());
    int visits = 0;
    index.for_each_open(10, 90, [&](size_t) { return ++visits < 3; });
    EXPECT_EQ(visits, 3);
}

}  // namespace
}  // namespace lurendo
