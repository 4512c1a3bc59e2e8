// The speed profile and the speed results in the window: in empty parts of it, set after the figures of a
// run, emptied after an input error.
#include <gtest/gtest.h>

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
