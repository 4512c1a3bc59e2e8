// Number reading, number-to-text and decimal rounding as the figures and the time pieces use them.
#include <gtest/gtest.h>

#include "common/numbers.h"

namespace lurendo {
namespace {

TEST(NumberReading, CommaIsTheDecimalSeparatorAndDotsBetweenDigitsAreSkipped) {
    EXPECT_EQ(read_number("45,5"), 45.5);
    EXPECT_EQ(read_number("1.234,5"), 1234.5);
    // A GPX coordinate read without swapping "." for "," gives its value in 1e-9 degree.
    EXPECT_EQ(read_number("45.512845678"), 45512845678.0);
    EXPECT_EQ(read_number("08"), 8.0);
}

TEST(NumberReading, BlanksAroundAndALeadingSignAreAccepted) {
    EXPECT_EQ(read_number("  -3,5\t"), -3.5);
    EXPECT_EQ(read_number("+7"), 7.0);
    EXPECT_EQ(read_number(" 0 "), 0.0);
}

TEST(NumberReading, AnythingElseIsNotANumber) {
    for (const char* text :
         {"", "   ", "-", "+", ",", "1e5", "0x10", "1,2,3", "12'", "45,5'", "nan", "inf", "1 2", "--1", "1-"})
        EXPECT_FALSE(read_number(text).has_value()) << '"' << text << '"';
}

TEST(NumberReading, DotAsDecimalPointWithoutGroupSeparator) {
    EXPECT_EQ(read_number("05.25", '.', 0), 5.25);
    EXPECT_EQ(read_number("59", '.', 0), 59.0);
    EXPECT_FALSE(read_number("1.2.3", '.', 0).has_value());
    EXPECT_FALSE(read_number("1,5", '.', 0).has_value());
}

TEST(NumberToText, WholeNumbersArePlainDigits) {
    EXPECT_EQ(numero_testo(0), "0");
    EXPECT_EQ(numero_testo(-0.0), "0");
    EXPECT_EQ(numero_testo(42), "42");
    EXPECT_EQ(numero_testo(-7), "-7");
    EXPECT_EQ(numero_testo(86398), "86398");
    EXPECT_EQ(numero_testo(2147486400), "2147486400");
    EXPECT_EQ(numero_testo(1e15), "1000000000000000");
}

TEST(NumberToText, FractionsUseACommaAZeroBeforeItAndNoTrailingZeros) {
    EXPECT_EQ(numero_testo(0.5), "0,5");
    EXPECT_EQ(numero_testo(-0.25), "-0,25");
    EXPECT_EQ(numero_testo(12.30), "12,3");
    EXPECT_EQ(numero_testo(0.03), "0,03");
    EXPECT_EQ(numero_testo(1e-5), "0,00001");
    EXPECT_EQ(numero_testo(1234567.5), "1234567,5");
}

TEST(NumberToText, RoundsToFifteenSignificantDigits) {
    EXPECT_EQ(numero_testo(1.0 / 3), "0,333333333333333");
    EXPECT_EQ(numero_testo(2.0 / 3), "0,666666666666667");
    EXPECT_EQ(numero_testo(0.1 + 0.2), "0,3");  // 0.30000000000000004 in the double
    EXPECT_EQ(numero_testo(123456789.123456789), "123456789,123457");
    EXPECT_EQ(numero_testo(59.999999999999996), "60");
}

TEST(DecimalRounding, AnExactHalfGoesToTheEvenNeighbour) {
    EXPECT_DOUBLE_EQ(arrotonda(18.25, 1), 18.2);
    EXPECT_DOUBLE_EQ(arrotonda(18.75, 1), 18.8);
    EXPECT_DOUBLE_EQ(arrotonda(-18.25, 1), -18.2);
    EXPECT_DOUBLE_EQ(arrotonda(0.125, 2), 0.12);
    EXPECT_DOUBLE_EQ(arrotonda(0.375, 2), 0.38);
    EXPECT_DOUBLE_EQ(arrotonda(2.5, 0), 2.0);
    EXPECT_DOUBLE_EQ(arrotonda(3.5, 0), 4.0);
}

TEST(DecimalRounding, OtherValuesGoToTheNearest) {
    EXPECT_DOUBLE_EQ(arrotonda(17.33053699102192, 1), 17.3);
    EXPECT_DOUBLE_EQ(arrotonda(25.050461480078404, 1), 25.1);
    EXPECT_DOUBLE_EQ(arrotonda(0.0312, 2), 0.03);
    EXPECT_DOUBLE_EQ(arrotonda(1.2345, 2), 1.23);
    EXPECT_DOUBLE_EQ(arrotonda(0.9994, 2), 1.0);
}

}  // namespace
}  // namespace lurendo
