// Reading lat/lon attributes as exact counts of 1e-9 degree, in any common written form.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "repair/read/coordinates.h"
#include "repair/read/track_point.h"

#include "test_support.h"

namespace lurendo {
namespace {

std::optional<int64_t> lat_of(const std::string& value) {
    return test::punto("<trkpt lat=\"" + value + "\" lon=\"10.5\">").lat;
}
std::optional<int64_t> lon_of(const std::string& value) {
    return test::punto("<trkpt lat=\"45.5\" lon=\"" + value + "\">").lon;
}

TEST(Coordinates, TwoIntegerDigitsAndNineDecimalsGiveTheDigitsAsUnits) {
    EXPECT_EQ(lat_of("45.512845678"), 45512845678);
    EXPECT_EQ(lon_of("10.713045678"), 10713045678);
}

TEST(Coordinates, AnyNumberOfIntegerDigitsKeepsTheScale) {
    EXPECT_EQ(lon_of("9.713045678"), 9713045678);
    EXPECT_EQ(lon_of("151.123456789"), 151123456789);
    EXPECT_EQ(lat_of("0.000000001"), 1);
    EXPECT_EQ(lat_of("045.5"), 45500000000);
}

TEST(Coordinates, NegativeValuesKeepTheScale) {
    EXPECT_EQ(lat_of("-33.123456789"), -33123456789);
    EXPECT_EQ(lon_of("-0.5"), -500000000);
    EXPECT_EQ(lat_of("+12.25"), 12250000000);
}

TEST(Coordinates, FewerDecimalsArePaddedAndExtraDecimalsAreCutNotRounded) {
    EXPECT_EQ(lat_of("45.512845"), 45512845000);
    EXPECT_EQ(lat_of("45"), 45000000000);
    EXPECT_EQ(lat_of(".5"), 500000000);
    EXPECT_EQ(lat_of("45.5128456789"), 45512845678);
    EXPECT_EQ(lat_of("-45.99999999999"), -45999999999);
}

TEST(Coordinates, SingleQuotesAndBlanksInsideTheQuotesAreAccepted) {
    EXPECT_EQ(test::punto("<trkpt lat='45.512845678' lon='10.713045678'>").lat, 45512845678);
    EXPECT_EQ(test::punto("<trkpt lat='45.512845678' lon='10.713045678'>").lon, 10713045678);
    EXPECT_EQ(lat_of(" 45.5 "), 45500000000);
    EXPECT_EQ(lat_of("\t-1.5"), -1500000000);
}

TEST(Coordinates, TheFirstOccurrenceOfTheKeyCounts) {
    EXPECT_EQ(test::punto("<trkpt lat=\"1.5\" lat=\"2.5\">").lat, 1500000000);
    // "lon=" inside another attribute name comes first and is the one read.
    EXPECT_FALSE(test::punto("<trkpt xlon=5 lat=\"1\" lon=\"2\">").lon.has_value());
}

TEST(Coordinates, TheRangeIsNinetyForLatitudeAndOneEightyForLongitude) {
    EXPECT_EQ(lat_of("90"), 90 * kNanoDegrees);
    EXPECT_EQ(lat_of("-90.000000000"), -90 * kNanoDegrees);
    EXPECT_FALSE(lat_of("90.000000001").has_value());
    // The range holds for the value as written, before decimals past the ninth are cut.
    EXPECT_FALSE(lat_of("90.0000000001").has_value());
    EXPECT_FALSE(lon_of("-180.00000000000001").has_value());
    EXPECT_EQ(lat_of("90.0000000000000"), 90 * kNanoDegrees);
    EXPECT_EQ(lat_of("89.9999999999"), 89999999999);
    EXPECT_FALSE(lat_of("-91").has_value());
    EXPECT_EQ(lon_of("180"), 180 * kNanoDegrees);
    EXPECT_EQ(lon_of("-180"), -180 * kNanoDegrees);
    EXPECT_FALSE(lon_of("180.000000001").has_value());
    EXPECT_FALSE(lon_of("1000").has_value());
    EXPECT_FALSE(lon_of("99999999999999999999").has_value());
}

TEST(Coordinates, UnreadableFormsGiveNothing) {
    for (const char* value : {"", " ", "-", ".", "1e5", "4.5e1", "nan", "inf", "-inf", "0x10", "45,5",
                              "45.5.1", "4 5", "45.5N", "(45)", "--45", "45-", "1.2.3"})
        EXPECT_FALSE(lat_of(value).has_value()) << '"' << value << '"';
}

TEST(Coordinates, AMissingKeyOrQuoteGivesNothing) {
    EXPECT_FALSE(test::punto("<trkpt lon=\"10.5\">").lat.has_value());
    EXPECT_FALSE(test::punto("<trkpt lat=45.5 lon=\"10.5\">").lat.has_value());
    EXPECT_FALSE(test::punto("<trkpt lat=\"45.5").lat.has_value());
    EXPECT_FALSE(test::punto("<trkpt lat='45.5\" lon='10.5'>").lat.has_value());
    EXPECT_FALSE(test::punto("<trkpt lat=").lat.has_value());
    EXPECT_FALSE(test::punto("<trkpt LAT=\"45.5\">").lat.has_value());
}

// The value of a plain decimal text, worked out on the digits as text: the decimals padded or cut to nine.
int64_t units_of_text(const std::string& text) {
    const bool negative = text[0] == '-';
    const size_t dot = text.find('.');
    std::string decimals = text.substr(dot + 1);
    decimals.resize(9, '0');
    const int64_t units =
        std::stoll(text.substr(negative, dot - negative)) * kNanoDegrees + std::stoll(decimals);
    return negative ? -units : units;
}

// Every mix of sign, integer digits (with leading zeros), decimals from one to twelve, a decimal digit that
// is not a digit, and either quote, read as the text says, with the range on the value as written.
TEST(Coordinates, AnyPlainDecimalReadsAsItsDigitsSay) {
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        std::string text = random() % 2 ? "-" : "";
        const int whole_digits = 1 + static_cast<int>(random() % 4);
        for (int d = 0; d < whole_digits; ++d)
            text += static_cast<char>('0' + random() % 10);
        text += '.';
        const int decimals = 1 + static_cast<int>(random() % 12);
        for (int d = 0; d < decimals; ++d)
            text += static_cast<char>('0' + random() % 10);
        const char quote = random() % 2 ? '"' : '\'';
        const std::string q(1, quote);
        const std::string block = "<trkpt lat=" + q + text + q + " lon=" + q + text + q + ">";
        const PuntoLetto p = test::punto(block);

        const int64_t expected = units_of_text(text);
        const bool beyond_ninth =
            decimals > 9 && text.find_first_not_of('0', text.find('.') + 10) != std::string::npos;
        const auto within = [&](int64_t limit) {
            const int64_t magnitude = expected < 0 ? -expected : expected;
            return magnitude < limit * kNanoDegrees || (magnitude == limit * kNanoDegrees && !beyond_ninth);
        };
        if (within(kLatitudeLimit))
            EXPECT_EQ(p.lat, expected) << text;
        else
            EXPECT_FALSE(p.lat.has_value()) << text;
        if (within(kLongitudeLimit))
            EXPECT_EQ(p.lon, expected) << text;
        else
            EXPECT_FALSE(p.lon.has_value()) << text;

        // A stray character among the decimals makes the value unreadable.
        std::string broken = text;
        broken[text.find('.') + 1 + random() % decimals] = 'x';
        EXPECT_FALSE(test::punto("<trkpt lat=" + q + broken + q + ">").lat.has_value()) << broken;
    }
}

}  // namespace
}  // namespace lurendo
