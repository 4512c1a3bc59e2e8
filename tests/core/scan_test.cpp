// The byte searches the reading is built on, against a plain loop, for every length and position around
// their 16-byte steps, where the last step looks back over bytes already scanned.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "repair/chunked_array.h"
#include "repair/scan.h"

namespace lurendo {
namespace {

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

TEST(Scan, FindsTheFirstMarkOrTheEndAtEveryLengthAndPosition) {
    for_each_text('<', [](std::string_view text) {
        const char* const end = text.data() + text.size();
        const char* expected = text.data();
        while (expected < end && *expected != '<')
            ++expected;
        EXPECT_EQ(find_byte(text.data(), end, '<'), expected) << text.size();
    });
    for_each_text('\n', [](std::string_view text) {
        const size_t expected = std::min(text.find('\n'), text.size());
        EXPECT_EQ(find_line_end(text.data(), text.data() + text.size()), text.data() + expected)
            << text.size();
    });
}

TEST(Scan, VisitsEveryMarkOnceInOrderAndStopsWhenAsked) {
    for_each_text('=', [](std::string_view text) {
        std::vector<size_t> expected;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '=')
                expected.push_back(i);
        }
        std::vector<size_t> seen;
        for_each_byte(text, '=', [&](size_t at) {
            seen.push_back(at);
            return true;
        });
        EXPECT_EQ(seen, expected) << text.size();
        seen.clear();
        for_each_byte(text, '=', [&](size_t at) {
            seen.push_back(at);
            return false;
        });
        EXPECT_EQ(seen.size(), expected.empty() ? 0u : 1u);
    });
}

TEST(Scan, LeadingBlanksCountsBlanksAndTabsUpToTheFirstOtherByte) {
    for (size_t blanks = 0; blanks <= 40; ++blanks) {
        std::string text;
        for (size_t i = 0; i < blanks; ++i)
            text += i % 5 == 3 ? '\t' : ' ';
        EXPECT_EQ(leading_blanks(text), blanks);
        EXPECT_EQ(leading_blanks(text + "<ele> "), blanks);
        EXPECT_EQ(leading_blanks(text + std::string(20, ' ') + "x"), blanks + 20);
    }
}

TEST(ChunkedArray, EveryEntryIsFoundAgainAcrossChunksThatDouble) {
    ChunkedArray<int64_t> values;
    constexpr int64_t kCount = 300'000;  // ten chunks
    for (int64_t i = 0; i < kCount; ++i)
        values.push_back(i * 3 + 1);
    ASSERT_EQ(values.size(), static_cast<size_t>(kCount));
    for (int64_t i = 0; i < kCount; ++i) {
        if (values[static_cast<size_t>(i)] != i * 3 + 1)
            FAIL() << "entry " << i;
    }
}

}  // namespace
}  // namespace lurendo
