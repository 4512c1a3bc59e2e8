// The byte searches the reading is built on, against a plain loop, for every length and position around
// their 16-byte steps, where the last step looks back over bytes already scanned.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "repair/block_assembler.h"
#include "repair/chunked_array.h"
#include "repair/scan.h"
#include "repair/structural_index.h"

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
}

TEST(Scan, FindsTheFirstOfThreeMarksAtEveryLengthAndPosition) {
    for (const char mark : {'l', 'm', 'k'}) {
        for_each_text(mark, [](std::string_view text) {
            const size_t expected = std::min(text.find_first_of("lmk"), text.size());
            EXPECT_EQ(find_one_of(text.data(), text.data() + text.size(), 'l', 'm', 'k'),
                      text.data() + expected)
                << text.size();
        });
    }
}

// The word test jumps between the letters only its words hold; it must agree with a plain search for the
// words, in random texts made of their letters and of the speed lines loggers write.
TEST(Scan, APieceMentionsAPointExactlyWhenItHoldsOneOfTheWords) {
    std::mt19937 random(3);
    const std::string letters = "trkpimel<>/ sd";
    for (int n = 0; n < 20000; ++n) {
        std::string text(random() % 40, ' ');
        for (char& c : text)
            c = letters[random() % letters.size()];
        const bool expected = text.find("trkpt") != std::string::npos ||
                              text.find("time") != std::string::npos || text.find("ele") != std::string::npos;
        ASSERT_EQ(mentions_point(text), expected) << '"' << text << '"';
    }
    EXPECT_FALSE(mentions_point("        <speed>12.345</speed>"));
    EXPECT_TRUE(mentions_point("<gpxtpx:speed>1</gpxtpx:speed><time>"));
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

TEST(ChunkedArray, EveryEntryIsFoundAgainAcrossChunksThatDoubleThenStayTheSameSize) {
    ChunkedArray<int64_t> values;
    constexpr int64_t kCount = 600'000;  // nine doubling chunks, then seven full ones
    for (int64_t i = 0; i < kCount; ++i)
        values.push_back(i * 3 + 1);
    ASSERT_EQ(values.size(), static_cast<size_t>(kCount));
    for (int64_t i = 0; i < kCount; ++i) {
        if (values[static_cast<size_t>(i)] != i * 3 + 1)
            FAIL() << "entry " << i;
    }
}

// Giving back what a reader has passed frees only chunks wholly behind it: everything from there on reads
// as before, and appending goes on. (Under AddressSanitizer a freed chunk read again is an error.)
TEST(ChunkedArray, GivingBackThePassedEntriesKeepsEveryLaterOne) {
    ChunkedArray<int64_t> values;
    size_t read = 0;
    for (int64_t i = 0; i < 700'000; ++i) {
        values.push_back(i);
        if (i % 50'000 == 49'999) {
            for (; read + 10 < values.size(); ++read)
                ASSERT_EQ(values[read], static_cast<int64_t>(read));
            values.release_before(read);
        }
    }
    for (; read < values.size(); ++read)
        ASSERT_EQ(values[read], static_cast<int64_t>(read));
}

// The index against a plain loop: random texts rich in CR, LF and "<", at every length around its 64-byte
// words, with every line end and every "<" of every range found, and none that is not there.
TEST(StructuralIndex, FindsEveryLineEndAndEveryOpenInEveryRange) {
    std::mt19937 random(7);
    const std::string alphabet = "<\r\n ax=\"/>";
    StructuralIndex index;
    for (size_t length = 0; length <= 400; ++length) {
        std::string text(length, ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        // Every other text with the baseline instructions, the rest with the widest the machine has.
        index.build(text.data(), text.size(), length % 2 == 0);
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
    // A visit that answers false ends the walk.
    const std::string opens(100, '<');
    index.build(opens.data(), opens.size());
    int visits = 0;
    index.for_each_open(10, 90, [&](size_t) { return ++visits < 3; });
    EXPECT_EQ(visits, 3);
}

}  // namespace
}  // namespace lurendo
