// Cutting input lines into pieces so that several elements on one line are seen one at a time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "repair/read/pieces.h"

namespace lurendo {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> pieces_of(const std::string& line) {
    StructuralIndex index;
    index.build(line.data(), line.size());
    PieceCutter cutter;
    std::vector<std::string> pieces;
    cutter.cut(line, IndexedLine{index, 0, line.size()},
               [&](const Piece& piece) { pieces.emplace_back(piece.text); });
    return pieces;
}

std::string joined(const std::vector<std::string>& pieces) {
    std::string out;
    for (const std::string& p : pieces)
        out += p;
    return out;
}

TEST(Pieces, LinesOfAWellLaidOutFileStayWhole) {
    for (const std::string line : {"      <trkpt lat=\"45.5\" lon=\"10.5\">", "        <ele>65.000000</ele>",
                                   "        <time>2009-07-14T15:04:05Z</time>  ", "      </trkpt>", "", "   ",
                                   "<trkseg>", "\t<trkpt lat=\"1\" lon=\"2\"/>\t"})
        EXPECT_THAT(pieces_of(line), ElementsAre(line)) << line;
}

TEST(Pieces, AnEndTagFollowedByTheNextStartTagIsCutBetweenThem) {
    EXPECT_THAT(pieces_of("      </trkpt><trkpt lat=\"45.5\" lon=\"10.5\">"),
                ElementsAre("      </trkpt>", "<trkpt lat=\"45.5\" lon=\"10.5\">"));
}

TEST(Pieces, AMinifiedPointIsCutIntoItsElements) {
    const std::string line =
        "<trkseg><trkpt lat=\"45.5\" lon=\"10.5\"><ele>65</ele><time>2009-07-14T15:04:05Z</time></trkpt>"
        "<trkpt lat=\"45.6\" lon=\"10.6\"/></trkseg>";
    const std::vector<std::string> pieces = pieces_of(line);
    EXPECT_THAT(pieces, ElementsAre("<trkseg>", "<trkpt lat=\"45.5\" lon=\"10.5\">", "<ele>65</ele>",
                                    "<time>2009-07-14T15:04:05Z</time>", "</trkpt>",
                                    "<trkpt lat=\"45.6\" lon=\"10.6\"/>", "</trkseg>"));
    EXPECT_EQ(joined(pieces), line);
}

TEST(Pieces, WhatFollowsATimeElementIsAPieceOfItsOwn) {
    EXPECT_THAT(pieces_of("        <time>2009-07-14T15:04:05Z</time><extensions>"),
                ElementsAre("        <time>2009-07-14T15:04:05Z</time>", "<extensions>"));
    EXPECT_THAT(pieces_of("<ele>1</ele> <sat>7</sat>"), ElementsAre("<ele>1</ele>", " <sat>7</sat>"));
}

TEST(Pieces, BlanksAloneAreNeverAPiece) {
    EXPECT_THAT(pieces_of("  </trkpt>  <trkpt lat=\"1\" lon=\"2\">  "),
                ElementsAre("  </trkpt>", "  <trkpt lat=\"1\" lon=\"2\">  "));
    EXPECT_THAT(pieces_of("\t<ele>1</ele>\t \t"), ElementsAre("\t<ele>1</ele>\t \t"));
}

TEST(Pieces, JoinedTheyAlwaysGiveTheLineBack) {
    for (const std::string line : {"<a><trkpt lat='1' lon='2'>x</trkpt></a><trkpt", "</trkpt></trkpt><trkpt>",
                                   "<trkpt <b>>", "<trkpt lat=\"1\" lon=\"2\" <oops> </time></ele>",
                                   "</time></time></ele><ele>", "<trkpt", "x</trkpt>y<trkpt z>w"}) {
        const std::vector<std::string> pieces = pieces_of(line);
        EXPECT_EQ(joined(pieces), line);
        for (const std::string& p : pieces)
            EXPECT_FALSE(p.empty()) << line;
    }
}

}  // namespace
}  // namespace lurendo
