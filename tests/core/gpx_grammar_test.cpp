// The words and tags of the track grammar, and its blanks.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

#include "repair/read/gpx_grammar.h"

namespace lurendo {
namespace {

// The word test jumps between the letters only its words hold; it must agree with a plain search for the
// words, in random texts made of their letters and of the speed lines loggers write.
TEST(GpxGrammar, APieceMentionsAPointExactlyWhenItHoldsOneOfTheWords) {
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

// Each tag a point is made of, told apart by its whole text where the layout depends on it, by its name's
// start where only the words matter; case counts, as in the substring tests of the grammar.
TEST(GpxGrammar, EveryTagOfAPointIsToldApart) {
    const std::pair<std::string, Tag> cases[] = {
        {"<trkpt lat=\"1\">", Tag::PointStart},
        {"<trkpt", Tag::PointStart},
        {"<trkptx>", Tag::PointStart},
        {"</trkpt>", Tag::PointEnd},
        {"</trkpt", Tag::Other},
        {"</trkpt >", Tag::Other},
        {"<ele>", Tag::EleStart},
        {"<ele unit=\"m\">", Tag::NamesPoint},
        {"<elevation>", Tag::NamesPoint},
        {"</ele>", Tag::EleEnd},
        {"</ele >", Tag::Other},
        {"<time>", Tag::TimeStart},
        {"<timestamp>", Tag::NamesPoint},
        {"</time>", Tag::TimeEnd},
        {"</times>", Tag::Other},
        {"<TIME>", Tag::Other},
        {"<speed>", Tag::Other},
        {"<", Tag::Other},
        {"<t", Tag::Other},
        {"</", Tag::Other},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(tag_at(text, 0), expected) << text;
        // Text before the tag changes nothing; the tag cut short by the end of the text is no longer it.
        EXPECT_EQ(tag_at("  x" + text, 3), expected) << text;
        if (expected == Tag::PointEnd || expected == Tag::EleEnd || expected == Tag::TimeEnd) {
            EXPECT_EQ(tag_at(text.substr(0, text.size() - 1), 0), Tag::Other) << text;
        }
    }
}

TEST(GpxGrammar, BlanksAreSpacesAndTabsAndWhiteSpaceAddsTheLineEnds) {
    for (int c = 0; c < 256; ++c) {
        const char byte = static_cast<char>(c);
        EXPECT_EQ(is_blank(byte), c == ' ' || c == '\t') << c;
        EXPECT_EQ(is_space(byte), c == ' ' || c == '\t' || c == '\r' || c == '\n') << c;
        EXPECT_EQ(is_digit(byte), c >= '0' && c <= '9') << c;
    }
    EXPECT_TRUE(has_at("ab</ele>", 2, kEleEnd));
    EXPECT_FALSE(has_at("ab</ele", 2, kEleEnd));
    EXPECT_FALSE(has_at("ab", 3, ""));
}

}  // namespace
}  // namespace lurendo
