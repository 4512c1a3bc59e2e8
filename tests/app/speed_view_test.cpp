// The speed profile and the speed results in the window: in empty parts of it, set after the figures of a
// run, emptied after an input error.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QTabBar>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <set>

#include "app/form1.h"
#include "app/speed_profile_view.h"
#include "app/speed_table.h"
#include "app/track_view.h"
#include "run/report_json.h"
#include "run/report_tables.h"
#include "test_support.h"
#include "window_test_support.h"

namespace lurendo {
namespace {

// 30 points 1 s apart carrying the receiver's 10 m/s, about 10 m apart; every other one moved north by
// `zigzag` millionths of a degree, so that the positions alone give other results.
void write_doppler_track(const std::string& path, int zigzag) {
    std::string points;
    for (int i = 0; i < 30; ++i) {
        char point[256];
        std::snprintf(point, sizeof point,
                      "<trkpt lat=\"45.%06d\" lon=\"10.0\"><time>2022-07-16T10:00:%02dZ</time>"
                      "<extensions><speed>10</speed></extensions></trkpt>\n",
                      i * 90 + (i % 2) * zigzag, i);
        points += point;
    }
    test::write_file(path, "<gpx><trk><trkseg>\n" + points + "</trkseg></trk></gpx>\n");
}

class SpeedView : public ::testing::Test {
  protected:
    void run(const std::string& track) {
        test::prepare(form, QString::fromStdString(track), dir.path().string());
        form.cmd_ripara_Click();
        ASSERT_TRUE(test::wait_for_run(form));
    }
    VistaProfilo* profile() { return form.findChild<VistaProfilo*>("profilo"); }
    TabellaVelocita* table() { return form.findChild<TabellaVelocita*>("tabella_velocita"); }
    VistaTraccia* track() { return form.findChild<VistaTraccia*>("traccia"); }
    QLabel* row(const QString& caption) {
        for (QLabel* label : table()->findChildren<QLabel*>())
            if (label->text() == caption)
                return label;
        return nullptr;
    }

    test::TempDir dir;
    Form1 form;
};

TEST_F(SpeedView, CoversNoControl) {
    const QStringList added_names = {"schede_viste", "profilo", "traccia", "tabella_velocita"};
    for (const QString& name : added_names) {
        auto* added = form.findChild<QWidget*>(name);
        ASSERT_NE(added, nullptr) << name.toStdString();
        for (QWidget* other : form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (added_names.contains(other->objectName()))
                continue;
            EXPECT_FALSE(added->geometry().intersects(other->geometry()))
                << added->objectName().toStdString() << " covers " << other->objectName().toStdString();
        }
        EXPECT_TRUE(form.rect().contains(added->geometry()));
    }
}

// A click on a result's row shows its run in the track and in the profile, and its times in the tooltip;
// a second click lets it go. The steady Doppler track starts at 10:00:00 and every 2 s window is as fast,
// so the first one, points 1 to 3, is the best.
TEST_F(SpeedView, AClickOnAResultShowsItsRunInTheTrackAndTheProfile) {
    write_doppler_track(dir.file("doppler.gpx"), 0);
    run(dir.file("doppler.gpx"));
    EXPECT_TRUE(table()->suggerimento("2 s").endsWith("Dalle 10:00:00 alle 10:00:02"))
        << table()->suggerimento("2 s").toStdString();
    ASSERT_NE(row("2 s"), nullptr);
    QTest::mouseClick(row("2 s"), Qt::LeftButton);
    EXPECT_EQ(table()->scelta(), "2s");
    EXPECT_GE(track()->vertici_evidenziati(), 1u);
    ASSERT_EQ(profile()->bande().size(), 1u);
    EXPECT_GT(profile()->bande().front().width(), 0);

    QTest::mouseClick(row("2 s"), Qt::LeftButton);
    EXPECT_EQ(table()->scelta(), "");
    EXPECT_EQ(track()->vertici_evidenziati(), 0u);
    EXPECT_TRUE(profile()->bande().empty());

    // 29 s hold two 10 s windows, not five: a row without a run chooses nothing.
    QTest::mouseClick(row(QString::fromUtf8("5×10 s")), Qt::LeftButton);
    EXPECT_EQ(table()->scelta(), "");
    // From the keyboard: Enter on a row's name chooses it.
    row("10 s")->setFocus();
    QTest::keyClick(row("10 s"), Qt::Key_Return);
    EXPECT_EQ(table()->scelta(), "10s");
    EXPECT_EQ(profile()->bande().size(), 1u);
}

// The tabs choose the picture. A little wider, the window widens the pictures in place and the speed
// results keep to its right edge; with room for a picture of its own, on the right or at the bottom,
// the pictures fill it and the results go back to where they were drawn. No drawn control is covered.
TEST_F(SpeedView, TheTabsChooseThePictureAndTheWindowsRoomGoesToIt) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto* tabs = form.findChild<QTabBar*>("schede_viste");
    ASSERT_NE(tabs, nullptr);
    EXPECT_TRUE(profile()->isVisible());
    EXPECT_FALSE(track()->isVisible());
    tabs->setCurrentIndex(1);
    EXPECT_FALSE(profile()->isVisible());
    EXPECT_TRUE(track()->isVisible());

    const QSize design = form.size();
    const QRect picture = track()->geometry(), speeds = table()->geometry();
    const auto covers_a_drawn_control = [&] {
        for (const char* name : {"lbl_link", "Picture1", "lbl_risultato", "Label4", "cmd_ripara"})
            if (track()->geometry().intersects(form.findChild<QWidget*>(name)->geometry()))
                return true;
        return false;
    };
    form.resize(design.width() + 100, design.height() + 50);
    QApplication::processEvents();
    EXPECT_EQ(track()->geometry(), picture.adjusted(0, 0, 100, 0));
    EXPECT_EQ(profile()->geometry(), track()->geometry());
    EXPECT_EQ(table()->geometry(), speeds.translated(100, 0));

    form.resize(design.width() + 500, design.height() + 100);  // a strip on the right
    QApplication::processEvents();
    EXPECT_GE(track()->width(), 450);
    EXPECT_GE(track()->height(), design.height() + 50);
    EXPECT_EQ(table()->geometry(), speeds);
    EXPECT_FALSE(covers_a_drawn_control());

    form.resize(design.width() + 50, design.height() + 400);  // a band at the bottom
    QApplication::processEvents();
    EXPECT_GE(track()->width(), design.width());
    EXPECT_GE(track()->height(), 350);
    EXPECT_FALSE(covers_a_drawn_control());
    EXPECT_FALSE(track()->geometry().intersects(table()->geometry()));
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
    write_doppler_track(dir.file("doppler.gpx"), 20);
    run(dir.file("doppler.gpx"));
    EXPECT_EQ(table()->fonte(), QString::fromUtf8("Velocità dal GPS (Doppler)"));
    EXPECT_EQ(table()->valore("2 s"), "36,0");
    EXPECT_TRUE(table()->suggerimento("2 s").startsWith("Dalle posizioni: "))
        << table()->suggerimento("2 s").toStdString();
    EXPECT_NE(table()->suggerimento("2 s"), "Dalle posizioni: 36,0 km/h");
    EXPECT_EQ(table()->avviso(), "") << "points 1 s apart need no warning";

    auto* caption = table()->findChild<QLabel*>("lbl_velocita");
    ASSERT_NE(caption, nullptr);
    QTest::mouseClick(caption, Qt::LeftButton);
    EXPECT_EQ(table()->titolo(), QString::fromUtf8("Velocità (nodi)"));
    EXPECT_EQ(table()->valore("2 s"), "19,4");  // 36 / 1.852
    EXPECT_TRUE(table()->suggerimento("2 s").contains(" nodi\n"))
        << table()->suggerimento("2 s").toStdString();
    EXPECT_EQ(table()->valore("Planata %"), "100,0") << "a share has no unit";
    {
        QWidget parent;
        TabellaVelocita later(&parent);
        EXPECT_TRUE(later.in_nodi()) << "the choice is remembered";
    }
    QTest::mouseClick(caption, Qt::LeftButton);
    EXPECT_EQ(table()->valore("2 s"), "36,0");

    // Points 4 s apart: the warning that the short results cover longer runs shows under the rows.
    run(test::data_file("worked.gpx"));
    EXPECT_EQ(table()->fonte(), QString::fromUtf8("Velocità dalle posizioni"));
    EXPECT_TRUE(table()->avviso().startsWith("Punti registrati ogni 4 s")) << table()->avviso().toStdString();
    // No positions line, only when the run took place: by hand, the best 2 s lies in the first and
    // fastest leg, from 15:04:01.
    EXPECT_EQ(table()->suggerimento("2 s"), "Dalle 15:04:01 alle 15:04:03");
}

// The warning is read, not hovered: whole inside the table and the window, below the last row.
TEST_F(SpeedView, TheIntervalWarningIsWholeOnScreenUnderTheRows) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    run(test::data_file("worked.gpx"));
    QApplication::processEvents();
    auto* warning = table()->findChild<QLabel*>("lbl_intervallo");
    ASSERT_NE(warning, nullptr);
    EXPECT_TRUE(warning->isVisible());
    EXPECT_EQ(warning->text(), table()->avviso());
    EXPECT_GE(warning->height(), warning->heightForWidth(warning->width())) << "no line of it cut off";
    EXPECT_TRUE(table()->rect().contains(warning->geometry()));
    EXPECT_TRUE(form.rect().contains(table()->geometry()));
    QLabel* last_row = nullptr;
    for (QLabel* label : table()->findChildren<QLabel*>())
        if (label->text() == "Planata %")
            last_row = label;
    ASSERT_NE(last_row, nullptr);
    EXPECT_GE(warning->geometry().top(), last_row->geometry().bottom());
}

// A track at about 36 km/h: in knots the profile's scale tops at 20 (19.4 knots) instead of 40, the
// planing line reads 9,7 (18 / 1.852), and the tooltip tells the column's speed divided by 1.852.
TEST_F(SpeedView, TheProfileFollowsTheTablesUnit) {
    write_doppler_track(dir.file("steady.gpx"), 0);
    run(dir.file("steady.gpx"));
    const auto texts = [&] {
        std::set<std::string> found;
        for (const EtichettaProfilo& label : profile()->etichette())
            found.insert(label.testo.toStdString());
        return found;
    };
    // The speed the tooltip tells in `unit`, or NaN when it tells none in that unit.
    const int middle = profile()->riquadro_grafico().center().x();
    const auto tooltip_speed = [&](const QString& unit) {
        const QRegularExpressionMatch m =
            QRegularExpression("  (\\d+,\\d) " + unit + "  in planata$").match(profile()->testo_a(middle));
        return m.hasMatch() ? m.captured(1).replace(',', '.').toDouble() : std::nan("");
    };
    const double kmh = tooltip_speed("km/h");
    EXPECT_NEAR(kmh, 36, 0.5) << profile()->testo_a(middle).toStdString();
    EXPECT_EQ(texts().count("40"), 1u);
    EXPECT_EQ(texts().count("18"), 1u);

    QTest::mouseClick(table()->findChild<QLabel*>("lbl_velocita"), Qt::LeftButton);
    EXPECT_NEAR(tooltip_speed("nodi"), kmh / 1.852, 0.08) << profile()->testo_a(middle).toStdString();
    const std::set<std::string> knots = texts();
    for (const char* expected : {"nodi", "9,7", "20", "0"})
        EXPECT_EQ(knots.count(expected), 1u) << expected;
    for (const char* gone : {"km/h", "18", "40"})
        EXPECT_EQ(knots.count(gone), 0u) << gone;
    {
        Form1 later;  // a window opened with knots chosen draws its profile in knots from the start
        auto* view = later.findChild<VistaProfilo*>("profilo");
        view->mostra(ProfiloVelocita{10, 36000, {{10, 36, 36, 36, 1, false}}});
        EXPECT_EQ(view->etichette().front().testo, "nodi");
    }
    QTest::mouseClick(table()->findChild<QLabel*>("lbl_velocita"), Qt::LeftButton);
    EXPECT_EQ(tooltip_speed("km/h"), kmh);
}

// The window and the command line show one text for one speed: both lay out the run's report. 12.25 km/h
// is an exact half in binary: the decimal rounding takes it to the even 12,2, where a plain "%.1f" on
// the one side and Qt's formatting on the other once disagreed.
TEST(SpeedTexts, TheWindowsTableAndTheCommandLineAgreeOnAnExactHalf) {
    RisultatoEsecuzione r;
    r.esito = Esito::Eseguito;
    r.totali = Totali{};
    r.velocita.due_s = 12.25;
    r.velocita.dieci_s = 12.75;
    r.velocita.m500 = 0.05;
    r.voci = voci_risultato(r);
    QWidget parent;
    TabellaVelocita table(&parent);
    table.mostra(r);
    const std::string cli_text = tabella_velocita(r);
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
