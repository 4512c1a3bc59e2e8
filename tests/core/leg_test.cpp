// Leg duration and leg speed between two stored points.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "repair/point_store.h"
#include "stats/leg.h"
#include "test_support.h"

namespace lurendo {
namespace {

using test::store_point;

constexpr double kRadius = 6378.7;

// A store whose points have the given times of day ("" for none) and all lie at the same place.
PointStore store_of_times(std::initializer_list<const char*> times) {
    PointStore store;
    for (const char* t : times)
        store_point(store, "1", "1", t);
    return store;
}

TEST(LegDuration, SecondsBetweenTwoTimesOfDayInEitherOrder) {
    const PointStore store = store_of_times({"10:00:00", "10:00:04", "10:00:04"});
    EXPECT_EQ(secondi_tratto(store, 1, 2), 4);
    EXPECT_EQ(secondi_tratto(store, 2, 1), 4);
    EXPECT_EQ(secondi_tratto(store, 2, 3), 0);
}

TEST(LegDuration, BorrowsAcrossMinutesAndHoursCancelOut) {
    const PointStore store = store_of_times({"12:59:58", "13:00:02", "09:59:59", "11:00:00"});
    EXPECT_EQ(secondi_tratto(store, 1, 2), 4);
    EXPECT_EQ(secondi_tratto(store, 3, 4), 3601);
}

TEST(LegDuration, AStepAcrossMidnightIsTheShortWayRound) {
    const PointStore store = store_of_times({"23:59:59", "00:00:01", "00:00:00", "12:00:00", "12:00:01"});
    EXPECT_EQ(secondi_tratto(store, 1, 2), 2);
    EXPECT_EQ(secondi_tratto(store, 2, 1), 2);
    EXPECT_EQ(secondi_tratto(store, 3, 4), 43200) << "exactly half a day is kept";
    EXPECT_EQ(secondi_tratto(store, 3, 5), 43199);
}

TEST(LegDuration, FractionsOfASecondCount) {
    const PointStore store = store_of_times({"15:04:05.2", "15:04:05.4", "23:59:59.5", "00:00:00.5"});
    EXPECT_NEAR(secondi_tratto(store, 1, 2), 0.2, 1e-12);
    EXPECT_DOUBLE_EQ(secondi_tratto(store, 3, 4), 1.0);
}

TEST(LegDuration, FallsBackToTwoSecondsPerIndexStep) {
    const PointStore store = store_of_times({"10:00:00", "", "10:00:04", "10:00:08"});
    EXPECT_EQ(secondi_tratto(store, 0, 1), 2) << "index 0 is never written";
    EXPECT_EQ(secondi_tratto(store, 4, 5), 2) << "past the last point";
    EXPECT_EQ(secondi_tratto(store, -1, 1), 4);
    EXPECT_EQ(secondi_tratto(store, 1, 2), 2) << "no readable time";
    EXPECT_EQ(secondi_tratto(store, 2, 3), 2);
    EXPECT_EQ(secondi_tratto(store, 2, 4), 4);
    EXPECT_EQ(secondi_tratto(store, 1, 3), 4) << "both times readable";
}

// The worked legs start at (45.123456789, 10.123456789) at 10:00:00.
TEST(LegSpeed, TheWorkedLegsGive17Point3And25Point1) {
    PointStore first;
    store_point(first, "45.123456789", "10.123456789", "10:00:00");
    store_point(first, "45.123556789", "10.123656789", "10:00:04");
    EXPECT_DOUBLE_EQ(velocita_tratto(first, 1, 2).value(), 17.3);

    PointStore second;
    store_point(second, "45.123456789", "10.123456789", "10:00:00");
    store_point(second, "45.123956789", "10.123456789", "10:00:08");
    EXPECT_DOUBLE_EQ(velocita_tratto(second, 1, 2).value(), 25.1);
    EXPECT_DOUBLE_EQ(velocita_tratto(second, 2, 1).value(), 25.1) << "never negative";
}

TEST(LegSpeed, TheSamePlaceGivesZero) {
    PointStore store;
    for (const char* t : {"15:04:00", "15:04:04", "15:04:09"})
        store_point(store, "45.512845678", "10.713045678", t);
    store_point(store, "45.1", "151.123456789", "15:04:20");
    store_point(store, "45.1", "151.123456789", "15:04:21");
    EXPECT_EQ(velocita_tratto(store, 1, 2), 0.0);
    EXPECT_EQ(velocita_tratto(store, 2, 3), 0.0);
    EXPECT_EQ(velocita_tratto(store, 4, 5), 0.0);
}

TEST(LegSpeed, TheSameTimeOfDayGivesNoSpeed) {
    PointStore store;
    store_point(store, "45.123456789", "10.123456789", "10:00:00");
    store_point(store, "45.223456789", "10.123456789", "10:00:00");
    EXPECT_FALSE(velocita_tratto(store, 1, 2).has_value());
}

TEST(LegSpeed, AnIndexThatIsNotPositiveGivesNoSpeed) {
    PointStore store;
    store_point(store, "45.123456789", "10.123456789", "10:00:00");
    store_point(store, "45.123556789", "10.123656789", "10:00:04");
    EXPECT_FALSE(velocita_tratto(store, 0, 1).has_value());
    EXPECT_FALSE(velocita_tratto(store, 1, 0).has_value());
    EXPECT_FALSE(velocita_tratto(store, -1, 2).has_value());
}

TEST(LegSpeed, WithTheTwoSecondFallbackTheSpeedIsDistanceTimes1800Point1) {
    PointStore store;
    store_point(store, "45.123456789", "10.123456789", "");
    store_point(store, "45.123556789", "10.123656789", "10:00:04");
    EXPECT_DOUBLE_EQ(velocita_tratto(store, 1, 2).value(), 34.7);  // 0.0192552 km × 1800.1 = 34.661
}

TEST(LegSpeed, APointMoreThanAQuarterOfTheGlobeAwayUsesTheArcCosine) {
    PointStore store;
    store_point(store, "0", "0", "00:00:00");
    store_point(store, "0", "120", "10:00:00");
    // 120° of longitude on the equator: 6378.7 × 120 / 57.29577951 = 13359.518 km in 36000 s.
    EXPECT_DOUBLE_EQ(velocita_tratto(store, 1, 2).value(), 1336.0);
}

TEST(Distance, ArcCosineOfTheCosineTermTimesTheRadius) {
    EXPECT_EQ(distanza_km(1.0), 0.0);
    EXPECT_EQ(distanza_km(std::nextafter(1.0, 2.0)), 0.0) << "rounded just above 1: the same place";
    EXPECT_NEAR(distanza_km(0.5), kRadius * std::numbers::pi / 3, 1e-9);
    EXPECT_NEAR(distanza_km(0.0), kRadius * std::numbers::pi / 2, 1e-9);
    EXPECT_NEAR(distanza_km(-0.5), kRadius * 2 * std::numbers::pi / 3, 1e-9);
    EXPECT_NEAR(distanza_km(-1.0), kRadius * std::numbers::pi, 1e-9);
    EXPECT_NEAR(distanza_km(std::nextafter(-1.0, -2.0)), kRadius * std::numbers::pi, 1e-9);
}

// The statistics pass keeps each point's trigonometric terms for the next leg; both ways must agree.
TEST(LegSpeed, TermsKeptFromThePreviousLegGiveTheSameSpeed) {
    PointStore store;
    store_point(store, "45.123456789", "10.123456789", "10:00:00");
    store_point(store, "45.123556789", "10.123656789", "10:00:04");
    const PuntoTrig a = trig_punto(store.lat_punto(1), store.lon_punto(1));
    const PuntoTrig b = trig_punto(store.lat_punto(2), store.lon_punto(2));
    EXPECT_EQ(velocita_da_trig(a, b, 4), velocita_tratto(store, 1, 2));
    EXPECT_FALSE(velocita_da_trig(a, b, 0).has_value());
}

}  // namespace
}  // namespace lurendo
