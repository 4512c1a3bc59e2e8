// Speed results and the speed profile on synthetic tracks whose answers are known by construction.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "stats/speed_profile.h"
#include "stats/speed_results.h"

namespace lurendo::stats {
namespace {

constexpr double kMetresPerDegree = 6378700 * std::numbers::pi / 180;  // on the sphere the legs use
constexpr double kLat = 45;

// A track drawn in metres east (x) and north (y) of a point at 45° N, fed to the calculator leg by leg.
class Track {
  public:
    // `ora`: the time of day of the first point, s.
    explicit Track(double ora = 36000) : ora_(ora) { calc.inizio(at(0, 0), ora_); }
    PuntoRadianti at(double x, double y) const {
        const double lat = kLat + y / kMetresPerDegree;
        const double lon = 10 + x / (kMetresPerDegree * std::cos(kLat * std::numbers::pi / 180));
        return punto_radianti(lat * 1e9, lon * 1e9);
    }
    // A straight leg to (x, y) at `kmh`, its duration from its length (or `t` when given).
    void to(double x, double y, double kmh, double t = 0) {
        const PuntoRadianti next = at(x, y);
        const double d = distanza_km(last_, next);
        const double seconds = t > 0 ? t : std::hypot(x - x_, y - y_) / (kmh / 3.6);
        ora_ = std::fmod(ora_ + seconds, 86400);
        calc.tratto({seconds, kmh, d}, next, ora_);
        last_ = next;
        x_ = x;
        y_ = y;
    }
    // A leg of `t` seconds at `kmh` northward.
    void north(double t, double kmh) { to(x_, y_ + kmh / 3.6 * t, kmh, t); }
    void relocate(double x, double y) {
        last_ = at(x, y);
        x_ = x;
        y_ = y;
        calc.inizio(last_, ora_);
    }
    RisultatiVelocita results() const { return calc.risultati(); }

    CalcoloVelocita calc;

  private:
    double ora_;
    PuntoRadianti last_ = at(0, 0);
    double x_ = 0;
    double y_ = 0;
};

TEST(SpeedResults, ConstantSpeedAtOneAndFiveHertzGivesThatSpeedEverywhere) {
    for (const double step : {1.0, 0.2}) {
        SCOPED_TRACE(step);
        Track track;
        for (int i = 0; i < static_cast<int>(4000 / step); ++i)
            track.north(step, 36);
        const RisultatiVelocita r = track.results();
        for (const auto& result : {r.due_s, r.dieci_s, r.cinque_per_dieci, r.m500, r.miglio, r.un_ora}) {
            ASSERT_TRUE(result.has_value());
            EXPECT_NEAR(*result, 36, 1e-6);
        }
        EXPECT_FALSE(r.alpha500.has_value()) << "a straight line never comes back";
    }
}

// Legs of 1 s at 1, 2, … 100 km/h: the best runs are the last ones, the five 10 s runs the last fifty.
TEST(SpeedResults, ARampHasItsBestRunsAtItsEnd) {
    Track track;
    for (int v = 1; v <= 100; ++v)
        track.north(1, v);
    const RisultatiVelocita r = track.results();
    EXPECT_NEAR(r.due_s.value(), 99.5, 1e-6);
    EXPECT_NEAR(r.dieci_s.value(), 95.5, 1e-6);
    EXPECT_NEAR(r.cinque_per_dieci.value(), (95.5 + 85.5 + 75.5 + 65.5 + 55.5) / 5, 1e-6);
    EXPECT_FALSE(r.un_ora.has_value());
    EXPECT_FALSE(r.miglio.has_value()) << "the ramp covers 1.4 km";
}

// Out 150 m, across `gap` m, back 150 m at 36 km/h: an alpha only when the ends are within 50 m.
TEST(SpeedResults, AnAlphaNeedsItsEndsWithinFiftyMetres) {
    for (const double gap : {49.0, 51.0}) {
        SCOPED_TRACE(gap);
        Track track;
        for (int i = 1; i <= 15; ++i)
            track.to(0, 10 * i, 36);
        track.to(gap, 150, 36);
        for (int i = 14; i >= 0; --i)
            track.to(gap, 10 * i, 36);
        const std::optional<double> alpha = track.results().alpha500;
        if (gap < 50) {
            ASSERT_TRUE(alpha.has_value());
            EXPECT_NEAR(*alpha, 36, 1e-6);
        } else {
            EXPECT_FALSE(alpha.has_value());
        }
    }
}

TEST(SpeedResults, AnAlphaIsAtLeast250Metres) {
    for (const double leg : {100.0, 110.0}) {  // paths of 240 and 260 m, ends 40 m apart
        Track track;
        track.to(0, leg, 30);
        track.to(40, leg, 30);
        track.to(40, 0, 30);
        EXPECT_EQ(track.results().alpha500.has_value(), leg > 100) << leg;
    }
}

TEST(SpeedResults, NoRunSpansARelocation) {
    Track track;
    for (int i = 0; i < 6; ++i)
        track.north(1, 36);
    track.relocate(50'000, 0);
    for (int i = 0; i < 6; ++i)
        track.north(1, 36);
    const RisultatiVelocita r = track.results();
    EXPECT_NEAR(r.due_s.value(), 36, 1e-6);
    EXPECT_FALSE(r.dieci_s.has_value()) << "two runs of 6 s make no 10 s run";
    EXPECT_FALSE(r.cinque_per_dieci.has_value());
}

// Every pair of points taken literally: the best speed over paths of 250 to 500 m whose ends lie within
// 50 m, with the sums the calculator keeps.
std::optional<double> alpha_brute_force(const std::vector<PuntoRadianti>& points,
                                        const std::vector<double>& tempo, const std::vector<double>& spazio) {
    std::optional<double> best;
    for (size_t j = 0; j < points.size(); ++j) {
        for (size_t i = 0; i < j; ++i) {
            const double path = spazio[j] - spazio[i];
            const double seconds = tempo[j] - tempo[i];
            if (spazio[i] < spazio[j] - 500 || path < 250 || seconds <= 0)
                continue;
            if (distanza_km(points[i], points[j]) * 1000 > 50)
                continue;
            const double speed = path / seconds * 3.6;
            if (!best || speed > *best)
                best = speed;
        }
    }
    return best;
}

// Wandering tracks that turn at random rates, so that many paths come back near where they started.
TEST(SpeedResults, AlphaAgreesWithEveryPairTakenLiterally) {
    std::mt19937 random(11);
    for (int round = 0; round < 6; ++round) {
        Track track;
        std::vector<PuntoRadianti> points{track.at(0, 0)};
        std::vector<double> tempo{0}, spazio{0};
        double x = 0, y = 0, heading = 0, turn = 0, kmh = 20;
        std::uniform_real_distribution<double> turn_rate(-0.1, 0.4), speed(8, 45), step(0.2, 1.5);
        for (int leg = 0; leg < 1500; ++leg) {
            if (leg % 30 == 0) {
                turn = turn_rate(random);
                kmh = speed(random);
            }
            const double t = round % 2 ? 1.0 : step(random);
            heading += turn * t;
            x += std::cos(heading) * kmh / 3.6 * t;
            y += std::sin(heading) * kmh / 3.6 * t;
            track.to(x, y, kmh, t);
            points.push_back(track.at(x, y));
            tempo.push_back(tempo.back() + t);
            spazio.push_back(spazio.back() + (kmh / 3.6) * t);
        }
        const std::optional<double> expected = alpha_brute_force(points, tempo, spazio);
        ASSERT_TRUE(expected.has_value()) << "round " << round << ": the track should hold an alpha";
        EXPECT_EQ(track.results().alpha500, expected) << "round " << round;
    }
}

// The five passes taken literally: every shortest 10 s window, then five times the best one that uses no
// leg an earlier pass took.
std::optional<double> five_by_ten_brute_force(const std::vector<double>& kmh) {
    struct Window {
        double speed;
        size_t first;
        size_t last;
    };
    std::vector<Window> windows;
    for (size_t j = 0; j < kmh.size(); ++j) {
        if (j + 1 < 10)
            continue;
        double sum = 0;
        for (size_t i = j + 1 - 10; i <= j; ++i)
            sum += kmh[i];
        windows.push_back({sum / 10, j + 1 - 10, j});
    }
    std::vector<bool> used(kmh.size(), false);
    double total = 0;
    for (int pass = 0; pass < 5; ++pass) {
        const Window* best = nullptr;
        for (const Window& w : windows) {
            bool free = true;
            for (size_t i = w.first; i <= w.last; ++i)
                free = free && !used[i];
            if (free && (!best || w.speed > best->speed + 1e-9))
                best = &w;
        }
        if (!best)
            return std::nullopt;
        for (size_t i = best->first; i <= best->last; ++i)
            used[i] = true;
        total += best->speed;
    }
    return total / 5;
}

TEST(SpeedResults, FiveTenSecondRunsAgreeWithTheFivePassesTakenLiterally) {
    std::mt19937 random(7);
    for (const size_t legs : {40u, 60u, 400u, 3000u}) {
        for (int round = 0; round < 5; ++round) {
            std::vector<double> kmh(legs);
            std::uniform_int_distribution<int> speed(0, 400);
            for (double& v : kmh)
                v = speed(random) / 10.0;
            Track track;
            for (const double v : kmh)
                track.north(1, std::max(v, 0.1));
            for (double& v : kmh)
                v = std::max(v, 0.1);
            const std::optional<double> expected = five_by_ten_brute_force(kmh);
            const std::optional<double> got = track.results().cinque_per_dieci;
            ASSERT_EQ(got.has_value(), expected.has_value()) << legs;
            if (expected) {
                EXPECT_NEAR(*got, *expected, 1e-6) << legs << " legs, round " << round;
            }
        }
    }
}

// Two half-hour sessions 2.5 h apart, the first covering 11.6 km: the best hour is the first session and
// half an hour of the pause, 11.6 km in 3600 s. A run of whole legs would have to swallow the pause.
TEST(SpeedResults, TheBestHourTakesPartOfAPauseAtItsOwnSpeed) {
    Track track;
    for (int i = 0; i < 1800; ++i)
        track.north(1, 11.6 / 1800 * 3600);
    track.north(9000, 0);
    for (int i = 0; i < 1800; ++i)
        track.north(1, 10);
    EXPECT_NEAR(track.results().un_ora.value(), 11.6, 1e-9);
}

// Points every 3 s at 18 km/h with one leg at 36 km/h: the best 10 s holds the fast leg and 7 s of slow
// ones, 30 + 35 m; the other four windows are slow. Whole legs would give 12 s windows, 75 m: 22.5 km/h.
TEST(SpeedResults, TimeResultsLastExactlyTheirDurationAcrossLongLegs) {
    Track track;
    for (int i = 0; i < 10; ++i)
        track.north(3, 18);
    track.north(3, 36);
    for (int i = 0; i < 10; ++i)
        track.north(3, 18);
    const RisultatiVelocita r = track.results();
    EXPECT_NEAR(r.due_s.value(), 36, 1e-9);
    EXPECT_NEAR(r.dieci_s.value(), 65.0 / 10 * 3.6, 1e-9);
    EXPECT_NEAR(r.cinque_per_dieci.value(), (23.4 + 4 * 18) / 5, 1e-9);
}

void expect_run(const std::optional<Corsa>& run, double from, double to, int64_t first, int64_t last) {
    ASSERT_TRUE(run.has_value());
    EXPECT_NEAR(run->inizio, from, 1e-6);
    EXPECT_NEAR(run->fine, to, 1e-6);
    EXPECT_EQ(run->da_punto, first);
    EXPECT_EQ(run->a_punto, last);
}

// Each result names its run: the ramp's best runs are its last legs (leg k ends at point k + 1, k s after
// 10:00:00), its five 10 s windows the last fifty seconds, fastest first.
TEST(SpeedResults, EachResultNamesTheRunBehindIt) {
    Track ramp;
    for (int v = 1; v <= 100; ++v)
        ramp.north(1, v);
    const CorseMigliori& corse = ramp.results().corse;
    expect_run(corse.due_s, 36098, 36100, 99, 101);
    expect_run(corse.dieci_s, 36090, 36100, 91, 101);
    ASSERT_EQ(corse.cinque_per_dieci.size(), 5u);
    for (int k = 0; k < 5; ++k)
        expect_run(corse.cinque_per_dieci[k], 36090 - 10 * k, 36100 - 10 * k, 91 - 10 * k, 101 - 10 * k);
    EXPECT_FALSE(corse.un_ora.has_value());

    // The best hour of the paused session starts at the first point and ends half an hour into the pause
    // leg, which ends at point 1802.
    Track paused;
    for (int i = 0; i < 1800; ++i)
        paused.north(1, 23.2);
    paused.north(9000, 0);
    for (int i = 0; i < 1800; ++i)
        paused.north(1, 10);
    expect_run(paused.results().corse.un_ora, 36000, 39600, 1, 1802);

    // A run across midnight: the clock goes round.
    Track late(86395);
    for (int v = 1; v <= 12; ++v)
        late.north(1, v);
    expect_run(late.results().corse.due_s, 5, 7, 11, 13);
    expect_run(late.results().corse.dieci_s, 86397, 7, 3, 13);
}

// The distance covered by time `at` on a track of legs (duration, km/h), read straight off the legs.
double covered(const std::vector<std::pair<double, double>>& legs, double at) {
    double time = 0, metres = 0;
    for (const auto& [t, kmh] : legs) {
        const double part = std::clamp(at - time, 0.0, t);
        metres += kmh / 3.6 * part;
        time += t;
    }
    return metres;
}

// Every window of the duration placed every millisecond: none beats the result, and one comes within what
// a millisecond's shift can change.
TEST(SpeedResults, NoWindowPlacedAnywhereBeatsTheBestTwoAndTenSeconds) {
    std::mt19937 random(5);
    std::uniform_real_distribution<double> duration(0.2, 4.5), speed(5, 60);
    for (int round = 0; round < 4; ++round) {
        Track track;
        std::vector<std::pair<double, double>> legs;
        double total = 0;
        for (int i = 0; i < 40; ++i) {
            legs.emplace_back(std::round(duration(random) * 10) / 10, speed(random));
            track.north(legs.back().first, legs.back().second);
            total += legs.back().first;
        }
        const RisultatiVelocita r = track.results();
        for (const auto& [seconds, result] : {std::pair{2.0, r.due_s}, std::pair{10.0, r.dieci_s}}) {
            double best = 0;
            for (double from = 0; from + seconds <= total + 1e-9; from += 0.001)
                best = std::max(best, (covered(legs, from + seconds) - covered(legs, from)) / seconds * 3.6);
            ASSERT_TRUE(result.has_value());
            EXPECT_LE(best, *result + 1e-6) << seconds << " s, round " << round;
            EXPECT_GE(best, *result - 60 * 0.001 / seconds * 2) << seconds << " s, round " << round;
        }
    }
}

// The five passes taken literally on legs of any duration: every 10 s window that starts or ends at a
// point, measured off the legs, then five times the best one that overlaps no window taken before.
std::optional<double> five_windows_brute_force(const std::vector<std::pair<double, double>>& legs) {
    std::vector<double> times{0};
    for (const auto& leg : legs)
        times.push_back(times.back() + leg.first);
    struct Window {
        double speed, from, to;
    };
    std::vector<Window> windows;
    for (const double t : times) {
        for (const double from : {t, t - 10}) {
            if (from >= -1e-9 && from + 10 <= times.back() + 1e-9)
                windows.push_back(
                    {(covered(legs, from + 10) - covered(legs, from)) / 10 * 3.6, from, from + 10});
        }
    }
    std::vector<Window> taken;
    for (int pass = 0; pass < 5; ++pass) {
        const Window* best = nullptr;
        for (const Window& w : windows) {
            const bool free = std::none_of(taken.begin(), taken.end(), [&](const Window& t) {
                return w.from < t.to - 1e-6 && t.from < w.to - 1e-6;
            });
            if (free && (!best || w.speed > best->speed + 1e-9))
                best = &w;
        }
        if (!best)
            return std::nullopt;
        taken.push_back(*best);
    }
    double sum = 0;
    for (const Window& w : taken)
        sum += w.speed;
    return sum / 5;
}

TEST(SpeedResults, FiveTenSecondWindowsOnUnevenLegsAgreeWithThePassesTakenLiterally) {
    std::mt19937 random(3);
    std::uniform_int_distribution<int> duration(1, 40), speed(0, 400);
    for (const size_t n : {20u, 35u, 300u}) {
        for (int round = 0; round < 4; ++round) {
            std::vector<std::pair<double, double>> legs;
            Track track;
            for (size_t i = 0; i < n; ++i) {
                legs.emplace_back(duration(random) / 10.0, std::max(0.1, speed(random) / 10.0));
                track.north(legs.back().first, legs.back().second);
            }
            const std::optional<double> expected = five_windows_brute_force(legs);
            const std::optional<double> got = track.results().cinque_per_dieci;
            ASSERT_EQ(got.has_value(), expected.has_value()) << n << " legs, round " << round;
            if (expected) {
                EXPECT_NEAR(*got, *expected, 1e-6) << n << " legs, round " << round;
            }
        }
    }
}

TEST(SpeedProfile, AtMost2048ColumnsThatAddUpToTheTrack) {
    CostruttoreProfilo builder;
    for (int i = 0; i < 10'000; ++i) {
        if (i == 5000)
            builder.salto();
        builder.tratto(1, i < 5001 ? 10 : 30);
    }
    const ProfiloVelocita p = builder.profilo();
    ASSERT_LE(p.colonne.size(), CostruttoreProfilo::kMaxColonne);
    EXPECT_GT(p.colonne.size(), CostruttoreProfilo::kMaxColonne / 4);
    double total = 0;
    int jumps = 0;
    for (const ColonnaProfilo& c : p.colonne) {
        total += c.tempo;
        jumps += c.salto;
        EXPECT_LE(c.v_min, c.v_media + 1e-9);
        EXPECT_LE(c.v_media, c.v_max + 1e-9);
    }
    EXPECT_NEAR(total, 10'000, 1e-6);
    EXPECT_EQ(jumps, 1);
    EXPECT_EQ(p.colonne.front().quota_planata, 0);
    EXPECT_EQ(p.colonne.back().quota_planata, 1);
    // The column where the speed changes holds both speeds.
    const auto mixed = std::find_if(p.colonne.begin(), p.colonne.end(),
                                    [](const ColonnaProfilo& c) { return c.v_min == 10 && c.v_max == 30; });
    ASSERT_NE(mixed, p.colonne.end());
    EXPECT_GT(mixed->quota_planata, 0);
    EXPECT_LT(mixed->quota_planata, 1);
}

TEST(SpeedProfile, ALongLegSpreadsItsTimeOverTheColumnsItSpans) {
    CostruttoreProfilo builder;
    builder.tratto(10, 20);
    builder.tratto(100, 5);
    const ProfiloVelocita p = builder.profilo();
    ASSERT_EQ(p.colonne.size(), 110u);
    EXPECT_EQ(p.colonne[9].v_max, 20);
    EXPECT_EQ(p.colonne[50].v_max, 5);
    EXPECT_EQ(p.colonne[50].tempo, 1);
}

}  // namespace
}  // namespace lurendo::stats
