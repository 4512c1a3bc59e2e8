// The statistics pass over stored points and the texts of the four figures.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "bench/track_generator.h"
#include "repair/store/point_store.h"
#include "run/run.h"
#include "run/statistics_pass.h"
#include "run/stats_results.h"
#include "stats/figures.h"
#include "test_support.h"

namespace lurendo {
namespace {

using test::store_point;

// The label texts of totals, as a run makes them.
TestiCifre texts(const Totali& t) {
    return testi_di(stats::testi_cifre({t.tempo_tot, t.dist_tot, t.tempo_parz, t.dist_parz}));
}

TEST(StatisticsPass, NoLegWithNoneOrOnePoint) {
    PointStore store;
    EXPECT_EQ(passo_statistiche(store).totali.tempo_tot, 0);
    store_point(store, "45", "10", "10:00:00");
    const Totali totali = passo_statistiche(store).totali;
    const TestiCifre f = texts(totali);
    EXPECT_EQ(f.dist_tot, "0 km");
    EXPECT_EQ(f.tempo_tot, "0:0:0");
    EXPECT_EQ(f.dist_parz, "0 km");
    EXPECT_EQ(f.tempo_parz, "0:0:0");
}

// A 17.3 km/h leg of 4 s, then the worked 25.1 km/h leg of 8 s.
TEST(StatisticsPass, LengthIsTheRoundedSpeedTimesTheDurationAndFastLegsArePlaning) {
    PointStore store;
    store_point(store, "45.123356789", "10.123256789", "10:00:00");
    store_point(store, "45.123456789", "10.123456789", "10:00:04");
    store_point(store, "45.123956789", "10.123456789", "10:00:12");
    const Totali totali = passo_statistiche(store).totali;
    EXPECT_DOUBLE_EQ(totali.tempo_tot, 12);
    EXPECT_DOUBLE_EQ(totali.dist_tot, 17.3 / 3.6 * 4 + 25.1 / 3.6 * 8);
    EXPECT_DOUBLE_EQ(totali.tempo_parz, 8);
    EXPECT_DOUBLE_EQ(totali.dist_parz, 25.1 / 3.6 * 8);
    const TestiCifre f = texts(totali);
    EXPECT_EQ(f.dist_tot, "0,08 km");
    EXPECT_EQ(f.tempo_tot, "0:0:12");
    EXPECT_EQ(f.dist_parz, "0,06 km");
    EXPECT_EQ(f.tempo_parz, "0:0:8");
}

// Northward legs of 4 s from 45°: 0.0001797° gives 18.006 km/h (18.0), a further 0.0001806° 18.097 (18.1).
TEST(StatisticsPass, PlaningMeansStrictlyAbove18) {
    PointStore store;
    store_point(store, "45", "10", "10:00:00");
    store_point(store, "45.0001797", "10", "10:00:04");
    store_point(store, "45.0003603", "10", "10:00:08");
    const Totali totali = passo_statistiche(store).totali;
    EXPECT_DOUBLE_EQ(totali.tempo_tot, 8);
    EXPECT_DOUBLE_EQ(totali.dist_tot, 18.0 / 3.6 * 4 + 18.1 / 3.6 * 4);
    EXPECT_DOUBLE_EQ(totali.tempo_parz, 4);
    EXPECT_DOUBLE_EQ(totali.dist_parz, 18.1 / 3.6 * 4);
}

TEST(StatisticsPass, ALegAcrossMidnightTakesTheShortGap) {
    PointStore store;
    store_point(store, "45.123456789", "10.123456789", "23:59:58");
    store_point(store, "45.123956789", "10.123456789", "00:00:06");
    const Totali totali = passo_statistiche(store).totali;
    EXPECT_DOUBLE_EQ(totali.tempo_tot, 8);
    EXPECT_DOUBLE_EQ(totali.dist_parz, 25.1 / 3.6 * 8);
}

// A step of a jump or more between kept points joins recordings made in different places: no leg.
TEST(StatisticsPass, ARelocationAddsNothing) {
    PointStore store;
    store_point(store, "45.123456789", "10.123456789", "10:00:00");
    store_point(store, "45.123956789", "10.123456789", "10:00:08");
    store_point(store, "45.147456789", "10.123456789", "10:00:09");  // 0.0235° north in one second
    store_point(store, "45.147456789", "10.145456789", "10:00:10");  // 0.022° east: a leg
    store_point(store, "45.147456789", "10.168956789", "10:00:11");  // 0.0235° east
    const Totali totali = passo_statistiche(store).totali;
    EXPECT_DOUBLE_EQ(totali.tempo_tot, 8 + 1);
    EXPECT_DOUBLE_EQ(totali.tempo_parz, 8 + 1);
    // 0.022° of longitude at 45.15° is 1.73 km, in one second.
    EXPECT_GT(totali.dist_tot, 25.1 / 3.6 * 8 + 1700) << "the leg of 0.022° east counts";
    EXPECT_LT(totali.dist_tot, 25.1 / 3.6 * 8 + 1760);
}

// A steady 32.4 km/h northward (0.0000808° a second at 45°) with one fix 0.01° east, under the jump
// threshold: the two legs through it go at 2834.1 km/h (the law of cosines with 40 digits, rounded by
// hand). They count in the four figures, but no speed result spans them and the profile marks them.
TEST(StatisticsPass, LegsFasterThan150KmhAreSpikesForTheResultsButCountInTheFigures) {
    PointStore store;
    for (int i = 0; i <= 100; ++i) {
        char lat[16], time[16];
        std::snprintf(lat, sizeof lat, "%.7f", 45 + i * 0.0000808);
        std::snprintf(time, sizeof time, "10:%02d:%02d", i / 60, i % 60);
        store_point(store, lat, i == 50 ? "10.01" : "10", time);
    }
    const Statistiche s = passo_statistiche(store);
    EXPECT_DOUBLE_EQ(s.totali.tempo_tot, 100);
    EXPECT_NEAR(s.totali.dist_tot, 98 * 32.4 / 3.6 + 2 * 2834.1 / 3.6, 1e-6);
    EXPECT_NEAR(s.totali.dist_parz, s.totali.dist_tot, 1e-9);
    for (const auto& result : {s.velocita_posizioni.due_s, s.velocita_posizioni.dieci_s,
                               s.velocita_posizioni.cinque_per_dieci, s.velocita.due_s}) {
        ASSERT_TRUE(result.has_value());
        EXPECT_NEAR(*result, 32.4, 1e-9) << "two runs of 49 s, each with four 10 s windows";
    }
    int marks = 0;
    double fastest = 0;
    for (const ColonnaProfilo& c : s.profilo.colonne) {
        marks += c.salto;
        fastest = std::max(fastest, c.v_max);
    }
    EXPECT_GE(marks, 1);
    EXPECT_EQ(fastest, 32.4);
}

// The pass may read a store that another thread is still filling: it waits for each published batch and
// ends when the store is closed, with the figures of the complete store.
TEST(StatisticsPass, ReadingAStoreWhileItFillsGivesTheFiguresOfTheWholeStore) {
    const auto fill = [](PointStore& store, int from, int to) {
        for (int i = from; i < to; ++i) {
            char time[16];
            std::snprintf(time, sizeof time, "%02d:%02d:%02d", 10 + i / 3600, i / 60 % 60, i % 60);
            store_point(store, "45." + std::to_string(100000000 + i * 37 % 900 * 100 + i), "10.5", time);
        }
    };
    constexpr int kPoints = 3 * 4096 + 100;  // batches and a part of one
    PointStore complete;
    fill(complete, 0, kPoints);
    const Statistiche expected = passo_statistiche(complete);

    PointStore filling;
    filling.share();
    Statistiche seen;
    std::thread reader([&] { seen = passo_statistiche(filling); });
    fill(filling, 0, kPoints / 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // the reader catches up and waits
    fill(filling, kPoints / 2, kPoints);
    filling.close();
    reader.join();

    EXPECT_GT(expected.totali.tempo_tot, 0);
    EXPECT_EQ(seen.totali.tempo_tot, expected.totali.tempo_tot);
    EXPECT_EQ(seen.totali.dist_tot, expected.totali.dist_tot);
    EXPECT_EQ(seen.totali.dist_parz, expected.totali.dist_parz);
    EXPECT_EQ(seen.velocita.dieci_s, expected.velocita.dieci_s);
    EXPECT_EQ(seen.profilo.colonne.size(), expected.profilo.colonne.size());
}

}  // namespace
}  // namespace lurendo

namespace lurendo {
namespace {

// A run that gives its points back as its statistics pass them, and so makes the reading wait whenever
// it runs far ahead, reaches exactly the figures of a run that keeps every point.
TEST(StatisticsPass, GivingPointsBackChangesNoFigure) {
    test::TempDir dir;
    std::FILE* track = std::fopen(dir.file("lunga.gpx").c_str(), "wb");
    ASSERT_NE(track, nullptr);
    bench::TrackOptions options;
    options.points = 400'000;  // more than the reading may run ahead of the statistics
    options.spikes = 20;
    options.device_speeds = true;
    ASSERT_TRUE(bench::write_track(options, [&](std::string_view piece) {
        return std::fwrite(piece.data(), 1, piece.size(), track) == piece.size();
    }));
    ASSERT_EQ(std::fclose(track), 0);

    const RisultatoEsecuzione given_back = esegui(dir.file("lunga.gpx"), dir.file("a.gpx"));
    const test::RunCapture kept = test::run_paths(dir.file("lunga.gpx"), dir.file("b.gpx"));
    ASSERT_TRUE((given_back.esito == Esito::Eseguito));
    ASSERT_EQ(kept.store.n_punti(), given_back.n_punti);
    EXPECT_EQ(given_back.totali->dist_tot, kept.report.totali->dist_tot);
    EXPECT_EQ(given_back.totali->tempo_parz, kept.report.totali->tempo_parz);
    EXPECT_EQ(given_back.velocita.cinque_per_dieci, kept.report.velocita.cinque_per_dieci);
    EXPECT_EQ(given_back.velocita_posizioni.alpha500, kept.report.velocita_posizioni.alpha500);
    EXPECT_EQ(given_back.velocita.un_ora, kept.report.velocita.un_ora);
    EXPECT_EQ(given_back.profilo.colonne.size(), kept.report.profilo.colonne.size());
    EXPECT_EQ(test::read_file(dir.file("a.gpx")), test::read_file(dir.file("b.gpx")));
}

}  // namespace
}  // namespace lurendo
