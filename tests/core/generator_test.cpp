// The sample track generator: the canonical layout, clock and spikes, a realistic and bounded session,
// and a generated hour that the repair tool reads as the session it is.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "bench/gpx_layout.h"
#include "bench/session_simulator.h"
#include "bench/track_generator.h"
#include "run/report.h"
#include "run/run.h"
#include "test_support.h"

namespace lurendo::bench {
namespace {

struct Point {
    double lat;
    double lon;
    double ele;
    std::string time;
};

std::string generate(const TrackOptions& options) {
    std::string document;
    EXPECT_TRUE(write_track(options, [&](std::string_view piece) {
        document += piece;
        return true;
    }));
    return document;
}

// Splits at CR LF; a CR or LF anywhere else fails the test.
std::vector<std::string> crlf_lines(const std::string& document) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = document.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(document.substr(start, end - start));
        EXPECT_EQ(lines.back().find_first_of("\r\n"), std::string::npos) << "line " << lines.size();
    }
    EXPECT_EQ(start, document.size()) << "text after the last CR LF";
    return lines;
}

// True when `line` has the shape of `pattern`, where each '9' stands for any digit.
bool has_shape(const std::string& line, std::string_view pattern) {
    if (line.size() != pattern.size())
        return false;
    for (size_t i = 0; i < line.size(); ++i) {
        const bool digit = line[i] >= '0' && line[i] <= '9';
        if (pattern[i] == '9' ? !digit : line[i] != pattern[i])
            return false;
    }
    return true;
}

// The points of a generated document, checking each one's four lines against the canonical layout.
std::vector<Point> points_of(const std::string& document) {
    const std::vector<std::string> lines = crlf_lines(document);
    std::vector<Point> points;
    size_t i = 0;
    while (i < lines.size() && lines[i] != "    <trkseg>")
        ++i;
    for (++i; i + 3 < lines.size() && lines[i] != "    </trkseg>"; i += 4) {
        if (!has_shape(lines[i], R"(      <trkpt lat="99.999999999" lon="99.999999999">)") ||
            !has_shape(lines[i + 1], "        <ele>99.999999</ele>") ||
            !has_shape(lines[i + 2], "        <time>9999-99-99T99:99:99Z</time>") ||
            lines[i + 3] != "      </trkpt>") {
            ADD_FAILURE() << "point not in the canonical layout at line " << i + 1;
            break;
        }
        points.push_back({std::stod(lines[i].substr(18, 12)), std::stod(lines[i].substr(37, 12)),
                          std::stod(lines[i + 1].substr(13, 9)), lines[i + 2].substr(14, 20)});
    }
    return points;
}

// Great-circle speed between two points one second apart.
double speed_kmh(const Point& a, const Point& b) {
    const double to_rad = std::numbers::pi / 180;
    const double dlat = (b.lat - a.lat) * to_rad;
    const double dlon = (b.lon - a.lon) * to_rad * std::cos(a.lat * to_rad);
    return 6371000 * std::hypot(dlat, dlon) * 3.6;
}

double largest_jump(const Point& a, const Point& b) {
    return std::max(std::abs(a.lat - b.lat), std::abs(a.lon - b.lon));
}

TEST(GpxLayout, CoordinatesHaveTwoIntegerDigitsAndNineDecimals) {
    EXPECT_EQ(coordinate_text(45'612'345'678), "45.612345678");
    EXPECT_EQ(coordinate_text(10'000'000'001), "10.000000001");
    EXPECT_EQ(coordinate_text(99'999'999'999), "99.999999999");
    EXPECT_THROW(coordinate_text(9'999'999'999), std::out_of_range);
    EXPECT_THROW(coordinate_text(100'000'000'000), std::out_of_range);
    EXPECT_THROW(coordinate_text(-45'612'345'678), std::out_of_range);
}

TEST(GpxLayout, TimestampsRunOnIntoTheFollowingDays) {
    EXPECT_EQ(timestamp_text(0), "2019-08-10T00:00:00Z");
    EXPECT_EQ(timestamp_text(86399), "2019-08-10T23:59:59Z");
    EXPECT_EQ(timestamp_text(86400), "2019-08-11T00:00:00Z");
    EXPECT_EQ(timestamp_text(22 * 86400 + 3661), "2019-09-01T01:01:01Z");
}

TEST(GpxLayout, TimeOfDayParsesOnlyValidClockTimes) {
    EXPECT_EQ(parse_time_of_day("00:00:00"), 0);
    EXPECT_EQ(parse_time_of_day("23:59:59"), 86399);
    EXPECT_EQ(parse_time_of_day("10:04:05"), 36245);
    for (const char* bad : {"", "24:00:00", "10:60:00", "10:00:60", "1:00:00", "10-00-00", "10:00:0x",
                            "10:00:000", " 10:00:00"})
        EXPECT_EQ(parse_time_of_day(bad), std::nullopt) << bad;
}

TEST(TrackGenerator, WritesEveryPointInTheCanonicalLayout) {
    const std::string document = generate({.points = 200, .seed = 3, .spikes = 2});
    const std::vector<std::string> lines = crlf_lines(document);
    ASSERT_EQ(lines.size(), 5 + 4 * 200 + 3u);
    EXPECT_EQ(lines[0], "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    EXPECT_THAT(lines[1], ::testing::StartsWith("<gpx version=\"1.1\""));
    EXPECT_THAT(lines[1], ::testing::HasSubstr("xmlns=\"http://www.topografix.com/GPX/1/1\""));
    EXPECT_EQ(lines[lines.size() - 1], "</gpx>");
    EXPECT_EQ(points_of(document).size(), 200u);
}

TEST(TrackGenerator, SameSeedSameTrackAndSpikesChangeOnlyTheirOwnPoints) {
    const TrackOptions clean{.points = 400, .seed = 11};
    TrackOptions spiky = clean;
    spiky.spikes = 4;
    EXPECT_EQ(generate(clean), generate(clean));
    EXPECT_NE(generate(clean), generate({.points = 400, .seed = 12}));

    const std::vector<std::string> a = crlf_lines(generate(clean));
    const std::vector<std::string> b = crlf_lines(generate(spiky));
    ASSERT_EQ(a.size(), b.size());
    int differing = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            ++differing;
            EXPECT_THAT(b[i], ::testing::StartsWith("      <trkpt lat="));
        }
    }
    EXPECT_EQ(differing, 4);
}

// The receiver's speed adds one line per point and changes nothing else; a run then takes its results from
// it: smooth where the positions are noisy, so its short results never exceed the simulated top speed.
TEST(TrackGenerator, DeviceSpeedsAddALinePerPointAndBecomeTheResults) {
    const TrackOptions plain{.points = 3000, .seed = 5};
    TrackOptions with = plain;
    with.device_speeds = true;
    std::vector<std::string> lines = crlf_lines(generate(with));
    ASSERT_EQ(lines.size(), 5 + 5 * 3000 + 3u);
    double fastest = 0;
    std::erase_if(lines, [&](const std::string& line) {
        if (!has_shape(line, "        <speed>9.999</speed>") &&
            !has_shape(line, "        <speed>99.999</speed>"))
            return false;
        fastest = std::max(fastest, std::stod(line.substr(15)) * 3.6);
        return true;
    });
    EXPECT_EQ(lines, crlf_lines(generate(plain)));

    test::TempDir dir;
    const RisultatoEsecuzione r = test::run_bytes(dir, generate(with)).report;
    EXPECT_TRUE((r.fonte == FonteVelocita::Doppler));
    ASSERT_TRUE(r.velocita.due_s.has_value());
    EXPECT_LE(*r.velocita.due_s, fastest + 1e-9);
}

TEST(TrackGenerator, ClockTicksOncePerSecondAcrossMidnight) {
    const std::vector<Point> points = points_of(generate({.points = 4, .start_second = 86398}));
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points[0].time, "2019-08-10T23:59:58Z");
    EXPECT_EQ(points[1].time, "2019-08-10T23:59:59Z");
    EXPECT_EQ(points[2].time, "2019-08-11T00:00:00Z");
    EXPECT_EQ(points[3].time, "2019-08-11T00:00:01Z");
}

TEST(TrackGenerator, SpikesAreIsolatedJumpsSpreadOverTheTrack) {
    const std::vector<Point> points = points_of(generate({.points = 3600, .seed = 5, .spikes = 3}));
    ASSERT_EQ(points.size(), 3600u);
    std::vector<size_t> spikes;
    for (size_t i = 1; i + 1 < points.size(); ++i) {
        const double in = largest_jump(points[i - 1], points[i]);
        const double out = largest_jump(points[i], points[i + 1]);
        if (in > 0.04 && out > 0.04) {
            spikes.push_back(i);
            EXPECT_GE(in, 0.0498);
            EXPECT_LE(in, 0.2002);
            EXPECT_LT(largest_jump(points[i - 1], points[i + 1]), 0.001) << "the track goes on where it was";
        } else {
            EXPECT_LT(std::min(in, out), 0.001) << "point " << i;
        }
    }
    ASSERT_EQ(spikes.size(), 3u);
    for (size_t k = 0; k < spikes.size(); ++k)
        EXPECT_EQ(spikes[k] * 3 / points.size(), k) << "one spike in each third";
}

TEST(TrackGenerator, AnHourLooksLikeASession) {
    const std::vector<Point> points = points_of(generate({.points = 3600, .seed = 7}));
    ASSERT_EQ(points.size(), 3600u);
    int planing = 0, slow = 0;
    double previous = speed_kmh(points[0], points[1]);
    for (size_t i = 1; i < points.size(); ++i) {
        const double speed = speed_kmh(points[i - 1], points[i]);
        ASSERT_GE(speed, 4.9) << "point " << i;
        ASSERT_LE(speed, 40.1) << "point " << i;
        EXPECT_LT(std::abs(speed - previous), 4.5) << "smooth at point " << i;
        planing += speed > 18;
        slow += speed < 12;
        previous = speed;
        EXPECT_NEAR(points[i].ele, 65, 1.5);
    }
    EXPECT_GT(planing, 3600 * 4 / 10);
    EXPECT_LT(planing, 3600 * 9 / 10);
    EXPECT_GT(slow, 3600 / 20);
}

TEST(TrackGenerator, RefusesOptionsThatCannotMakeATrack) {
    const auto sink = [](std::string_view) { return true; };
    EXPECT_THROW(write_track({.points = 0}, sink), std::invalid_argument);
    EXPECT_THROW(write_track({.points = 7, .spikes = 2}, sink), std::invalid_argument);
    EXPECT_THROW(write_track({.points = 10, .start_second = 86400}, sink), std::invalid_argument);
    EXPECT_NO_THROW(write_track({.points = 8, .spikes = 2}, sink));
}

TEST(TrackGenerator, StopsAtTheFirstRefusedPiece) {
    int calls = 0;
    EXPECT_FALSE(write_track({.points = 20000}, [&](std::string_view piece) {
        ++calls;
        EXPECT_GE(piece.size(), size_t{1} << 20);
        return false;
    }));
    EXPECT_EQ(calls, 1);
}

TEST(SessionSimulator, StaysNearItsSpotForAMillionSeconds) {
    SessionSimulator session(42);
    for (int i = 0; i < 1'000'000; ++i) {
        const Fix fix = session.next();
        ASSERT_NEAR(fix.latitude, 45.62, 0.045) << "second " << i;  // within 5 km
        ASSERT_NEAR(fix.longitude, 10.70, 0.065) << "second " << i;
        ASSERT_GE(session.speed_kmh(), 5);
        ASSERT_LE(session.speed_kmh(), 40);
    }
}

TEST(TrackGenerator, RepairToolReadsTheHourAsTheSessionItIs) {
    test::TempDir dir;
    const std::string input = dir.file("session.gpx");
    test::write_file(input, generate({.points = 3600, .seed = 7, .spikes = 3}));
    const test::RunCapture r = test::run_paths(input, dir.file("out.gpx"));
    const RisultatoEsecuzione& report = r.report;
    ASSERT_EQ(report.esito, Esito::Eseguito);
    EXPECT_EQ(report.righe, 5 + 4 * 3600 + 3);
    // Each spike and the point after it are dropped; the clock still covers the whole hour.
    EXPECT_EQ(r.store.n_punti(), 3600 - 2 * 3);
    EXPECT_DOUBLE_EQ(r.report.totali->tempo_tot, 3599);
    EXPECT_GT(r.report.totali->dist_tot, 10'000);
    EXPECT_LT(r.report.totali->dist_tot, 35'000);
    EXPECT_GT(r.report.totali->tempo_parz, 0.4 * 3599);
    EXPECT_LT(r.report.totali->tempo_parz, 0.9 * 3599);
}

}  // namespace
}  // namespace lurendo::bench
