// Corpus files with a known trait and a clear expected figure: line ends of every kind, several points on
// one line, self-closing points, fractional seconds and tracks that run across midnight. The expected
// figures are facts of the files themselves (line ends, point count, first and last time).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "run/report.h"
#include "run/run.h"
#include "stats/leg.h"
#include "test_support.h"

namespace lurendo {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpusDir = fs::path(LURENDO_SHARED_DIR) / "gpx-corpus";

// Index of the first stored point whose time of day is unreadable or has 60 or more seconds; 0 when none.
int64_t first_unreadable_time(const PointStore& store) {
    for (int64_t i = 1; i <= store.n_punti(); ++i) {
        const OraDelGiorno ora = store.ora_punto(i);
        if (!ora.leggibile || ora.secondi >= 60)
            return i;
    }
    return 0;
}

double longest_leg(const PointStore& store) {
    double longest = 0;
    for (int64_t i = 1; i < store.n_punti(); ++i)
        longest = std::max(longest, stats::secondi_tratto(store.ora_punto(i), store.ora_punto(i + 1)));
    return longest;
}

class CorpusTrait : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::is_directory(kCorpusDir))
            GTEST_SKIP() << "no GPX corpus at " << kCorpusDir;
    }

    // Repairs one corpus file into the temporary folder; its kept points land in `store_`.
    RisultatoEsecuzione repair(const std::string& name) {
        const fs::path input = kCorpusDir / name;
        if (!fs::exists(input))
            ADD_FAILURE() << "corpus file missing: " << input;
        test::RunCapture capture = test::run_paths(input.string(), dir_.file("out.gpx"));
        store_ = std::move(capture.store);
        return capture.report;
    }

    test::TempDir dir_;
    PointStore store_;
};

TEST_F(CorpusTrait, EveryKindOfLineEndCountsItsLines) {
    const struct {
        const char* file;
        int64_t lines;
    } cases[] = {
        {"osmand4-large.gpx", 45879},          // LF only
        {"link2gps-cr-big.gpx", 47890},        // CR only
        {"mapsource-mixed-crlf-cr.gpx", 910},  // 884 CR LF, 26 extra CR before them
        {"mixed-lf-cr-linestyles.gpx", 1198},  // 1082 LF, 116 CR
        {"etrex20x-oneline.gpx", 1},           // no line end at all
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const RisultatoEsecuzione report = repair(c.file);
        EXPECT_TRUE(report.totali.has_value());
        EXPECT_EQ(report.righe, c.lines);
    }
}

// Files without any jump between consecutive points: every point is kept, however it is laid out.
TEST_F(CorpusTrait, UnusualLayoutsKeepEveryPoint) {
    const struct {
        const char* file;
        int64_t points;
    } cases[] = {
        {"etrex20x-oneline.gpx", 104},           // the whole document on one line
        {"mapmyfitness-selfclosing.gpx", 9722},  // self-closing points on one 512 kB line
        {"urbanbiker-ptperline.gpx", 2870},      // a whole point, extensions included, per line
        {"mapsource-mixed-crlf-cr.gpx", 588},    // mostly self-closing points
        {"runbikehike-singlequote.gpx", 1027},   // lat='..' lon='..'
        {"garminconnect-29dec-usa.gpx", 68},     // up to 29 decimals
        {"lezyne-neglat-3digit.gpx", 804},       // negative latitudes, three-digit longitudes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        repair(c.file);
        EXPECT_EQ(store_.n_punti(), c.points);
    }
}

// Sub-second times keep their fraction: seconds stay below 60, the total time is the span of the track (its
// times only go forward) and the mean speed is that of the activity.
TEST_F(CorpusTrait, FractionalSecondsGiveTheTrackSpanAndADistance) {
    const struct {
        const char* file;
        double span_seconds;  // last time minus first time
        const char* span_text;
        double min_kmh;
        double max_kmh;
    } cases[] = {
        {"gpsbabel-subsecond.gpx", 0.8, "0:0:0,8", 40, 70},          // 5 Hz at about 14 m/s
        {"gpsbabel-split-crlf.gpx", 4.2, "0:0:4,2", 0, 5},           // whole and fractional times mixed
        {"urbanbiker-ptperline.gpx", 3850.928, "1:4:10,9", 10, 40},  // a bike ride
        {"sail-garminconnect-20250621.gpx", 1980, "0:33:0", 2, 30},  // a sailing race, ".000" times
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const RisultatoEsecuzione report = repair(c.file);
        if (!report.cifre) {
            ADD_FAILURE() << "no figures";
            continue;
        }
        EXPECT_EQ(first_unreadable_time(store_), 0) << "time of day not read as h:m:s";
        const Totali& t = *report.totali;
        EXPECT_NEAR(t.tempo_tot, c.span_seconds, 1e-6);
        EXPECT_EQ(report.cifre->tempo_tot, c.span_text);
        EXPECT_GT(t.dist_tot, 0);
        EXPECT_GE(t.dist_tot / t.tempo_tot * 3.6, c.min_kmh);
        EXPECT_LE(t.dist_tot / t.tempo_tot * 3.6, c.max_kmh);
    }
}

// Sailing races that go on past 00:00 UTC: the step across midnight is a short leg, not most of a day.
TEST_F(CorpusTrait, TracksAcrossMidnightKeepTheirSpan) {
    const struct {
        const char* file;
        double span_seconds;
        const char* span_text;
    } cases[] = {
        {"sail-gpsbabel-midnight-160525.gpx", 8816, "2:26:56"},  // 21:56:07 to 00:23:03
        {"sail-gpxpy-midnight-160622.gpx", 8984, "2:29:44"},     // 21:51:25 to 00:21:09
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const RisultatoEsecuzione report = repair(c.file);
        if (!report.cifre) {
            ADD_FAILURE() << "no figures";
            continue;
        }
        EXPECT_LT(longest_leg(store_), 3600);
        EXPECT_DOUBLE_EQ(report.totali->tempo_tot, c.span_seconds);
        EXPECT_EQ(report.cifre->tempo_tot, c.span_text);
    }
}

// Water-sport loggers that record their own speed in every point: the results come from it and never
// exceed the fastest speed the device recorded, while the position-only results stay those of the legs.
TEST_F(CorpusTrait, RecordedDeviceSpeedsGiveTheSpeedResults) {
    for (const char* name : {"ws-gt31-gpsbabel-20220411.gpx", "ws-motion-gpx10-20220716.gpx",
                             "ws-movescount-windsurf-20191006.gpx", "ws-waterspeed-tz0000-20220927.gpx"}) {
        SCOPED_TRACE(name);
        const RisultatoEsecuzione r = repair(name);
        ASSERT_TRUE((r.esito == Esito::Eseguito));
        EXPECT_TRUE((r.fonte == FonteVelocita::Doppler));
        double fastest = 0;
        for (int64_t i = 1; i <= store_.n_punti(); ++i)
            fastest = std::max(fastest, store_.velocita_gps(i).value_or(0) * 3.6);
        ASSERT_GT(fastest, 30);
        for (const auto& result :
             {r.velocita.due_s, r.velocita.dieci_s, r.velocita.m500, r.velocita.miglio}) {
            ASSERT_TRUE(result.has_value());
            EXPECT_LE(*result, fastest + 1e-9);
        }
        EXPECT_NE(r.velocita.due_s, r.velocita_posizioni.due_s);
        EXPECT_EQ(r.intervallo_mediano, 1);
    }
    // A phone app that records both: position-only short results run above anything the device measured.
    const RisultatoEsecuzione phone = repair("ws-waterspeed-tz0000-20220927.gpx");
    EXPECT_GT(*phone.velocita_posizioni.due_s, 45.5);
    EXPECT_LT(*phone.velocita.due_s, 45.5);
}

}  // namespace
}  // namespace lurendo
