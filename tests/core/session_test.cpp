// Whole runs through a session: the figures cover the kept points of the one file just read.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "test_support.h"

namespace lurendo {
namespace {

using test::canonical_document;
using test::canonical_point;
using test::data_file;
using test::read_file;
using test::repaired_document;

void expect_figures(const test::RunCapture& r, const char* dist_tot, const char* tempo_tot,
                    const char* dist_parz, const char* tempo_parz) {
    ASSERT_TRUE(r.report.cifre.has_value());
    EXPECT_EQ(r.report.cifre->dist_tot, dist_tot);
    EXPECT_EQ(r.report.cifre->tempo_tot, tempo_tot);
    EXPECT_EQ(r.report.cifre->dist_parz, dist_parz);
    EXPECT_EQ(r.report.cifre->tempo_parz, tempo_parz);
}

std::string clock_time(int seconds_after_ten) {
    const int s = 10 * 3600 + seconds_after_ten;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", s / 3600 % 24, s / 60 % 60, s % 60);
    return text;
}

class SessionRun : public ::testing::Test {
  protected:
    test::RunCapture run(const std::string& input) { return test::run_bytes(dir, input); }

    test::TempDir dir;
};

// A GPS spike and the point after it are dropped; the statistics see only the worked 25.1 km/h leg.
TEST_F(SessionRun, PointsDroppedByTheFilterDoNotReachTheStatistics) {
    const std::string a = canonical_point("45.123456789", "10.123456789", "10:00:00");
    const std::string spike = canonical_point("45.200000000", "10.123456789", "10:00:02");
    const std::string back = canonical_point("45.123600000", "10.123456789", "10:00:04");
    const std::string d = canonical_point("45.123956789", "10.123456789", "10:00:08");
    const test::RunCapture r = run(canonical_document(a + spike + back + d));
    EXPECT_EQ(r.output, repaired_document(a + "\r\n\r\n" + d));
    EXPECT_EQ(r.store.n_punti(), 2);
    EXPECT_DOUBLE_EQ(r.report.totali->tempo_tot, 8);
    EXPECT_DOUBLE_EQ(r.report.totali->dist_tot, 25.1 / 3.6 * 8);
    expect_figures(r, "0,06 km", "0:0:8", "0,06 km", "0:0:8");
}

TEST_F(SessionRun, AStepAcrossMidnightIsTwoSeconds) {
    const test::RunCapture r =
        run(canonical_document(canonical_point("45.123456789", "10.123456789", "23:59:59") +
                               canonical_point("45.123456789", "10.123456789", "00:00:01")));
    EXPECT_DOUBLE_EQ(r.report.totali->tempo_tot, 2);
    expect_figures(r, "0 km", "0:0:2", "0 km", "0:0:0");
}

TEST_F(SessionRun, EachRunStartsAfreshInTheSameSession) {
    const std::string far_away = canonical_point("-33.123456789", "151.123456789", "09:00:00") +
                                 canonical_point("-33.123556789", "151.123456789", "09:00:05") +
                                 canonical_point("-33.123656789", "151.123456789", "09:00:10");
    const test::RunCapture first = run(canonical_document(far_away));
    ASSERT_EQ(first.store.n_punti(), 3);

    const test::RunCapture second = run(read_file(data_file("worked.gpx")));
    EXPECT_EQ(second.output, read_file(data_file("worked~out.gpx"))) << "the first point is not a jump";
    EXPECT_EQ(second.store.n_punti(), 3);
    EXPECT_EQ(second.store.lat_punto(1), 45512345678);
    expect_figures(second, "0,03 km", "0:0:8", "0,03 km", "0:0:4");

    const test::RunCapture third = run(read_file(data_file("worked.gpx")));
    EXPECT_EQ(third.report.totali->tempo_tot, second.report.totali->tempo_tot);
    EXPECT_EQ(third.report.totali->dist_tot, second.report.totali->dist_tot);
    EXPECT_EQ(third.report.totali->dist_parz, second.report.totali->dist_parz);
    expect_figures(third, "0,03 km", "0:0:8", "0,03 km", "0:0:4");
}

// 12001 points one second and 1e-5 degree apart: every leg runs at 4.0 km/h for 1 s.
TEST_F(SessionRun, MoreThanTenThousandPointsAreAllStored) {
    std::string points;
    for (int i = 0; i <= 12000; ++i) {
        char lat[24];
        std::snprintf(lat, sizeof lat, "45.%09d", i * 10000);
        points += canonical_point(lat, "10.500000000", clock_time(i));
    }
    const test::RunCapture r = run(canonical_document(points));
    EXPECT_EQ(r.store.n_punti(), 12001);
    EXPECT_EQ(r.store.lat_punto(12001), 45120000000.0);
    EXPECT_EQ(r.store.ora_punto(12001).ore, 13);
    EXPECT_DOUBLE_EQ(r.report.totali->tempo_tot, 12000);
    EXPECT_NEAR(r.report.totali->dist_tot, 12000 * 4.0 / 3.6, 1e-6);
    expect_figures(r, "13,33 km", "3:20:0", "0 km", "0:0:0");
}

}  // namespace
}  // namespace lurendo
