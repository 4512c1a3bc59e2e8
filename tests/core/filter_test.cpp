// The trackpoint filter: the jump test against the previous point and the re-layout of kept points.
#include <gtest/gtest.h>

#include <string>

#include "repair/filter/filter.h"
#include "repair/read/track_point.h"

#include "test_support.h"

namespace lurendo {
namespace {

// One point as the repair run gathers it: four canonical lines joined without separators.
std::string joined_point(const std::string& lat, const std::string& lon,
                         const std::string& time = "15:04:05") {
    return "      <trkpt lat='" + lat + "' lon='" + lon +
           "'>        <ele>65.000000</ele>        <time>2009-07-14T" + time + "Z</time>      </trkpt>";
}

// A point with only its coordinates, enough for the jump test.
std::string bare_point(const std::string& lat, const std::string& lon) {
    return "<trkpt lat=\"" + lat + "\" lon=\"" + lon + "\"></trkpt>";
}

FilterVerdict judge(TrackpointFilter& filter, const std::string& lat, const std::string& lon) {
    return filter.elaboro_stringa(test::punto(bare_point(lat, lon)));
}

// The text the output gets for a kept point.
std::string laid_out(const std::string& text) {
    std::string out;
    scrivi_disposto(test::punto(text), out);
    return out;
}

TEST(Filter, ExampleBlockPassesAndIsLaidOutOnFourLines) {
    TrackpointFilter filter(45.512345678, 10.712345678);
    const std::string testo = joined_point("45.512845678", "10.713045678");
    ASSERT_EQ(testo.size(), 134u);

    EXPECT_EQ(filter.elaboro_stringa(test::punto(testo)), FilterVerdict::Passed);
    EXPECT_EQ(laid_out(testo),
              "      <trkpt lat='45.512845678' lon='10.713045678'>\r\n"
              "        <ele>65.000000</ele>\r\n"
              "        <time>2009-07-14T15:04:05Z</time>\r\n"
              "      </trkpt>");
    EXPECT_EQ(laid_out(testo).size(), 140u);
    EXPECT_EQ(filter.G_latitudine(), 45.512845678);
    EXPECT_EQ(filter.G_longitudine(), 10.713045678);
}

TEST(Filter, IsolatedJumpDropsTheJumpingPointAndTheNextOne) {
    TrackpointFilter filter(45.512845678, 10.713045678);
    struct Row {
        const char* lat;
        const char* lon;
        FilterVerdict verdict;
        double lat_after;
        double lon_after;
    };
    const Row rows[] = {
        {"45.540000000", "10.713145678", FilterVerdict::Dropped, 45.54, 10.713145678},
        {"45.513345678", "10.713245678", FilterVerdict::Dropped, 45.513345678, 10.713245678},
        {"45.513845678", "10.713345678", FilterVerdict::Passed, 45.513845678, 10.713345678},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(filter.elaboro_stringa(test::punto(joined_point(row.lat, row.lon))), row.verdict)
            << row.lat;
        EXPECT_EQ(filter.G_latitudine(), row.lat_after);
        EXPECT_EQ(filter.G_longitudine(), row.lon_after);
    }
}

TEST(Filter, TheFirstPointAlwaysPasses) {
    TrackpointFilter filter;
    EXPECT_EQ(judge(filter, "-33.9", "151.2"), FilterVerdict::Passed);
    EXPECT_EQ(filter.G_latitudine(), -33.9);
    EXPECT_EQ(filter.G_longitudine(), 151.2);
}

// 0.024 - 0.001 gives exactly the double nearest to 0.023; one unit of 1e-9 degree less gives less.
TEST(Filter, ADifferenceOfExactlyTheThresholdDropsAndJustBelowPasses) {
    for (const bool latitude : {true, false}) {
        SCOPED_TRACE(latitude ? "latitude" : "longitude");
        TrackpointFilter filter;
        const auto step = [&](const char* value) {
            return latitude ? judge(filter, value, "10") : judge(filter, "10", value);
        };
        EXPECT_EQ(step("0.001"), FilterVerdict::Passed);
        EXPECT_EQ(step("0.024"), FilterVerdict::Dropped);
        EXPECT_EQ(step("0.001"), FilterVerdict::Dropped);  // measured against the dropped point
        EXPECT_EQ(step("0.023999999"), FilterVerdict::Passed);
        EXPECT_EQ(step("0.001000001"), FilterVerdict::Passed);
    }
}

// The test is made on degrees as doubles: a nominal 0.023 jump lands a hair either side of the threshold.
TEST(Filter, TheThresholdIsComparedOnTheDifferenceOfDegreeDoubles) {
    TrackpointFilter filter(45.512345678, 10.5);
    EXPECT_EQ(judge(filter, "45.535345678", "10.5"), FilterVerdict::Passed);  // 0.022999999999996
    filter = TrackpointFilter(45.512345678, 10.5);
    EXPECT_EQ(judge(filter, "45.489345678", "10.5"), FilterVerdict::Dropped);  // 0.023000000000003
}

TEST(Filter, APreviousValueOfExactlyZeroMeansNoDifferenceForThatCoordinateAlone) {
    TrackpointFilter filter;
    EXPECT_EQ(judge(filter, "0.000000000", "10.5"), FilterVerdict::Passed);
    EXPECT_EQ(judge(filter, "44.0", "10.5"), FilterVerdict::Passed);

    filter = TrackpointFilter(0.0, 10.5);
    EXPECT_EQ(judge(filter, "44.0", "11.0"), FilterVerdict::Dropped) << "the longitude still counts";

    filter = TrackpointFilter(44.0, 0.0);
    EXPECT_EQ(judge(filter, "44.0", "120.0"), FilterVerdict::Passed);
    filter = TrackpointFilter(44.0, 0.0);
    EXPECT_EQ(judge(filter, "45.0", "120.0"), FilterVerdict::Dropped) << "the latitude still counts";
}

TEST(Filter, AnUnreadableCoordinateChangesNothing) {
    TrackpointFilter filter(45.5, 10.5);
    for (const auto& [lat, lon] :
         {std::pair{"45.6", "1e5"}, std::pair{"abc", "10.6"}, std::pair{"95", "10.6"}}) {
        EXPECT_EQ(filter.elaboro_stringa(test::punto(joined_point(lat, lon))), FilterVerdict::Unreadable)
            << lat << ' ' << lon;
        EXPECT_EQ(filter.G_latitudine(), 45.5);
        EXPECT_EQ(filter.G_longitudine(), 10.5);
    }
    EXPECT_EQ(filter.elaboro_stringa(test::punto("<trkpt lon=\"10.5\"></trkpt>")), FilterVerdict::Unreadable);
}

TEST(Relayout, OnlyAnEleIndentedByExactlyEightBlanksGetsABreakBeforeIt) {
    const auto relaid = laid_out;
    EXPECT_EQ(relaid("<trkpt>    <ele>1</ele>    <time>t</time></trkpt>"),
              "<trkpt>    <ele>1</ele>\r\n    <time>t</time>\r\n</trkpt>");
    EXPECT_EQ(relaid("<trkpt>\t<ele>1</ele><time>t</time></trkpt>"),
              "<trkpt>\t<ele>1</ele>\r\n<time>t</time>\r\n</trkpt>");
    // Nine blanks contain eight: the break goes after the first.
    EXPECT_EQ(relaid("<trkpt>         <ele>1</ele></trkpt>"), "<trkpt> \r\n        <ele>1</ele>\r\n</trkpt>");
    EXPECT_EQ(relaid("<trkpt lat=\"1\" lon=\"2\"></trkpt>"), "<trkpt lat=\"1\" lon=\"2\"></trkpt>");
}

}  // namespace
}  // namespace lurendo
