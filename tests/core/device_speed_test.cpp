// The device's own speed: found in any line of a point, read strictly, and used by the speed results
// while the totals keep the positions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "repair/read/device_speed.h"
#include "run/run.h"
#include "test_support.h"

namespace lurendo {
namespace {

std::optional<double> scanned(std::initializer_list<std::string_view> pieces) {
    DeviceSpeedScanner scanner;
    scanner.reset();
    for (const std::string_view piece : pieces)
        scanner.feed(piece);
    return scanner.speed();
}

TEST(DeviceSpeed, TheFirstSpeedElementWithoutAttributesCountsWhateverItsPrefix) {
    EXPECT_EQ(scanned({"<speed>5.25</speed>"}), 5.25);
    EXPECT_EQ(scanned({"<extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>3.2</gpxtpx:speed>"}), 3.2);
    EXPECT_EQ(scanned({"<gpxdata:speed>0.800000011920929</gpxdata:speed>"}), 0.800000011920929);
    EXPECT_EQ(scanned({"<ns3:speed >7</ns3:speed>"}), 7);
    // Not a speed element: another local name, or attributes.
    EXPECT_EQ(scanned({"<verticalSpeed>2</verticalSpeed><speedometer>9</speedometer>"}), std::nullopt);
    EXPECT_EQ(scanned({"<ns:verticalSpeed>2</ns:verticalSpeed>", "<speed>4</speed>"}), 4);
    EXPECT_EQ(scanned({"<speed unit=\"kmh\">20</speed>", "<speed>6</speed>"}), 6);
    // Its text may lie on lines of its own, blanks around it.
    EXPECT_EQ(scanned({"<speed>", "  12.5 ", "</speed>"}), 12.5);
    // The first element settles it, even when it cannot be read.
    EXPECT_EQ(scanned({"<speed>fast</speed>", "<speed>3</speed>"}), std::nullopt);
    EXPECT_EQ(scanned({"<speed/>", "<speed>3</speed>"}), std::nullopt);
    // Nothing before the element has closed.
    EXPECT_EQ(scanned({"<speed>", "12"}), std::nullopt);
}

TEST(DeviceSpeed, OnlyPlainDecimalsUpTo150MetresPerSecondAreRead) {
    for (const auto& [text, expected] :
         {std::pair<const char*, std::optional<double>>{"0", 0.0},
          {" 150 ", 150.0},
          {"\r\n 1.5\t", 1.5},
          {"150.01", std::nullopt},
          {"-1", std::nullopt},
          {"+1", std::nullopt},
          {"1e2", std::nullopt},
          {"1.", std::nullopt},
          {".5", std::nullopt},
          {"1,5", std::nullopt},
          {"1.2.3", std::nullopt},
          {"", std::nullopt},
          {"nan", std::nullopt},
          // More digits than a double holds.
          {"0.12345678901234567890123", 0.12345678901234568},
          {"000000000000000000000000012.5", 12.5},
          // Correctly rounded to the last digit: a hair above the
          // midpoint of 1 and the next double, a hair that only the 64th
          // character shows (Python's float() reads the same).
          {"1.00000000000000011102230246251565404236316680908203125000000001", 1.0000000000000002},
          {"3444444444444444444444.5", std::nullopt}})
        EXPECT_EQ(read_device_speed(text), expected) << '"' << text << '"';
}

// A straight track northward at 1 Hz whose positions wander by up to `noise` metres, with the device's
// speed in each point where `speed_at(i)` gives one: its element written by `element(i, value)`.
std::string track(int points, double noise,
                  const std::function<std::optional<std::string>(int)>& speed_text) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> wander(-noise, noise);
    std::string text;
    for (int i = 0; i < points; ++i) {
        const double north_m = i * 10.0 + wander(random);  // 10 m/s on average
        const double east_m = wander(random);
        char point[512];
        std::snprintf(point, sizeof point,
                      "      <trkpt lat=\"%.9f\" lon=\"%.9f\">\r\n        <ele>1.0</ele>\r\n"
                      "        <time>2022-07-16T%02d:%02d:%02dZ</time>\r\n",
                      45 + north_m / 111000, 10 + east_m / 78000, 10 + i / 3600, i / 60 % 60, i % 60);
        text += point;
        if (const auto speed = speed_text(i))
            text += "        <extensions><gpxdata:verticalSpeed>0.5</gpxdata:verticalSpeed>" + *speed +
                    "</extensions>\r\n";
        text += "      </trkpt>\r\n";
    }
    return test::canonical_document(text);
}

RisultatoEsecuzione run_text(const std::string& document) {
    test::TempDir dir;
    return test::run_bytes(dir, document).report;
}

TEST(DeviceSpeedRuns, AConstantDeviceSpeedIsTheResultExactlyWhateverThePositionsDo) {
    const std::string document =
        track(4000, 3, [](int) { return std::optional<std::string>("<gpxdata:speed>8.5</gpxdata:speed>"); });
    const RisultatoEsecuzione r = run_text(document);
    ASSERT_TRUE((r.esito == Esito::Eseguito));
    EXPECT_TRUE((r.fonte == FonteVelocita::Doppler));
    const double kmh = 8.5 * 3.6;
    for (const auto& result : {r.velocita.due_s, r.velocita.dieci_s, r.velocita.cinque_per_dieci,
                               r.velocita.m500, r.velocita.miglio, r.velocita.un_ora}) {
        ASSERT_TRUE(result.has_value());
        EXPECT_NEAR(*result, kmh, 1e-9);
    }
    // The noisy positions give faster short runs, and they still count for the totals.
    EXPECT_GT(*r.velocita_posizioni.due_s, kmh + 1);
    const RisultatoEsecuzione without = run_text(track(4000, 3, [](int) { return std::nullopt; }));
    EXPECT_EQ(r.totali->dist_tot, without.totali->dist_tot);
    EXPECT_EQ(r.velocita_posizioni.due_s, without.velocita.due_s);
    EXPECT_TRUE((without.fonte == FonteVelocita::Posizioni));
    EXPECT_EQ(without.velocita.due_s, without.velocita_posizioni.due_s);
}

TEST(DeviceSpeedRuns, SpeedsOnAlternatePointsOrUnreadableOnesMakeAMixedSource) {
    const auto alternate = [](int i) {
        return i % 2 == 0 ? std::optional<std::string>("<speed>10</speed>") : std::nullopt;
    };
    EXPECT_TRUE((run_text(track(200, 0, alternate)).fonte == FonteVelocita::Misto));

    // One unreadable speed: that leg takes its speed from the positions.
    const auto one_unreadable = [](int i) {
        return std::optional<std::string>(i == 100 ? "<speed>-10</speed>" : "<speed>10</speed>");
    };
    const RisultatoEsecuzione r = run_text(track(200, 0, one_unreadable));
    EXPECT_TRUE((r.fonte == FonteVelocita::Misto));
    const RisultatoEsecuzione all =
        run_text(track(200, 0, [](int) { return std::optional<std::string>("<speed>10</speed>"); }));
    EXPECT_TRUE((all.fonte == FonteVelocita::Doppler));
    EXPECT_NEAR(*all.velocita.dieci_s, 36, 1e-9);
}

TEST(DeviceSpeedRuns, TheMedianIntervalIsThatOfTheLegs) {
    std::string points;
    const char* times[] = {"10:00:00", "10:00:05", "10:00:10", "10:00:11", "10:00:16"};
    for (int i = 0; i < 5; ++i)
        points += test::canonical_point("45.0000" + std::to_string(i), "10.0", times[i]);
    EXPECT_EQ(run_text(test::canonical_document(points)).intervallo_mediano, 5);
    EXPECT_EQ(run_text(test::canonical_document(test::canonical_point("45.0", "10.0", "10:00:00")))
                  .intervallo_mediano,
              std::nullopt);
}

}  // namespace
}  // namespace lurendo
