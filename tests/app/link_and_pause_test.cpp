// The map-site link and the timed wait.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <stdexcept>

#include "app/form1.h"
#include "window_test_support.h"

namespace lurendo {
namespace {

using test::control;
using Clock = std::chrono::steady_clock;

class SiteLink : public ::testing::Test {
  protected:
    SiteLink() {
        form.apri_indirizzo = [this](const QUrl& url) {
            opened << url.toString();
            return opener_works;
        };
        form.show();
    }
    QLabel* link() { return control<QLabel>(form, "lbl_link"); }
    QMessageBox* warning() { return form.findChild<QMessageBox*>(); }

    Form1 form;
    QStringList opened;
    bool opener_works = true;
};

TEST_F(SiteLink, EachClickOpensExactlyTheSiteAddress) {
    QTest::mouseClick(link(), Qt::LeftButton, {}, QPoint(5, 8));
    QTest::mouseClick(link(), Qt::LeftButton, {}, QPoint(link()->width() - 2, 8));  // beside the text's end
    EXPECT_EQ(opened, QStringList({"https://www.gpsvisualizer.com/", "https://www.gpsvisualizer.com/"}));
    EXPECT_EQ(warning(), nullptr);
}

TEST_F(SiteLink, APressThatLeavesTheLabelIsNoClick) {
    QTest::mousePress(link(), Qt::LeftButton, {}, QPoint(5, 8));
    QTest::mouseRelease(link(), Qt::LeftButton, {}, QPoint(5, 40));
    QTest::mouseClick(link(), Qt::RightButton, {}, QPoint(5, 8));
    EXPECT_TRUE(opened.isEmpty());
}

TEST_F(SiteLink, AFailingOpenerShowsAWarningAndTheWindowStays) {
    opener_works = false;
    QTest::mouseClick(link(), Qt::LeftButton, {}, QPoint(5, 8));
    ASSERT_NE(warning(), nullptr);
    EXPECT_EQ(warning()->text(),
              "Impossibile aprire il sito GPS Visualizer.\nhttps://www.gpsvisualizer.com/");
    EXPECT_TRUE(warning()->textInteractionFlags() & Qt::TextSelectableByMouse) << "the address can be copied";
    EXPECT_TRUE(warning()->isVisible());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(SiteLink, TabReachesTheLinkAndEnterOrSpaceOpensIt) {
    EXPECT_EQ(link()->focusPolicy(), Qt::TabFocus);
    EXPECT_EQ(control<QWidget>(form, "Picture1")->focusPolicy(), Qt::NoFocus);
    QTest::keyClick(link(), Qt::Key_Return);
    QTest::keyClick(link(), Qt::Key_Space);
    QTest::keyClick(link(), Qt::Key_A);
    EXPECT_EQ(opened.size(), 2);
}

TEST_F(SiteLink, AnOpenerThatThrowsIsReportedInTheStatusLine) {
    form.apri_indirizzo = [](const QUrl&) -> bool { throw std::runtime_error("nessun browser"); };
    form.lbl_link_Click();
    EXPECT_EQ(control<QLabel>(form, "lbl_risultato")->text(), "Errore: nessun browser");
    EXPECT_TRUE(form.isVisible());
}

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(Pause, ZeroOrLessReturnsAtOnceAfterRunningPendingEvents) {
    Form1 form;
    for (double wait : {0.0, -3.0}) {
        bool ran = false;
        QTimer::singleShot(0, &form, [&] { ran = true; });
        const auto start = Clock::now();
        form.Pause(wait);
        EXPECT_LT(seconds_since(start), 0.1) << wait;
        EXPECT_TRUE(ran) << wait;
    }
}

TEST(Pause, WaitsAtLeastTheGivenTimeWithoutHandlingEvents) {
    Form1 form;
    bool ran_late = false;
    const auto start = Clock::now();
    QTimer::singleShot(50, &form, [&] { ran_late = true; });
    form.Pause(0.2);
    const double waited = seconds_since(start);
    EXPECT_GE(waited, 0.2);
    EXPECT_LT(waited, 1.0);
    EXPECT_FALSE(ran_late) << "events that fall due during the wait are handled after it";
}

}  // namespace
}  // namespace lurendo
