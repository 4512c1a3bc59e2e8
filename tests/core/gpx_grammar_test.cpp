// The words and tags of the track grammar.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "repair/block_assembler.h"

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

}  // namespace
}  // namespace lurendo
