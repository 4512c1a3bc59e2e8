// The project's own sine, cosine and arcsine against the platform's, which are accurate to an ulp or so:
// the two agree within two units in the last place over the ranges the legs use and beyond.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <random>

#include "common/portable_math.h"

namespace lurendo {
namespace {

int64_t ulps_apart(double a, double b) {
    int64_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x > y ? x - y : y - x;
}

TEST(PortableMath, WithinTwoUlpsOfThePlatformOverWideAndTinyArguments) {
    std::mt19937_64 random(1);
    std::uniform_real_distribution<double> wide(-8, 8), unit(-1, 1);
    std::uniform_int_distribution<int> shrink(0, 45);
    for (int i = 0; i < 200'000; ++i) {
        const double x = i % 2 ? wide(random) : std::ldexp(wide(random), -shrink(random));
        ASSERT_LE(ulps_apart(portable_sin(x), std::sin(x)), 1) << x;
        ASSERT_LE(ulps_apart(portable_cos(x), std::cos(x)), 1) << x;
        const double y = i % 2 ? unit(random) : std::ldexp(unit(random), -shrink(random));
        ASSERT_LE(ulps_apart(portable_asin(y), std::asin(y)), 2) << y;
    }
}

TEST(PortableMath, KnownValuesAndTheEdgesOfTheRanges) {
    EXPECT_EQ(portable_sin(0.0), 0.0);
    EXPECT_EQ(portable_cos(0.0), 1.0);
    EXPECT_EQ(portable_asin(0.0), 0.0);
    EXPECT_NEAR(portable_sin(std::numbers::pi / 6), 0.5, 2.3e-16);
    EXPECT_NEAR(portable_cos(std::numbers::pi / 3), 0.5, 2.3e-16);
    EXPECT_NEAR(portable_asin(0.5), std::numbers::pi / 6, 2.3e-16);
    EXPECT_EQ(portable_asin(1.0), std::numbers::pi / 2);
    EXPECT_EQ(portable_asin(-1.0), -std::numbers::pi / 2);
    EXPECT_NEAR(portable_sin(std::numbers::pi), 1.2246467991473532e-16, 1e-31);
    EXPECT_NEAR(portable_cos(std::numbers::pi / 2), 6.123233995736766e-17, 1e-31);
    EXPECT_TRUE(std::isnan(portable_asin(std::nextafter(1.0, 2.0))));
    EXPECT_TRUE(std::isnan(portable_sin(INFINITY)));
    EXPECT_EQ(portable_sin(-0.3), -portable_sin(0.3));
    EXPECT_EQ(portable_cos(-0.3), portable_cos(0.3));
}

}  // namespace
}  // namespace lurendo
