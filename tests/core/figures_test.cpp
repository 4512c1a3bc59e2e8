// The texts of the four figures: hours, minutes and seconds; kilometres with at most two decimals.
#include <gtest/gtest.h>

#include "stats/figures.h"

namespace lurendo::stats {
namespace {

TEST(TimeLabel, WholeSecondsAsHoursMinutesSecondsWithoutLeadingZeros) {
    EXPECT_EQ(formato_tempo(0), "0:0:0");
    EXPECT_EQ(formato_tempo(4), "0:0:4");
    EXPECT_EQ(formato_tempo(59), "0:0:59");
    EXPECT_EQ(formato_tempo(3700), "1:1:40");
    EXPECT_EQ(formato_tempo(36000), "10:0:0");
    EXPECT_EQ(formato_tempo(86398), "23:59:58");
    EXPECT_EQ(formato_tempo(90061), "25:1:1");
}

TEST(TimeLabel, FractionsShowOneDecimalAtMost) {
    EXPECT_EQ(formato_tempo(599.5), "0:9:59,5");
    EXPECT_EQ(formato_tempo(8.2), "0:0:8,2");
    EXPECT_EQ(formato_tempo(3600.04), "1:0:0");
    EXPECT_EQ(formato_tempo(0.2 + 0.2 + 0.2), "0:0:0,6");  // 0.6000000000000001 in the double
}

TEST(TimeLabel, TheTotalIsRoundedBeforeItIsSplit) {
    EXPECT_EQ(formato_tempo(59.96), "0:1:0");
    EXPECT_EQ(formato_tempo(3599.97), "1:0:0");
    EXPECT_EQ(formato_tempo(0.04), "0:0:0");
}

TEST(DistanceLabel, KilometresWithTwoDecimalsAtMost) {
    EXPECT_EQ(formato_distanza(0), "0 km");
    EXPECT_EQ(formato_distanza(1234.5), "1,23 km");
    EXPECT_EQ(formato_distanza(12300), "12,3 km");
    EXPECT_EQ(formato_distanza(15250), "15,25 km");
    EXPECT_EQ(formato_distanza(999.4), "1 km");
    EXPECT_EQ(formato_distanza(34.0), "0,03 km");
    EXPECT_EQ(formato_distanza(75.0), "0,08 km") << "7.5 hundredths go to the even 8";
}

TEST(Figures, EachTotalGoesToItsOwnLabel) {
    const TestiCifre f = testi_cifre(Totali{3700, 1234.5, 59, 15250});
    EXPECT_EQ(f.tempo_tot, "1:1:40");
    EXPECT_EQ(f.dist_tot, "1,23 km");
    EXPECT_EQ(f.tempo_parz, "0:0:59");
    EXPECT_EQ(f.dist_parz, "15,25 km");
}

}  // namespace
}  // namespace lurendo::stats
