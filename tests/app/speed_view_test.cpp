// The speed profile and the speed results in the window: in empty parts of it, set after the figures of a
// run, emptied after an input error.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <cstdio>

#include "app/form1.h"
#include "app/speed_profile_view.h"
#include "app/speed_table.h"
#include "cli/report.h"
#include "test_support.h"
#include "window_test_support.h"

namespace lurendo {
namespace {

class SpeedView : public ::testing::Test {
  protected:
    void run(const std::string& track) {
        test::prepare(form, QString::fromStdString(track), dir.path().string());
        form.cmd_ripara_Click();
        ASSERT_TRUE(test::wait_for_run(form));
    }
    VistaProfilo* profile() { return form.findChild<VistaProfilo*>("profilo"); }
    TabellaVelocita* table() { return form.findChild<TabellaVelocita*>("tabella_velocita"); }

    test::TempDir dir;
    Form1 form;
};

TEST_F(SpeedView, CoversNoControl) {
    for (QWidget* added : {static_cast<QWidget*>(profile()), static_cast<QWidget*>(table())}) {
        ASSERT_NE(added, nullptr);
        for (QWidget* other : form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (other == profile() || other == table())
                continue;
            EXPECT_FALSE(added->geometry().intersects(other->geometry()))
                << added->objectName().toStdString() << " covers " << other->objectName().toStdString();
        }
        EXPECT_TRUE(form.rect().contains(added->geometry()));
    }
}

TEST_F(SpeedView, ShowsTheRunsResultsAndNothingBeforeOrAfterAnInputError) {
    EXPECT_TRUE(profile()->vuota());
    EXPECT_EQ(table()->valore("2 s"), "");

    // The worked track: 4 s at 24.5 km/h, then 4 s at 6.1 km/h.
    run(test::data_file("worked.gpx"));
    EXPECT_FALSE(profile()->vuota());
    EXPECT_EQ(table()->valore("2 s"), "24,5");
    EXPECT_EQ(table()->valore("10 s"), QString::fromUtf8("–"));
    EXPECT_EQ(table()->valore("Planata %"), "50,0");
    const QString tip = profile()->testo_a(profile()->width() - 10);
    EXPECT_TRUE(tip.startsWith("15:04")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("km/h"));

    run(dir.file("missing.gpx"));
    EXPECT_TRUE(profile()->vuota());
    EXPECT_EQ(table()->valore("2 s"), "");
}

// A track whose points carry the receiver's speed: the table says so, and each row's tooltip holds the
// result from the positions alone. The caption switches to knots on a click, and the choice outlives
// the table.
TEST_F(SpeedView, TheTableNamesItsSourceAndSwitchesToKnotsForGood) {
    std::string points;
    for (int i = 0; i < 30; ++i) {
        char point[256];
        std::snprintf(point, sizeof point,
                      "<trkpt lat=\"45.%06d\" lon=\"10.0\"><time>2022-07-16T10:00:%02dZ</time>"
                      "<extensions><speed>10</speed></extensions></trkpt>\n",
                      i * 90 + (i % 2) * 20, i);
        points += point;
    }
    test::write_file(dir.file("doppler.gpx"), "<gpx><trk><trkseg>\n" + points + "</trkseg></trk></gpx>\n");
    run(dir.file("doppler.gpx"));
    EXPECT_EQ(table()->fonte(), QString::fromUtf8("Velocità dal GPS (Doppler)"));
    EXPECT_EQ(table()->valore("2 s"), "36,0");
    EXPECT_TRUE(table()->suggerimento("2 s").startsWith("Dalle posizioni: "))
        << table()->suggerimento("2 s").toStdString();
    EXPECT_NE(table()->suggerimento("2 s"), "Dalle posizioni: 36,0 km/h");
    EXPECT_FALSE(table()->suggerimento_titolo().contains("Punti registrati"));

    auto* caption = table()->findChild<QLabel*>("lbl_velocita");
    ASSERT_NE(caption, nullptr);
    QTest::mouseClick(caption, Qt::LeftButton);
    EXPECT_EQ(table()->titolo(), QString::fromUtf8("Velocità (nodi)"));
    EXPECT_EQ(table()->valore("2 s"), "19,4");  // 36 / 1.852
    EXPECT_TRUE(table()->suggerimento("2 s").endsWith(" nodi"));
    EXPECT_EQ(table()->valore("Planata %"), "100,0") << "a share has no unit";
    {
        QWidget parent;
        TabellaVelocita later(&parent);
        EXPECT_TRUE(later.in_nodi()) << "the choice is remembered";
    }
    QTest::mouseClick(caption, Qt::LeftButton);
    EXPECT_EQ(table()->valore("2 s"), "36,0");

    // Points 4 s apart: the caption warns that the short results cover longer runs.
    run(test::data_file("worked.gpx"));
    EXPECT_EQ(table()->fonte(), QString::fromUtf8("Velocità dalle posizioni"));
    EXPECT_TRUE(table()->suggerimento_titolo().contains("Punti registrati ogni 4 s"));
    EXPECT_EQ(table()->suggerimento("2 s"), "");
}

// The window and the command line show one text for one speed: both lay out the run's report. 12.25 km/h
// is an exact half in binary: the decimal rounding takes it to the even 12,2, where a plain "%.1f" on
// the one side and Qt's formatting on the other once disagreed.
TEST(SpeedTexts, TheWindowsTableAndTheCommandLineAgreeOnAnExactHalf) {
    RisultatoRun r;
    r.esito = Esito::Eseguito;
    r.totali = Totali{};
    r.velocita.due_s = 12.25;
    r.velocita.dieci_s = 12.75;
    r.velocita.m500 = 0.05;
    r.voci = voci_risultato(r);
    QWidget parent;
    TabellaVelocita table(&parent);
    table.mostra(r);
    const std::string cli_text = cli::tabella_velocita(r);
    for (const auto& [row, expected] : {std::pair{"2 s", "12,2"}, {"10 s", "12,8"}, {"500 m", "0,0"}}) {
        EXPECT_EQ(table.valore(row).toStdString(), expected) << row;
        const size_t line = cli_text.find(std::string(row) + " ");
        ASSERT_NE(line, std::string::npos) << cli_text;
        const std::string cli_line = cli_text.substr(line, cli_text.find('\n', line) - line);
        EXPECT_NE(cli_line.find(std::string(" ") + expected + " "), std::string::npos) << cli_line;
    }
}

}  // namespace
}  // namespace lurendo
