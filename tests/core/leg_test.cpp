// Leg duration and leg speed between two kept points.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <string>

#include "repair/read/track_point.h"
#include "stats/leg.h"

#include "test_support.h"

namespace lurendo::stats {
namespace {

constexpr double kRadius = 6378.7;

// A time of day as a point's text gives it ("" for none).
OraDelGiorno ora(const std::string& text) {
    return test::punto("<trkpt><time>2009-07-14T" + text + "Z</time></trkpt>").ora;
}

double seconds(const std::string& from, const std::string& to) {
    return secondi_tratto(ora(from), ora(to));
}

PuntoRadianti place(const std::string& lat, const std::string& lon) {
    const PuntoLetto p = test::punto("<trkpt lat=\"" + lat + "\" lon=\"" + lon + "\">");
    return punto_radianti(static_cast<double>(p.lat.value()), static_cast<double>(p.lon.value()));
}

struct At {
    const char* lat;
    const char* lon;
    const char* time;
};
std::optional<double> speed(const At& p, const At& q) {
    return velocita_tratto(place(p.lat, p.lon), place(q.lat, q.lon), seconds(p.time, q.time));
}

TEST(LegDuration, SecondsBetweenTwoTimesOfDayInEitherOrder) {
    EXPECT_EQ(seconds("10:00:00", "10:00:04"), 4);
    EXPECT_EQ(seconds("10:00:04", "10:00:00"), 4);
    EXPECT_EQ(seconds("10:00:04", "10:00:04"), 0);
}

TEST(LegDuration, BorrowsAcrossMinutesAndHoursCancelOut) {
    EXPECT_EQ(seconds("12:59:58", "13:00:02"), 4);
    EXPECT_EQ(seconds("09:59:59", "11:00:00"), 3601);
}

TEST(LegDuration, AStepAcrossMidnightIsTheShortWayRound) {
    EXPECT_EQ(seconds("23:59:59", "00:00:01"), 2);
    EXPECT_EQ(seconds("00:00:01", "23:59:59"), 2);
    EXPECT_EQ(seconds("00:00:00", "12:00:00"), 43200) << "exactly half a day is kept";
    EXPECT_EQ(seconds("00:00:00", "12:00:01"), 43199);
    // A leap second before midnight: the clock gap is a little over a day, the real one half a second.
    EXPECT_EQ(seconds("23:59:60.5", "00:00:00"), 0.5);
}

TEST(LegDuration, FractionsOfASecondCount) {
    EXPECT_NEAR(seconds("15:04:05.2", "15:04:05.4"), 0.2, 1e-12);
    EXPECT_DOUBLE_EQ(seconds("23:59:59.5", "00:00:00.5"), 1.0);
}

TEST(LegDuration, FallsBackToTwoSecondsWhenATimeIsUnreadable) {
    EXPECT_EQ(seconds("10:00:00", ""), 2);
    EXPECT_EQ(seconds("", "10:00:04"), 2);
    // No clock time: a garbled time gives the estimate, not a leg of a day.
    EXPECT_EQ(seconds("10:00:00", "25:61:61"), 2);
    EXPECT_EQ(seconds("10:00:00", "10:00:-7.5"), 2);
}

// The worked legs start at (45.123456789, 10.123456789) at 10:00:00.
TEST(LegSpeed, TheWorkedLegsGive17Point3And25Point1) {
    const At start{"45.123456789", "10.123456789", "10:00:00"};
    EXPECT_DOUBLE_EQ(speed(start, {"45.123556789", "10.123656789", "10:00:04"}).value(), 17.3);
    const At second{"45.123956789", "10.123456789", "10:00:08"};
    EXPECT_DOUBLE_EQ(speed(start, second).value(), 25.1);
    EXPECT_DOUBLE_EQ(speed(second, start).value(), 25.1) << "never negative";
}

TEST(LegSpeed, TheSamePlaceGivesZero) {
    EXPECT_EQ(
        speed({"45.512845678", "10.713045678", "15:04:00"}, {"45.512845678", "10.713045678", "15:04:04"}),
        0.0);
    EXPECT_EQ(speed({"45.1", "151.123456789", "15:04:20"}, {"45.1", "151.123456789", "15:04:21"}), 0.0);
}

TEST(LegSpeed, TheSameTimeOfDayGivesNoSpeed) {
    EXPECT_FALSE(
        speed({"45.123456789", "10.123456789", "10:00:00"}, {"45.223456789", "10.123456789", "10:00:00"})
            .has_value());
}

TEST(LegSpeed, WithTheTwoSecondFallbackTheSpeedIsDistanceTimes1800Point1) {
    // 0.0192552 km × 1800.1 = 34.661
    EXPECT_DOUBLE_EQ(
        speed({"45.123456789", "10.123456789", ""}, {"45.123556789", "10.123656789", "10:00:04"}).value(),
        34.7);
}

TEST(LegSpeed, APointAThirdOfTheGlobeAwayKeepsItsDistance) {
    // 120° of longitude on the equator: 6378.7 × 120 / 57.29577951 = 13359.518 km in 36000 s.
    EXPECT_DOUBLE_EQ(speed({"0", "0", "00:00:00"}, {"0", "120", "10:00:00"}).value(), 1336.0);
}

double km(const char* lat_p, const char* lon_p, const char* lat_q, const char* lon_q) {
    return distanza_km(place(lat_p, lon_p), place(lat_q, lon_q));
}

// Expected distances: the arc cosine of the law of cosines evaluated with 50 significant digits from the
// decimal coordinates, with the same radius and degree constant. Each coordinate's rounding in radians
// bounds what doubles can give (a relative 1e-11 to 1e-7 on these legs); the law of cosines in doubles,
// where 1 - a² cancels, misses these by 5e-7, 0.5 %, 7 % and 13 %.
TEST(Distance, ShortLegsKeepTheirPrecision) {
    const auto near = [](double got, double expected, double relative) {
        EXPECT_NEAR(got, expected, expected * relative);
    };
    near(km("45.123456789", "10.123456789", "45.123556789", "10.123656789"), 0.019255072812382152903, 1e-10);
    near(km("45.123456789", "10.123456789", "45.123956789", "10.123456789"), 0.055664658501475722395, 1e-10);
    // A metre north, and 14 cm to the south-east in the southern hemisphere.
    near(km("45.5", "10.5", "45.500009", "10.5"), 0.0010019638530265630031, 1e-8);
    near(km("-33.9", "151.2", "-33.900001", "151.200001"), 0.00014468187673120103698, 1e-7);
    // 11 cm across the date line.
    near(km("0", "179.9999995", "0", "-179.9999995"), 0.00010917322513843585613, 1e-6);
}

TEST(Distance, TheSamePlaceIsZeroAndEitherOrderTheSame) {
    EXPECT_EQ(km("45.512845678", "10.713045678", "45.512845678", "10.713045678"), 0.0);
    EXPECT_EQ(km("45.1", "10.2", "45.3", "10.7"), km("45.3", "10.7", "45.1", "10.2"));
    EXPECT_NEAR(km("0", "0", "0", "120"), 13359.518040354173375, 1e-9);
}

}  // namespace
}  // namespace lurendo::stats
