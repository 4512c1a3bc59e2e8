// A block read once into a point: its coordinates, its time of day and its entry.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "repair/read/plain_point.h"
#include "repair/read/structural_index.h"
#include "repair/read/track_point.h"
#include "test_support.h"

namespace lurendo {
namespace {

const std::string kAsRead =
    "      <trkpt lat='45.512845678' lon='10.713045678'>        <ele>65.000000</ele>        "
    "<time>2009-07-14T15:04:05Z</time>      </trkpt>";

OraDelGiorno time_of(const std::string& block) {
    return test::punto(block).ora;
}

// The plain point at the start of `lines`, as the reading hands it on; `lines` must outlive it.
PointText plain_text(const std::string& lines) {
    StructuralIndex index;
    index.build(lines.data(), lines.size());
    PlainPoint point;
    EXPECT_TRUE(find_plain_point(index, lines.data(), 0, point));
    return point.text;
}

std::string laid_out(const PuntoLetto& punto) {
    std::string text;
    scrivi_disposto(punto, text);
    return text;
}

TEST(TrackPoint, TheExampleBlockGivesUnitsOfANanodegreeAndItsTimeOfDay) {
    const PuntoLetto p = test::punto(kAsRead);
    EXPECT_EQ(p.lat, 45512845678);
    EXPECT_EQ(p.lon, 10713045678);
    test::expect_time(p.ora, 15, 4, 5);
    // The entry: the block cut before the eight blanks of "<ele>" and behind "</ele>" and "</time>".
    EXPECT_EQ(p.voce,
              (std::vector<std::string_view>{"      <trkpt lat='45.512845678' lon='10.713045678'>",
                                             "        <ele>65.000000</ele>",
                                             "        <time>2009-07-14T15:04:05Z</time>", "      </trkpt>"}));
}

TEST(TrackPoint, CoordinatesOfAnyLengthAndSignKeepTheScale) {
    const PuntoLetto a = test::punto("<trkpt lat=\"-33.123456789\" lon=\"151.123456789\">");
    EXPECT_EQ(a.lat, -33123456789);
    EXPECT_EQ(a.lon, 151123456789);
    EXPECT_EQ(test::punto("<trkpt lat=\"45.5128456789\" lon=\"9.713045678\">").lat, 45512845678);
    EXPECT_EQ(test::punto("<trkpt lon=\"-0.25\" lat=\"45.5\">").lon, -250000000);
}

TEST(TrackPoint, TheTimeIsEightCharactersSeventeenBehindTheTimeTagWithAnyFraction) {
    test::expect_time(time_of("<time>2009-07-14T23:59:59</time>"), 23, 59, 59);
    test::expect_time(time_of("<time>2009-07-14T15:04:05.25Z</time>"), 15, 4, 5.25);
    test::expect_time(time_of("<time>2009-07-14T15:04:05.Z</time>"), 15, 4, 5);
    test::expect_time(time_of("<time>2009-07-14T15:04:05+01:00</time>"), 15, 4, 5);
    test::expect_time(time_of("<trkpt><time>2009-07-14T15:04:05.4Z</time></trkpt>"), 15, 4, 5.4);
    EXPECT_FALSE(time_of("<time>2009-07-14T15:04").leggibile);
    EXPECT_FALSE(time_of("<time>2009-07-14").leggibile);
    // Without a time tag the characters from the seventeenth on are taken, and are no time.
    EXPECT_FALSE(time_of("<trkpt lat=\"45.5\" lon=\"10.5\"></trkpt>").leggibile);
}

TEST(TrackPoint, TheTimeIsReadFromTheLaidOutTextWhenABreakFallsInsideIt) {
    // A short time element: the field 17 behind "<time>" starts right behind "</time>", where the
    // laid-out text has a line break, so the field holds the break and is no time.
    EXPECT_FALSE(time_of("<trkpt><time>abcd</time>12:00:00</trkpt>").leggibile);
    // The same characters without the break read as a time.
    test::expect_time(time_of("<trkpt><time>abcd<time/>12:00:00</trkpt>"), 12, 0, 0);
}

// A plain point is read from its lines in each form its layout allows, and gives what its block gives.
TEST(LettorePunti, EachFormOfAPlainPointGivesThePointAndEntryOfItsBlock) {
    const std::string start = "      <trkpt lat=\"45.5\" lon=\"-10.25\">";
    const std::string time = "        <time>2019-08-10T10:00:09.5Z</time>";
    const std::string end = "      </trkpt>";
    struct Case {
        std::string ele;
        std::string line_end;
        PointText::Form form;
        size_t texts;  // in the entry
        std::string laid_out;
    };
    const Case cases[] = {
        {"        <ele>1</ele>", "\r\n", PointText::Form::Verbatim, 1,
         start + "\r\n        <ele>1</ele>\r\n" + time + "\r\n" + end},
        {"        <ele>1</ele>", "\n", PointText::Form::Lines, 4,
         start + "\r\n        <ele>1</ele>\r\n" + time + "\r\n" + end},
        // No line break before an element indented by two blanks: the block is joined and laid out.
        {"  <ele>1</ele>", "\r\n", PointText::Form::Joined, 3,
         start + "  <ele>1</ele>\r\n" + time + "\r\n" + end},
    };
    LettorePunti reader;
    for (const Case& c : cases) {
        const std::string lines =
            start + c.line_end + c.ele + c.line_end + time + c.line_end + end + c.line_end + "x";
        const PointText text = plain_text(lines);
        ASSERT_EQ(text.form, c.form) << c.ele;
        const PuntoLetto& punto = reader.leggi(text, 4.5);
        EXPECT_EQ(punto.lat, 45'500'000'000);
        EXPECT_EQ(punto.lon, -10'250'000'000);
        test::expect_time(punto.ora, 10, 0, 9.5);
        EXPECT_EQ(punto.velocita_gps, 4.5);
        EXPECT_EQ(punto.voce.size(), c.texts) << c.ele;
        EXPECT_EQ(laid_out(punto), c.laid_out) << c.ele;
    }
}

// Where the lines alone cannot tell, the block decides: a latitude that is not on the start line is the
// first "lat=" of the block, and a time field that reaches past its element is read from the laid-out text.
TEST(LettorePunti, APlainPointWhoseLinesCannotTellIsReadFromItsBlock) {
    const std::string lines =
        "      <trkpt lon=\"10.5\">\r\n        <ele>lat=\"45.25\"</ele>\r\n        <time>10:00:07</time>\r\n"
        "      </trkpt>\r\nx";
    const PointText text = plain_text(lines);
    ASSERT_EQ(text.form, PointText::Form::Verbatim);
    LettorePunti reader;
    const PuntoLetto& punto = reader.leggi(text, std::nullopt);
    EXPECT_EQ(punto.lat, 45'250'000'000);
    EXPECT_EQ(punto.lon, 10'500'000'000);
    // 17 behind "<time>" lies "ime>", the line break and blanks: no time.
    EXPECT_FALSE(punto.ora.leggibile);
    EXPECT_EQ(laid_out(punto), lines.substr(0, lines.size() - 3));
}

}  // namespace
}  // namespace lurendo
