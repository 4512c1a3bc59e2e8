// A block parsed once into a point, and what the store keeps of the points the filter lets through.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "repair/point_pipeline.h"
#include "repair/point_store.h"
#include "repair/track_point.h"
#include "test_support.h"

namespace lurendo {
namespace {

const std::string kAsRead =
    "      <trkpt lat='45.512845678' lon='10.713045678'>        <ele>65.000000</ele>        "
    "<time>2009-07-14T15:04:05Z</time>      </trkpt>";

void expect_time(const OraDelGiorno& ora, int h, int m, double s) {
    ASSERT_TRUE(ora.leggibile);
    EXPECT_EQ(ora.ore, h);
    EXPECT_EQ(ora.minuti, m);
    EXPECT_EQ(ora.secondi, s);
}

OraDelGiorno time_of(const std::string& block) {
    return test::punto(block).ora;
}

TEST(TrackPoint, TheExampleBlockGivesUnitsOfANanodegreeAndItsTimeOfDay) {
    const PuntoLetto p = test::punto(kAsRead);
    EXPECT_EQ(p.lat, 45512845678);
    EXPECT_EQ(p.lon, 10713045678);
    expect_time(p.ora, 15, 4, 5);
    EXPECT_EQ(p.a_capo.size(), 3u);
}

TEST(TrackPoint, CoordinatesOfAnyLengthAndSignKeepTheScale) {
    const PuntoLetto a = test::punto("<trkpt lat=\"-33.123456789\" lon=\"151.123456789\">");
    EXPECT_EQ(a.lat, -33123456789);
    EXPECT_EQ(a.lon, 151123456789);
    EXPECT_EQ(test::punto("<trkpt lat=\"45.5128456789\" lon=\"9.713045678\">").lat, 45512845678);
    EXPECT_EQ(test::punto("<trkpt lon=\"-0.25\" lat=\"45.5\">").lon, -250000000);
}

TEST(TrackPoint, TheTimeIsEightCharactersSeventeenBehindTheTimeTagWithAnyFraction) {
    expect_time(time_of("<time>2009-07-14T23:59:59</time>"), 23, 59, 59);
    expect_time(time_of("<time>2009-07-14T15:04:05.25Z</time>"), 15, 4, 5.25);
    expect_time(time_of("<time>2009-07-14T15:04:05.Z</time>"), 15, 4, 5);
    expect_time(time_of("<time>2009-07-14T15:04:05+01:00</time>"), 15, 4, 5);
    expect_time(time_of("<trkpt><time>2009-07-14T15:04:05.4Z</time></trkpt>"), 15, 4, 5.4);
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
    expect_time(time_of("<trkpt><time>abcd<time/>12:00:00</trkpt>"), 12, 0, 0);
}

TEST(TimeOfDay, ThreeNumericPiecesOfAClockMakeATime) {
    expect_time(leggi_ora("08:09:07", false), 8, 9, 7);
    expect_time(leggi_ora("10:00:00:99", false), 10, 0, 0);  // pieces after the third do not count
    expect_time(leggi_ora("15:04:05.25", true), 15, 4, 5.25);
    expect_time(leggi_ora("23:59:60.5", true), 23, 59, 60.5);  // a leap second
    expect_time(leggi_ora("00:00:00", false), 0, 0, 0);
    for (const char* text : {"", "150405", "15:04", "15:0a:05", "15::05", "\" lon=\"1", "a:b:c"})
        EXPECT_FALSE(leggi_ora(text, false).leggibile) << '"' << text << '"';
}

TEST(TimeOfDay, ATextThatIsNoClockTimeIsUnreadable) {
    for (const char* text :
         {"24:00:00", "25:61:61", "12:60:00", "12:00:61", "-1:00:00", "12:-5:00", "1,5:00:00", "12:00:99"})
        EXPECT_FALSE(leggi_ora(text, false).leggibile) << '"' << text << '"';
    EXPECT_FALSE(leggi_ora("12:00:-7.5", true).leggibile);
    EXPECT_FALSE(leggi_ora("12:00:61.0", true).leggibile);
    EXPECT_TRUE(leggi_ora("12:00:60.999", true).leggibile);
}

TEST(PointStore, KeepsEveryPointWithoutAFixedCapacity) {
    PointStore store;
    char lat[24];
    for (int i = 1; i <= 70000; ++i) {
        std::snprintf(lat, sizeof lat, "1.%09d", i);
        test::store_point(store, lat, "-1", "00:00:00");
    }
    EXPECT_EQ(store.n_punti(), 70000);
    EXPECT_EQ(store.lat_punto(1), 1000000001);
    EXPECT_EQ(store.lat_punto(65537), 1000065537);
    EXPECT_EQ(store.lat_punto(70000), 1000070000);
    EXPECT_EQ(store.lon_punto(70000), -1'000'000'000);
}

TEST(PointPipeline, KeptPointsAreStoredAndWrittenDroppedOnesMarkTheNextUnreadableOnesLeaveNoTrace) {
    std::string bytes;
    OutputWriter output(std::make_unique<test::StringOutput>(bytes));
    PointStore store;
    PointPipeline pipeline(output, store);
    const auto point = [](const char* lat, const char* time) {
        return std::string("<trkpt lat=\"") + lat + "\" lon=\"10.5\"><time>2009-07-14T" + time +
               "Z</time></trkpt>";
    };
    pipeline.blocco_completo(point("45.5", "10:00:00"), std::nullopt, nullptr);
    pipeline.blocco_completo(point("46.5", "10:00:01"), std::nullopt, nullptr);  // a jump: dropped
    pipeline.blocco_completo(point("x", "10:00:02"), std::nullopt, nullptr);  // unreadable: no entry at all
    // Beside the dropped one, far from the kept one.
    pipeline.blocco_completo(point("46.5", "10:00:03"), std::nullopt, nullptr);
    ASSERT_TRUE(output.finish());

    EXPECT_EQ(pipeline.blocchi(), 4);
    ASSERT_EQ(store.n_punti(), 2);
    EXPECT_FALSE(store.salto_prima(1));
    EXPECT_TRUE(store.salto_prima(2));
    EXPECT_EQ(store.lat_punto(2), 46'500'000'000);
    expect_time(store.ora_punto(2), 10, 0, 3);
    EXPECT_EQ(bytes, point("45.5", "10:00:00").substr(0, 62) + "\r\n</trkpt>\r\n\r\n" +
                         point("46.5", "10:00:03").substr(0, 62) + "\r\n</trkpt>\r\n");
}

}  // namespace
}  // namespace lurendo
