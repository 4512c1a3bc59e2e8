// The worked example end to end: three points, no jump, the output byte for byte and the four figures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "run/report.h"
#include "run/run.h"
#include "test_support.h"

namespace lurendo {
namespace {

using test::data_file;
using test::read_file;
using ::testing::ElementsAre;

TEST(WorkedRun, OutputFiguresAndStatusMatchTheGoldenRun) {
    test::TempDir dir;
    const std::string out = dir.file("out.gpx");
    const test::RunCapture r = test::run_paths(data_file("worked.gpx"), out);
    const RisultatoEsecuzione& report = r.report;

    EXPECT_EQ(read_file(out), read_file(data_file("worked~out.gpx")));
    EXPECT_THAT(r.statuses, ElementsAre("Righe elaborate: 19", "Procedura eseguita. File: " + out));
    EXPECT_EQ(report.righe, 19);
    EXPECT_TRUE(report.totali.has_value());
    EXPECT_TRUE((report.esito == Esito::Eseguito));
    ASSERT_TRUE(report.cifre.has_value());
    EXPECT_EQ(report.cifre->dist_tot, "0,03 km");
    EXPECT_EQ(report.cifre->tempo_tot, "0:0:8");
    EXPECT_EQ(report.cifre->dist_parz, "0,03 km");
    EXPECT_EQ(report.cifre->tempo_parz, "0:0:4");
    EXPECT_EQ(report.n_punti, 3);
    EXPECT_EQ(r.store.lat_punto(1), 45512345678);
    EXPECT_EQ(r.store.lon_punto(3), 10712595678);
}

TEST(WorkedRun, LegSpeedsAndLengthsAreThoseOfTheExample) {
    test::TempDir dir;
    const Totali totali = esegui(data_file("worked.gpx"), dir.file("out.gpx")).totali.value();
    EXPECT_DOUBLE_EQ(totali.tempo_tot, 8);
    EXPECT_DOUBLE_EQ(totali.tempo_parz, 4);
    EXPECT_DOUBLE_EQ(totali.dist_parz, 24.5 / 3.6 * 4);
    EXPECT_DOUBLE_EQ(totali.dist_tot, 24.5 / 3.6 * 4 + 6.1 / 3.6 * 4);
}

}  // namespace
}  // namespace lurendo
