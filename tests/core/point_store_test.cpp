// The point store: what it keeps of a point block, and how it reads the time of day.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "repair/point_store.h"
#include "test_support.h"

namespace lurendo {
namespace {

const std::string kAsRead =
    "      <trkpt lat='45.512845678' lon='10.713045678'>        <ele>65.000000</ele>        "
    "<time>2009-07-14T15:04:05Z</time>      </trkpt>";
const std::string kRelaid =
    "      <trkpt lat='45.512845678' lon='10.713045678'>\r\n        <ele>65.000000</ele>\r\n        "
    "<time>2009-07-14T15:04:05Z</time>\r\n      </trkpt>";

void expect_time(const OraPunto& ora, double h, double m, double s) {
    ASSERT_TRUE(ora.valida());
    EXPECT_EQ(ora.ore, h);
    EXPECT_EQ(ora.minuti, m);
    EXPECT_EQ(ora.secondi, s);
}

TEST(PointStore, ExampleBlockIsStoredInUnitsOfANanodegreeBehindTheEarlierPoints) {
    PointStore store;
    for (int i = 0; i < 41; ++i)
        test::store_point(store, "1", "1", "00:00:00");
    store.elaboro_stringa2(kRelaid);
    EXPECT_EQ(store.n_punti(), 42);
    EXPECT_EQ(store.lat_punto(42), 45512845678.0);
    EXPECT_EQ(store.lon_punto(42), 10713045678.0);
    expect_time(store.ora_punto(42), 15, 4, 5);
    EXPECT_EQ(store.lat_punto(41), 1e9);
}

TEST(PointStore, TheBlockAsReadGivesTheSameValuesAsTheRelaidOne) {
    PointStore store;
    store.elaboro_stringa2(kAsRead);
    EXPECT_EQ(store.n_punti(), 1);
    EXPECT_EQ(store.lat_punto(1), 45512845678.0);
    EXPECT_EQ(store.lon_punto(1), 10713045678.0);
    expect_time(store.ora_punto(1), 15, 4, 5);
}

TEST(PointStore, TheFirstPointIsIndexOneAndOtherIndicesReadEmpty) {
    PointStore store;
    store.elaboro_stringa2(kRelaid);
    EXPECT_FALSE(store.has(0));
    EXPECT_TRUE(store.has(1));
    EXPECT_FALSE(store.has(2));
    EXPECT_FALSE(store.has(-1));
    EXPECT_EQ(store.lat_punto(0), 0.0);
    EXPECT_EQ(store.lon_punto(2), 0.0);
    EXPECT_FALSE(store.ora_punto(0).valida());
    EXPECT_FALSE(store.ora_punto(2).valida());
}

TEST(PointStore, CoordinatesOfAnyLengthAndSignKeepTheScale) {
    PointStore store;
    store.elaboro_stringa2(
        "<trkpt lat=\"-33.123456789\" lon=\"151.123456789\"><time>2009-07-14T01:02:03Z</time>");
    store.elaboro_stringa2("<trkpt lat=\"45.5128456789\" lon=\"9.713045678\"></trkpt>");
    store.elaboro_stringa2("<trkpt lat=\"45.5\" lon=\"-0.25\"></trkpt>");
    EXPECT_EQ(store.lat_punto(1), -33123456789.0);
    EXPECT_EQ(store.lon_punto(1), 151123456789.0);
    expect_time(store.ora_punto(1), 1, 2, 3);
    EXPECT_EQ(store.lat_punto(2), 45512845678.0);
    EXPECT_EQ(store.lon_punto(2), 9713045678.0);
    EXPECT_EQ(store.lat_punto(3), 45500000000.0);
    EXPECT_EQ(store.lon_punto(3), -250000000.0);
}

TEST(PointStore, AnUnreadableCoordinateLeavesItAndWhatFollowsEmpty) {
    PointStore store;
    store.elaboro_stringa2("<trkpt lat=\"x\" lon=\"10.5\"><time>2009-07-14T15:04:05Z</time></trkpt>");
    store.elaboro_stringa2("<trkpt lat=\"45.5\" lon=\"x\"><time>2009-07-14T15:04:05Z</time></trkpt>");
    EXPECT_EQ(store.n_punti(), 2);
    EXPECT_EQ(store.lat_punto(1), 0.0);
    EXPECT_EQ(store.lon_punto(1), 0.0);
    EXPECT_FALSE(store.ora_punto(1).valida());
    EXPECT_EQ(store.lat_punto(2), 45500000000.0);
    EXPECT_EQ(store.lon_punto(2), 0.0);
    EXPECT_FALSE(store.ora_punto(2).valida());
}

TEST(PointStore, ThereIsNoFixedCapacity) {
    PointStore store;
    char lat[24];
    for (int i = 1; i <= 70000; ++i) {
        std::snprintf(lat, sizeof lat, "1.%09d", i);
        test::store_point(store, lat, "-1", "00:00:00");
    }
    EXPECT_EQ(store.n_punti(), 70000);
    EXPECT_EQ(store.lat_punto(10001), 1000010001.0);
    EXPECT_EQ(store.lat_punto(65537), 1000065537.0);
    EXPECT_EQ(store.lat_punto(70000), 1000070000.0);
    EXPECT_EQ(store.lon_punto(70000), -1e9);
    store.clear();
    EXPECT_EQ(store.n_punti(), 0);
    EXPECT_FALSE(store.has(1));
}

TEST(TimeOfDay, TheFieldIsEightCharactersSeventeenBehindTheTimeTag) {
    bool fraction = true;
    EXPECT_EQ(testo_ora(kAsRead, fraction), "15:04:05");
    EXPECT_FALSE(fraction);
    EXPECT_EQ(testo_ora(kRelaid, fraction), "15:04:05");
    EXPECT_EQ(testo_ora("<time>2009-07-14T23:59:59</time>", fraction), "23:59:59");
}

TEST(TimeOfDay, WithoutATimeTagTheCharactersFromTheSeventeenthAreTaken) {
    bool fraction = true;
    EXPECT_EQ(testo_ora("<trkpt lat=\"45.5\" lon=\"10.5\"></trkpt>", fraction), "\" lon=\"1");
    EXPECT_FALSE(fraction);
    EXPECT_EQ(testo_ora("<trkpt/>", fraction), "");
    EXPECT_EQ(testo_ora("<time>2009-07-14T15:04", fraction), "15:04");
    EXPECT_EQ(testo_ora("<time>2009-07-14", fraction), "");
}

TEST(TimeOfDay, AFractionRightBehindTheSecondsIsKept) {
    bool fraction = false;
    EXPECT_EQ(testo_ora("<time>2009-07-14T15:04:05.25Z</time>", fraction), "15:04:05.25");
    EXPECT_TRUE(fraction);
    EXPECT_EQ(testo_ora("<time>2009-07-14T15:04:05.2", fraction), "15:04:05.2");
    EXPECT_TRUE(fraction);
    EXPECT_EQ(testo_ora("<time>2009-07-14T15:04:05.Z</time>", fraction), "15:04:05");
    EXPECT_FALSE(fraction);
    EXPECT_EQ(testo_ora("<time>2009-07-14T15:04:05+01:00</time>", fraction), "15:04:05");
    EXPECT_FALSE(fraction);
}

TEST(TimeOfDay, ThreeNumericPiecesMakeATime) {
    expect_time(leggi_ora("08:09:07", false), 8, 9, 7);
    expect_time(leggi_ora("10:00:00:99", false), 10, 0, 0);  // pieces after the third do not count
    expect_time(leggi_ora("15:04:05.25", true), 15, 4, 5.25);
    expect_time(leggi_ora("23:59:59.9", true), 23, 59, 59.9);
    for (const char* text : {"", "150405", "15:04", "15:0a:05", "15::05", "\" lon=\"1", "a:b:c"})
        EXPECT_FALSE(leggi_ora(text, false).valida()) << '"' << text << '"';
}

TEST(PointStore, AFractionalTimeIsStoredWithItsFraction) {
    PointStore store;
    store.elaboro_stringa2("<trkpt lat=\"45.5\" lon=\"10.5\"><time>2009-07-14T15:04:05.4Z</time></trkpt>");
    expect_time(store.ora_punto(1), 15, 4, 5.4);
}

}  // namespace
}  // namespace lurendo
