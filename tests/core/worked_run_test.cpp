// The worked example end to end: three points, no jump, the output byte for byte and the four figures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "stats/session.h"
#include "test_support.h"

namespace lurendo {
namespace {

using test::data_file;
using test::read_file;
using ::testing::ElementsAre;

TEST(WorkedRun, OutputFiguresAndStatusMatchTheGoldenRun) {
    test::TempDir dir;
    const std::string out = dir.file("out.gpx");
    std::vector<std::string> statuses;
    RunCallbacks callbacks;
    callbacks.status = [&](const std::string& s) { statuses.push_back(s); };

    Sessione sessione;
    const RunReport report = esegui_run(sessione, data_file("worked.gpx"), out, callbacks);

    EXPECT_EQ(read_file(out), read_file(data_file("worked~out.gpx")));
    EXPECT_THAT(statuses, ElementsAre("Righe elaborate: 19", "Procedura eseguita. File: " + out));
    EXPECT_EQ(report.run.righe, 19);
    EXPECT_TRUE(report.run.input_read);
    EXPECT_TRUE(report.run.output_written);
    ASSERT_TRUE(report.figure.has_value());
    EXPECT_EQ(report.figure->lbl_dist_tot, "0,03 km");
    EXPECT_EQ(report.figure->lbl_tempo_tot, "0:0:8");
    EXPECT_EQ(report.figure->lbl_dist_parz, "0,03 km");
    EXPECT_EQ(report.figure->lbl_tempo_parz, "0:0:4");
    EXPECT_EQ(sessione.repair.store.n_punti(), 3);
    EXPECT_EQ(sessione.repair.store.lat_punto(1), 45512345678.0);
    EXPECT_EQ(sessione.repair.store.lon_punto(3), 10712595678.0);
}

TEST(WorkedRun, LegSpeedsAndLengthsAreThoseOfTheExample) {
    test::TempDir dir;
    Sessione sessione;
    esegui_run(sessione, data_file("worked.gpx"), dir.file("out.gpx"), {});
    EXPECT_DOUBLE_EQ(sessione.totali.tempo_tot, 8);
    EXPECT_DOUBLE_EQ(sessione.totali.tempo_parz, 4);
    EXPECT_DOUBLE_EQ(sessione.totali.dist_parz, 24.5 / 3.6 * 4);
    EXPECT_DOUBLE_EQ(sessione.totali.dist_tot, 24.5 / 3.6 * 4 + 6.1 / 3.6 * 4);
}

}  // namespace
}  // namespace lurendo
