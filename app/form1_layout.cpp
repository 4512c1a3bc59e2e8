// The controls of Form1 at their design places. Positions are given in twips, as the window was drawn;
// 15 twips make one pixel at 96 dots per inch.
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QTabBar>
#include <algorithm>

#include "app/control_widgets.h"
#include "app/form1.h"
#include "app/speed_profile_view.h"
#include "app/speed_table.h"
#include "app/track_view.h"
#include "app/window_fonts.h"

namespace lurendo {

namespace {

QRect twips(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

template <typename Widget>
Widget* place(Widget* widget, const char* name, const QRect& geometry) {
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

// Labels paint the window's colour behind their text unless they are transparent; all wrap at blanks.
QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
              bool transparent = false) {
    auto* l = place(new QLabel(text, parent), name, geometry);
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setWordWrap(true);
    l->setAutoFillBackground(!transparent);
    return l;
}

}  // namespace

const QSize Form1::kDesignSize(591, 435);
const QRect Form1::kPictures(225, 100, 358, 118);
const QRect Form1::kSpeeds(437, 245, 146, 182);

// A text drawn in a substitute face can come out wider than its label; narrow the letters just enough
// (same point size) instead of cutting the text off.
void adatta_larghezza(QLabel* label) {
    QFont font = label->font();
    font.setStretch(QFont::Unstretched);
    label->setFont(font);
    const int needed = label->fontMetrics().horizontalAdvance(label->text());
    if (needed <= label->width() && label->heightForWidth(label->width()) < 2 * label->fontMetrics().height())
        return;
    // The word wrap lays the text out with fractional advances: narrow until it takes one line.
    for (int stretch = std::max(50, 100 * label->width() / std::max(1, needed)); stretch >= 50;
         stretch -= 2) {
        font.setStretch(stretch);
        label->setFont(font);
        if (label->heightForWidth(label->width()) < 2 * label->fontMetrics().height())
            return;
    }
}

void Form1::crea_controlli() {
    const QPalette system = QGuiApplication::palette();
    const QColor window_text = system.color(QPalette::WindowText);

    // The dialog colours: button face behind everything, button text for every caption.
    QPalette own = system;
    own.setColor(QPalette::Window, system.color(QPalette::Button));
    own.setColor(QPalette::WindowText, system.color(QPalette::ButtonText));
    setPalette(own);
    setAutoFillBackground(true);
    setFont(carattere_finestra(kPuntiNormali));

    // Created back to front: a later sibling is drawn over an earlier one.
    place(new FilledBox(QColor(255, 255, 192), window_text, this), "Shape2", twips(120, 2400, 2175, 375));
    place(new FilledBox(system.color(QPalette::Base), window_text, this), "Shape1",
          twips(120, 2040, 2175, 375));
    lbl_risultato = label(this, "lbl_risultato", {}, twips(240, 840, 8295, 615));
    lbl_risultato->setFont(carattere_finestra(kPuntiStato));
    // A line from (1200, 1560) to (1200, 2760): the end point itself is not drawn.
    place(new RuleLine(window_text, this), "Line3", QRect(1200 / 15, 1560 / 15, 1, (2760 - 1560) / 15));
    for (QLabel* caption : {label(this, "Label1", "Tempo", twips(360, 1680, 615, 255)),
                            label(this, "Label2", "Distanza", twips(1440, 1680, 615, 255)),
                            label(this, "Label3", "Totale", twips(2400, 2160, 615, 255)),
                            label(this, "Label4", "In Planata", twips(2400, 2520, 855, 255))})
        adatta_larghezza(caption);
    lbl_tempo_tot = label(this, "lbl_tempo_tot", {}, twips(240, 2160, 975, 255), true);
    lbl_dist_tot = label(this, "lbl_dist_tot", {}, twips(1320, 2160, 855, 255), true);
    lbl_dist_parz = label(this, "lbl_dist_parz", {}, twips(1320, 2520, 855, 255), true);
    lbl_tempo_parz = label(this, "lbl_tempo_parz", {}, twips(240, 2520, 975, 255), true);

    auto* link = place(new ClickableLabel("Clicca qui per visualizzare la traccia su GPS visualizer", this),
                       "lbl_link", twips(120, 3360, 4815, 255));
    link->setTextFormat(Qt::PlainText);
    link->setTextInteractionFlags(Qt::NoTextInteraction);
    link->setFocusPolicy(Qt::TabFocus);  // after the flags, which reset it
    link->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    link->setWordWrap(true);
    link->setAutoFillBackground(true);
    link->setFont(carattere_finestra(kPuntiNormali, true));
    QPalette link_palette = own;
    link_palette.setColor(QPalette::WindowText, system.color(QPalette::Highlight));
    link->setPalette(link_palette);
    connect(link, &ClickableLabel::clicked, this, &Form1::lbl_link_Click);

    cmd_ripara = place(new QPushButton("Ripara", this), "cmd_ripara", twips(3480, 120, 1335, 375));
    cmd_ripara->setAutoDefault(false);
    connect(cmd_ripara, &QPushButton::clicked, this, &Form1::cmd_ripara_Click);

    // The picture plus its 2-pixel sunken border on every side.
    auto* picture = place(new QLabel(this), "Picture1", twips(1320, 3840, 5115, 2415));
    picture->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setPixmap(QPixmap(":/lurendo/istruzioni.jpg"));
    picture->setFocusPolicy(Qt::NoFocus);  // nothing to do with it from the keyboard

    // In the free parts of the window: the speed profile, or the track, right of the grid, and the speed
    // results right of the picture. All stay empty until a run has read a track; a row chosen in the
    // results shows its runs in both pictures.
    schede_ = new QTabBar(this);
    schede_->setObjectName("schede_viste");
    schede_->setDocumentMode(true);
    schede_->setDrawBase(false);
    schede_->setShape(QTabBar::RoundedWest);  // beside the pictures, which keep their whole height
    schede_->setFocusPolicy(Qt::TabFocus);
    schede_->setUsesScrollButtons(false);
    for (QWidget* scroll : schede_->findChildren<QWidget*>())
        scroll->setFocusPolicy(Qt::NoFocus);  // the bar's own scroll buttons, never shown
    schede_->addTab("Profilo");
    schede_->addTab("Traccia");
    profilo_ = new VistaProfilo(this);
    profilo_->setObjectName("profilo");
    traccia_ = new VistaTraccia(this);
    traccia_->setObjectName("traccia");
    traccia_->hide();
    connect(schede_, &QTabBar::currentChanged, this, [this](int tab) {
        profilo_->setVisible(tab == 0);
        traccia_->setVisible(tab == 1);
    });
    velocita_ = place(new TabellaVelocita(this), "tabella_velocita", kSpeeds);
    profilo_->usa_nodi(velocita_->in_nodi());
    connect(velocita_, &TabellaVelocita::unita_cambiata, profilo_, &VistaProfilo::usa_nodi);
    connect(velocita_, &TabellaVelocita::corse_scelte, profilo_, &VistaProfilo::evidenzia);
    connect(velocita_, &TabellaVelocita::corse_scelte, traccia_, &VistaTraccia::evidenzia);

    setTabOrder(cmd_ripara, link);
    cmd_ripara->setFocus();
    // Every control stays in view however small the window is made.
    setMinimumSize(kDesignSize);
    place_pictures();
}

void Form1::scegli_vista(int vista) {
    schede_->setCurrentIndex(vista);
}

void Form1::scegli_risultato(const std::string& chiave) {
    velocita_->scegli(chiave);
}

// The tabs down the left of the pictures' room, the picture chosen beside them. The drawn controls keep
// their places, so the pictures grow where the window has grown: a little wider, they widen in place; with
// room for a picture of its own, they move into the larger of the new strip on the right and the new
// band at the bottom, and the speed results stay where they were drawn.
void Form1::place_pictures() {
    const int wider = std::max(0, width() - kDesignSize.width());
    const int taller = std::max(0, height() - kDesignSize.height());
    constexpr int kOwnRoom = 240;  // pixels of new width or height that hold a picture of their own
    constexpr int kMargin = 8;
    QRect room = kPictures.adjusted(0, 0, wider, 0);
    QRect speeds = kSpeeds.translated(wider, 0);
    if (wider >= kOwnRoom || taller >= kOwnRoom) {
        speeds = kSpeeds;
        room = wider * height() >= taller * width()
                   ? QRect(kDesignSize.width(), kMargin, wider - kMargin, height() - 2 * kMargin)
                   : QRect(kMargin, kDesignSize.height(), width() - 2 * kMargin, taller - kMargin);
    }
    const int tabs = schede_->sizeHint().width();
    schede_->setGeometry(room.left(), room.top(), tabs,
                         std::min(room.height(), schede_->sizeHint().height()));
    profilo_->setGeometry(room.adjusted(tabs, 0, 0, 0));
    traccia_->setGeometry(room.adjusted(tabs, 0, 0, 0));
    velocita_->setGeometry(speeds);
}

// The drawn controls keep their places and sizes; the room beyond the design goes to the pictures.
void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place_pictures();
}

}  // namespace lurendo
