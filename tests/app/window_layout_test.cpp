// The window as drawn: size, title, every control's place, caption, face and colours, stacking and focus.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QSignalSpy>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/form1.h"
#include "window_test_support.h"

namespace lurendo {
namespace {

using test::control;

struct ControlDesign {
    const char* name;
    QRect geometry;  // pixels: the drawn twips divided by 15
    const char* caption;
    double points;
    bool bold;
};

// Front to back, as the controls are stacked.
const ControlDesign kControls[] = {
    {"Picture1", {88, 256, 341, 161}, "", 8.25, false},
    {"cmd_ripara", {232, 8, 89, 25}, "Ripara", 8.25, false},
    {"lbl_link", {8, 224, 321, 17}, "Clicca qui per visualizzare la traccia su GPS visualizer", 8.25, true},
    {"lbl_tempo_parz", {16, 168, 65, 17}, "", 8.25, false},
    {"lbl_dist_parz", {88, 168, 57, 17}, "", 8.25, false},
    {"lbl_dist_tot", {88, 144, 57, 17}, "", 8.25, false},
    {"lbl_tempo_tot", {16, 144, 65, 17}, "", 8.25, false},
    {"Label4", {160, 168, 57, 17}, "In Planata", 8.25, false},
    {"Label3", {160, 144, 41, 17}, "Totale", 8.25, false},
    {"Label2", {96, 112, 41, 17}, "Distanza", 8.25, false},
    {"Label1", {24, 112, 41, 17}, "Tempo", 8.25, false},
    {"Line3", {80, 104, 1, 80}, nullptr, 0, false},
    {"lbl_risultato", {16, 56, 553, 41}, "", 9.75, false},
    {"Shape1", {8, 136, 145, 25}, nullptr, 0, false},
    {"Shape2", {8, 160, 145, 25}, nullptr, 0, false},
};

QString caption_of(QWidget* widget) {
    if (auto* button = qobject_cast<QPushButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    return {};
}

class WindowLayout : public ::testing::Test {
  protected:
    void SetUp() override {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    QColor system(QPalette::ColorRole role) const { return QApplication::palette().color(role); }
    QColor pixel(int x, int y) { return form.grab().toImage().pixelColor(x, y); }

    Form1 form;
};

TEST_F(WindowLayout, WindowIsTheDrawnSizeTitledAndResizable) {
    EXPECT_EQ(form.windowTitle(), "Lurendo");
    EXPECT_EQ(form.size(), QSize(591, 435));
    EXPECT_NE(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.minimumSize(), QSize(591, 435)) << "no control can be cut off by a smaller window";
    EXPECT_TRUE(form.windowIcon().availableSizes().contains(QSize(32, 32)));
}

TEST_F(WindowLayout, EveryControlHasItsPlaceCaptionAndFace) {
    for (const ControlDesign& design : kControls) {
        SCOPED_TRACE(design.name);
        QWidget* widget = control<QWidget>(form, design.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), design.geometry);
        EXPECT_TRUE(widget->isVisible());
        if (!design.caption)
            continue;
        EXPECT_EQ(caption_of(widget), design.caption);
        EXPECT_DOUBLE_EQ(widget->font().pointSizeF(), design.points);
        EXPECT_EQ(widget->font().bold(), design.bold);
        EXPECT_FALSE(widget->font().underline());
        EXPECT_EQ(widget->font().families().value(0), "MS Sans Serif");
    }
}

TEST_F(WindowLayout, FixedCaptionsFitTheirLabelsWhateverFaceStandsIn) {
    for (const char* name : {"Label1", "Label2", "Label3", "Label4", "cmd_ripara"}) {
        SCOPED_TRACE(name);
        QWidget* widget = control<QWidget>(form, name);
        ASSERT_NE(widget, nullptr);
        EXPECT_LE(widget->fontMetrics().horizontalAdvance(caption_of(widget)), widget->width());
    }
}

TEST_F(WindowLayout, ControlsAreStackedFrontToBackAsDrawn) {
    QStringList back_to_front;
    for (QObject* child : form.children())
        if (child->isWidgetType())
            back_to_front << child->objectName();
    QStringList expected;
    for (const ControlDesign& design : kControls)
        expected.prepend(design.name);
    // In empty parts of the window, over nothing: the tabs, the two pictures they choose between, the speeds.
    expected << "schede_viste"
             << "profilo"
             << "traccia"
             << "tabella_velocita";
    EXPECT_EQ(back_to_front, expected);
}

TEST_F(WindowLayout, ValueLabelsAreTransparentOverTheBoxesAndOtherLabelsOpaque) {
    for (const char* name : {"lbl_tempo_tot", "lbl_dist_tot", "lbl_tempo_parz", "lbl_dist_parz"})
        EXPECT_FALSE(control<QLabel>(form, name)->autoFillBackground()) << name;
    for (const char* name : {"Label1", "Label2", "Label3", "Label4", "lbl_risultato", "lbl_link"})
        EXPECT_TRUE(control<QLabel>(form, name)->autoFillBackground()) << name;

    // Inside the empty value labels the boxes show through: base colour above, light yellow below.
    EXPECT_EQ(pixel(140, 150), system(QPalette::Base));
    EXPECT_EQ(pixel(140, 176), QColor(255, 255, 192));
    EXPECT_EQ(pixel(20, 180), QColor(255, 255, 192));
}

TEST_F(WindowLayout, BoxesRuleAndBackgroundTakeTheirColoursFromThePalette) {
    const QColor border = system(QPalette::WindowText);
    EXPECT_EQ(pixel(8, 150), border);    // left edge of Shape1
    EXPECT_EQ(pixel(152, 176), border);  // right edge of Shape2
    EXPECT_EQ(pixel(100, 184), border);  // bottom edge of Shape2
    EXPECT_EQ(pixel(80, 104), border);   // top of the rule
    EXPECT_EQ(pixel(80, 125), border);   // the rule between the column heads
    EXPECT_EQ(pixel(80, 103), system(QPalette::Button));
    EXPECT_EQ(pixel(79, 125), system(QPalette::Button));
    EXPECT_EQ(pixel(400, 150), system(QPalette::Button));  // the window's own background
    EXPECT_EQ(pixel(60, 118), system(QPalette::Button));   // behind "Tempo", right of its text

    EXPECT_EQ(form.palette().color(QPalette::Window), system(QPalette::Button));
    EXPECT_EQ(control<QLabel>(form, "Label1")->palette().color(QPalette::WindowText),
              system(QPalette::ButtonText));
}

TEST_F(WindowLayout, LinkLooksLikeALinkOnlyByFaceAndColour) {
    auto* link = control<QLabel>(form, "lbl_link");
    EXPECT_EQ(link->palette().color(QPalette::WindowText), system(QPalette::Highlight));
    EXPECT_TRUE(link->font().bold());
    EXPECT_FALSE(link->font().underline());
    EXPECT_EQ(link->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(link->textInteractionFlags(), Qt::NoTextInteraction);
}

TEST_F(WindowLayout, PictureShowsTheInstructionsInASunkenTwoPixelFrame) {
    auto* picture = control<QLabel>(form, "Picture1");
    EXPECT_EQ(picture->frameShape(), QFrame::WinPanel);
    EXPECT_EQ(picture->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(picture->frameWidth(), 2);
    EXPECT_EQ(picture->contentsRect(), QRect(2, 2, 337, 157));
    EXPECT_EQ(picture->pixmap().size(), QSize(337, 157));
}

// From "Ripara", Tab reaches the link, the tabs over the pictures, the speed table's caption (km/h or
// knots) and its rows, then comes back.
TEST_F(WindowLayout, FocusStartsOnRiparaAndTabReachesTheLinkThePicturesAndTheSpeeds) {
    EXPECT_EQ(form.focusWidget(), control<QWidget>(form, "cmd_ripara"));
    QStringList chain;
    QWidget* w = control<QWidget>(form, "cmd_ripara");
    do {
        chain << w->objectName();
        do
            w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || w == &form);
    } while (w != control<QWidget>(form, "cmd_ripara") && chain.size() < 30);
    ASSERT_GE(chain.size(), 5);
    EXPECT_EQ(chain.mid(0, 4), QStringList({"cmd_ripara", "lbl_link", "schede_viste", "lbl_velocita"}));
    EXPECT_EQ(chain.size(), 4 + 8) << chain.join(", ").toStdString();
}

// A long path loses its middle instead of running into the grid; a wide figure narrows instead of losing
// its unit.
TEST_F(WindowLayout, LongTextsStayInsideTheirLabels) {
    QSignalSpy shown(&form, &Form1::testo_stato);
    const QString path =
        "Procedura eseguita. File: /home/utente/" + QString(40, 'x') + "/" + QString(40, 'y') + "/out.gpx";
    form.mostra_stato(path);
    auto* status = control<QLabel>(form, "lbl_risultato");
    EXPECT_NE(status->text(), path);
    EXPECT_TRUE(status->text().contains(QChar(0x2026))) << status->text().toStdString();
    EXPECT_TRUE(status->text().startsWith("Procedura eseguita. File: "));
    EXPECT_TRUE(status->text().endsWith("out.gpx"));
    EXPECT_LE(status->fontMetrics().horizontalAdvance(status->text()), status->width());
    EXPECT_EQ(status->toolTip(), path);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown.front().front().toString(), path) << "listeners get the whole text";

    form.mostra_stato("Righe elaborate: 12");
    EXPECT_EQ(status->text(), "Righe elaborate: 12");
    EXPECT_EQ(status->toolTip(), QString());

    auto* distance = control<QLabel>(form, "lbl_dist_tot");
    // Whole on one line: a label that wraps at blanks would push the unit onto a line it has no room for.
    for (const char* figure : {"18515,08 km", "1234,56 km", "999,99 km", "1000 km", "1012,5 km"}) {
        distance->setText(figure);
        adatta_larghezza(distance);
        EXPECT_LE(distance->fontMetrics().horizontalAdvance(distance->text()), distance->width()) << figure;
        EXPECT_LT(distance->heightForWidth(distance->width()), 2 * distance->fontMetrics().height())
            << figure;
    }
    distance->setText("1 km");
    adatta_larghezza(distance);
    EXPECT_EQ(distance->font().stretch(), QFont::Unstretched) << "a short figure keeps the plain face";
}

TEST_F(WindowLayout, ResizingOrMaximisingMovesNothing) {
    std::vector<QRect> before;
    for (const ControlDesign& design : kControls)
        before.push_back(control<QWidget>(form, design.name)->geometry());
    form.resize(900, 700);
    QApplication::processEvents();
    EXPECT_EQ(pixel(800, 600), system(QPalette::Button));  // the added area stays empty
    form.showMaximized();
    QApplication::processEvents();
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(control<QWidget>(form, kControls[i].name)->geometry(), before[i]) << kControls[i].name;
}

TEST_F(WindowLayout, StatusLineWrapsOntoASecondLine) {
    auto* status = control<QLabel>(form, "lbl_risultato");
    EXPECT_TRUE(status->wordWrap());
    EXPECT_EQ(status->alignment(), Qt::AlignLeft | Qt::AlignTop);
    const QFontMetrics metrics(status->font());
    EXPECT_GE(status->height(), 2 * metrics.height()) << "room for two lines of its face";
}

}  // namespace
}  // namespace lurendo
