// Runs started from the window: the worked example, empty and failing choices, a long run, closing
// during a run and dropping a file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <stdexcept>

#include "app/form1.h"
#include "test_support.h"
#include "window_test_support.h"

namespace lurendo {
namespace {

using test::control;
using test::label_text;
using test::read_file;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

QString data_path(const char* name) {
    return QString::fromStdString(test::data_file(name));
}

QString out_path(const std::string& dir) {
    return QDir::toNativeSeparators(QString::fromStdString(dir) + "/out.gpx");
}

class WindowRun : public ::testing::Test {
  protected:
    WindowRun() {
        QObject::connect(&form, &Form1::testo_stato, [this](const QString& text) { statuses << text; });
    }
    void click_ripara() { QTest::mouseClick(control<QPushButton>(form, "cmd_ripara"), Qt::LeftButton); }
    void run_worked_example() {
        test::prepare(form, data_path("worked.gpx"), dir.path().string());
        click_ripara();
        ASSERT_TRUE(test::wait_for_run(form));
    }
    QStringList figures() {
        return {label_text(form, "lbl_dist_tot"), label_text(form, "lbl_tempo_tot"),
                label_text(form, "lbl_dist_parz"), label_text(form, "lbl_tempo_parz")};
    }

    test::TempDir dir;
    Form1 form;
    QStringList statuses;
};

TEST_F(WindowRun, WorkedExampleWritesOutGpxBesideTheExecutable) {
    const std::string beside = QApplication::applicationDirPath().toStdString();
    std::filesystem::remove(beside + "/out.gpx");
    int chooser_calls = 0;
    form.scegli_file = [&](QWidget* parent) {
        ++chooser_calls;
        EXPECT_EQ(parent, &form);
        return data_path("worked.gpx");
    };

    click_ripara();
    ASSERT_TRUE(test::wait_for_run(form));

    EXPECT_EQ(chooser_calls, 1);
    EXPECT_EQ(statuses,
              QStringList({"Righe elaborate: 19", "Procedura eseguita. File: " + out_path(beside)}));
    EXPECT_EQ(label_text(form, "lbl_risultato"), statuses.back());
    EXPECT_EQ(figures(), QStringList({"0,03 km", "0:0:8", "0,03 km", "0:0:4"}));
    EXPECT_EQ(read_file(beside + "/out.gpx"), read_file(test::data_file("worked~out.gpx")));
    EXPECT_TRUE(control<QPushButton>(form, "cmd_ripara")->isEnabled());
}

TEST_F(WindowRun, ASecondRunShowsTheSameFiguresNotASum) {
    run_worked_example();
    run_worked_example();
    EXPECT_EQ(figures(), QStringList({"0,03 km", "0:0:8", "0,03 km", "0:0:4"}));
}

TEST_F(WindowRun, AnEmptyChoiceChangesNothing) {
    run_worked_example();
    const std::string out = dir.file("out.gpx");
    test::write_file(out, "earlier");
    statuses.clear();

    test::prepare(form, QString(), {});
    click_ripara();

    EXPECT_FALSE(form.run_in_corso());
    EXPECT_THAT(statuses, IsEmpty());
    EXPECT_EQ(label_text(form, "lbl_risultato"),
              "Procedura eseguita. File: " + out_path(dir.path().string()));
    EXPECT_EQ(figures(), QStringList({"0,03 km", "0:0:8", "0,03 km", "0:0:4"}));
    EXPECT_EQ(read_file(out), "earlier");
}

TEST_F(WindowRun, AnUnreadableInputShowsTheErrorAndEmptiesTheFigures) {
    run_worked_example();
    const std::string out = dir.file("out.gpx");
    test::write_file(out, "earlier");
    const QString missing = QString::fromStdString(dir.file("missing.gpx"));

    test::prepare(form, missing, {});
    click_ripara();
    ASSERT_TRUE(test::wait_for_run(form));

    EXPECT_EQ(label_text(form, "lbl_risultato"),
              "Errore: impossibile aprire il file " + missing + " (file inesistente)");
    EXPECT_EQ(figures(), QStringList({"", "", "", ""}));
    EXPECT_EQ(read_file(out), "earlier");
    EXPECT_TRUE(control<QPushButton>(form, "cmd_ripara")->isEnabled());
}

// Picking the out.gpx the window writes to as the track to repair must not replace that recording.
TEST_F(WindowRun, PickingItsOwnOutGpxIsRefusedAndTheFileKept) {
    run_worked_example();
    const std::string out = dir.file("out.gpx");
    const std::string recording = read_file(data_path("worked.gpx").toStdString());
    test::write_file(out, recording);

    test::prepare(form, QString::fromStdString(out), dir.path().string());
    click_ripara();
    ASSERT_TRUE(test::wait_for_run(form));

    EXPECT_EQ(label_text(form, "lbl_risultato"),
              "Errore: il file di uscita coincide con il file da riparare " + QString::fromStdString(out));
    EXPECT_EQ(figures(), QStringList({"", "", "", ""}));
    EXPECT_EQ(read_file(out), recording);
}

TEST_F(WindowRun, AnOutputThatCannotBeWrittenIsReportedNotCalledDone) {
    test::prepare(form, data_path("worked.gpx"), dir.file("no-such-folder"));
    click_ripara();
    ASSERT_TRUE(test::wait_for_run(form));
    EXPECT_EQ(label_text(form, "lbl_risultato"), "Errore: impossibile scrivere il file " +
                                                     out_path(dir.file("no-such-folder")) +
                                                     " (cartella inesistente)");
}

TEST_F(WindowRun, AnErrorInsideTheHandlerIsShownAndTheWindowGoesOn) {
    form.scegli_file = [](QWidget*) -> QString { throw std::runtime_error("dialogo non disponibile"); };
    click_ripara();
    EXPECT_EQ(label_text(form, "lbl_risultato"), "Errore: dialogo non disponibile");

    run_worked_example();
    EXPECT_EQ(label_text(form, "lbl_tempo_tot"), "0:0:8");
}

class LongWindowRun : public WindowRun {
  protected:
    static constexpr int kPoints = 300000;
    void SetUp() override {
        track = dir.file("long.gpx");
        test::write_file(track, test::long_track(kPoints));
        test::prepare(form, QString::fromStdString(track), dir.path().string());
    }
    std::string track;
};

TEST_F(LongWindowRun, RiparaIsDisabledUntilTheRunEndsAndCountsUpToTheLinesRead) {
    auto* button = control<QPushButton>(form, "cmd_ripara");
    std::vector<bool> enabled_while_counting;
    QObject::connect(&form, &Form1::testo_stato, [&](const QString& text) {
        if (text.startsWith("Righe elaborate: "))
            enabled_while_counting.push_back(button->isEnabled());
    });
    int chooser_calls = 0;
    form.scegli_file = [&](QWidget*) {
        ++chooser_calls;
        return QString::fromStdString(track);
    };

    click_ripara();
    EXPECT_TRUE(form.run_in_corso());
    EXPECT_FALSE(button->isEnabled());
    form.cmd_ripara_Click();  // a second click inside the run starts nothing
    EXPECT_EQ(chooser_calls, 1);
    ASSERT_TRUE(test::wait_for_run(form));

    EXPECT_TRUE(button->isEnabled());
    ASSERT_GE(statuses.size(), 2);
    EXPECT_EQ(statuses[statuses.size() - 2],
              QString("Righe elaborate: %1").arg(test::long_track_lines(kPoints)));
    EXPECT_TRUE(statuses.back().startsWith("Procedura eseguita. File: "));
    EXPECT_THAT(enabled_while_counting, ::testing::Each(false));
    int64_t previous = 0;
    for (int i = 0; i + 1 < statuses.size(); ++i) {
        const int64_t count = statuses[i].mid(17).toLongLong();
        EXPECT_GT(count, previous) << statuses[i].toStdString();
        previous = count;
    }
}

TEST_F(LongWindowRun, ClosingDuringTheRunLeavesTheEarlierOutputAsItWas) {
    const std::string out = dir.file("out.gpx");
    test::write_file(out, "earlier out.gpx\r\n");
    form.show();

    click_ripara();
    ASSERT_TRUE(form.run_in_corso());
    EXPECT_TRUE(form.close());

    EXPECT_FALSE(form.run_in_corso());
    EXPECT_EQ(read_file(out), "earlier out.gpx\r\n");
    EXPECT_THAT(test::leftover_temporaries(dir.path().string()), IsEmpty());
    QTest::qWait(50);  // a report of the stopped run, if queued, must not reach the window
    EXPECT_FALSE(statuses.contains(QString("Procedura eseguita. File: ") + out_path(dir.path().string())));
}

TEST_F(LongWindowRun, DropsAreRefusedWhileARunIsInProgress) {
    click_ripara();
    ASSERT_TRUE(form.run_in_corso());
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(data_path("worked.gpx"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    EXPECT_FALSE(enter.isAccepted());
    form.close();
}

// Sends a drag of `urls` onto the window; true when the window accepts it.
bool drag_onto(Form1& form, const QList<QUrl>& urls, bool drop) {
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    if (!enter.isAccepted() || !drop)
        return enter.isAccepted();
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&form, &event);
    return true;
}

TEST_F(WindowRun, DroppingOneGpxFileStartsTheSameRun) {
    form.cartella_uscita = QString::fromStdString(dir.path().string());
    ASSERT_TRUE(drag_onto(form, {QUrl::fromLocalFile(data_path("worked.gpx"))}, true));
    ASSERT_TRUE(form.run_in_corso());
    ASSERT_TRUE(test::wait_for_run(form));
    EXPECT_EQ(read_file(dir.file("out.gpx")), read_file(test::data_file("worked~out.gpx")));
    EXPECT_EQ(label_text(form, "lbl_tempo_parz"), "0:0:4");
}

TEST_F(WindowRun, OnlyASingleLocalGpxFileMayBeDropped) {
    const QUrl track = QUrl::fromLocalFile(data_path("worked.gpx"));
    EXPECT_FALSE(drag_onto(form, {QUrl::fromLocalFile("/tmp/notes.txt")}, false));
    EXPECT_FALSE(drag_onto(form, {track, track}, false));
    EXPECT_FALSE(drag_onto(form, {QUrl("https://example.org/a.gpx")}, false));
    EXPECT_TRUE(drag_onto(form, {QUrl::fromLocalFile("/tmp/TRACK.GPX")}, false));
}

}  // namespace
}  // namespace lurendo
