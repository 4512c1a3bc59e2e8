// The byte searches the reading is built on, with each instruction set this build holds, against a plain
// loop, for every length and position around their 16-byte steps, where the last step looks back over
// bytes already scanned.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "common/simd/kernels.h"

namespace lurendo {
namespace {

// One instruction set's searches, behind plain function pointers.
struct Searches {
    const char* name;
    const char* (*find_one)(const char*, const char*, char);
    const char* (*find_either)(const char*, const char*, char, char);
    const char* (*find_one_of)(const char*, const char*, char, char, char);
    void (*for_each_byte)(std::string_view, char, const std::function<bool(size_t)>&);
    size_t (*leading_blanks)(std::string_view);
};

std::vector<Searches> every_searches() {
    std::vector<Searches> all{{"portable", simd::portable::find_any<char>,
                               simd::portable::find_any<char, char>,
                               simd::portable::find_any<char, char, char>,
                               [](std::string_view text, char c, const std::function<bool(size_t)>& visit) {
                                   simd::portable::for_each_byte(text, c, visit);
                               },
                               [](std::string_view text) { return simd::portable::leading_blanks(text); }}};
#if defined(LURENDO_SSE2)
    all.push_back({"sse2", simd::sse2::find_any<char>, simd::sse2::find_any<char, char>,
                   simd::sse2::find_any<char, char, char>,
                   [](std::string_view text, char c, const std::function<bool(size_t)>& visit) {
                       simd::sse2::for_each_byte(text, c, visit);
                   },
                   simd::sse2::leading_blanks});
#endif
    return all;
}

// Texts of every length up to 50 with one or two marks at every place, padded on both sides so that a
// search reading outside its range would find the padding's marks.
template <typename Check>
void for_each_text(char mark, Check&& check) {
    for (size_t length = 0; length <= 50; ++length) {
        for (size_t first = 0; first <= length; ++first) {
            for (size_t second : {first, first + 1, first + 7, length}) {
                std::string padded = std::string(20, mark) + std::string(length, 'x') + std::string(20, mark);
                if (first < length)
                    padded[20 + first] = mark;
                if (second < length)
                    padded[20 + second] = mark;
                check(std::string_view(padded).substr(20, length));
            }
        }
    }
}

TEST(SimdKernels, FindTheFirstOfOneOrTwoMarksOrTheEndAtEveryLengthAndPosition) {
    for (const Searches& searches : every_searches()) {
        SCOPED_TRACE(searches.name);
        for_each_text('<', [&](std::string_view text) {
            const char* const end = text.data() + text.size();
            const char* expected = text.data();
            while (expected < end && *expected != '<')
                ++expected;
            EXPECT_EQ(searches.find_one(text.data(), end, '<'), expected) << text.size();
            EXPECT_EQ(searches.find_either(text.data(), end, '<', '<'), expected) << text.size();
            EXPECT_EQ(searches.find_either(text.data(), end, 'y', '<'), expected) << text.size();
        });
    }
    // The chosen searches are one of those.
    const std::string text = std::string(40, 'x') + "<";
    EXPECT_EQ(find_byte(text, '<'), 40u);
    EXPECT_EQ(find_byte(text, '<', 41), std::string_view::npos);
}

TEST(SimdKernels, FindTheFirstOfThreeMarksAtEveryLengthAndPosition) {
    for (const Searches& searches : every_searches()) {
        SCOPED_TRACE(searches.name);
        for (const char mark : {'l', 'm', 'k'}) {
            for_each_text(mark, [&](std::string_view text) {
                const size_t expected = std::min(text.find_first_of("lmk"), text.size());
                EXPECT_EQ(searches.find_one_of(text.data(), text.data() + text.size(), 'l', 'm', 'k'),
                          text.data() + expected)
                    << text.size();
            });
        }
    }
}

TEST(SimdKernels, VisitEveryMarkOnceInOrderAndStopWhenAsked) {
    for (const Searches& searches : every_searches()) {
        SCOPED_TRACE(searches.name);
        for_each_text('=', [&](std::string_view text) {
            std::vector<size_t> expected;
            for (size_t i = 0; i < text.size(); ++i) {
                if (text[i] == '=')
                    expected.push_back(i);
            }
            std::vector<size_t> seen;
            searches.for_each_byte(text, '=', [&](size_t at) {
                seen.push_back(at);
                return true;
            });
            EXPECT_EQ(seen, expected) << text.size();
            seen.clear();
            searches.for_each_byte(text, '=', [&](size_t at) {
                seen.push_back(at);
                return false;
            });
            EXPECT_EQ(seen.size(), expected.empty() ? 0u : 1u);
        });
    }
}

TEST(SimdKernels, LeadingBlanksCountsBlanksAndTabsUpToTheFirstOtherByte) {
    for (const Searches& searches : every_searches()) {
        SCOPED_TRACE(searches.name);
        for (size_t blanks = 0; blanks <= 40; ++blanks) {
            std::string text;
            for (size_t i = 0; i < blanks; ++i)
                text += i % 5 == 3 ? '\t' : ' ';
            EXPECT_EQ(searches.leading_blanks(text), blanks);
            EXPECT_EQ(searches.leading_blanks(text + "<ele> "), blanks);
            EXPECT_EQ(searches.leading_blanks(text + std::string(20, ' ') + "x"), blanks + 20);
        }
    }
}

// The reading takes the widest set the machine runs; the portable one is always there.
TEST(SimdKernels, TheWidestUsableSetIsChosen) {
    const std::vector<simd::InstructionSet> sets = simd::usable_instruction_sets();
    ASSERT_FALSE(sets.empty());
    EXPECT_EQ(sets.front(), simd::InstructionSet::Portable);
    EXPECT_EQ(simd::widest_instruction_set(), sets.back());
#if defined(LURENDO_PORTABLE)
    EXPECT_EQ(sets.size(), 1u);
#endif
}

}  // namespace
}  // namespace lurendo
