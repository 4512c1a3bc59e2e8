#include "app/speed_table.h"

#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QSettings>

#include "app/window_fonts.h"

namespace lurendo {

namespace {

constexpr char kUnitSetting[] = "tabella_velocita/nodi";
constexpr double kSmallPoints = 7;

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

TabellaVelocita::TabellaVelocita(QWidget* parent) : QWidget(parent) {
    setFont(carattere_finestra(kPuntiNormali));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(1);
    caption_ = new QLabel(this);
    caption_->setObjectName("lbl_velocita");
    caption_->setCursor(Qt::PointingHandCursor);
    caption_->setFocusPolicy(Qt::StrongFocus);  // reached with Tab, switched with Enter or Space
    caption_->installEventFilter(this);
    grid->addWidget(caption_, 0, 0, 1, 2);
    source_ = new QLabel(this);
    source_->setObjectName("lbl_fonte_velocita");
    source_->setFont(carattere_finestra(kSmallPoints));
    grid->addWidget(source_, 1, 0, 1, 2);
    int row = 2;
    for (const Voce& entry : voci_velocita_vuote()) {
        keys_.push_back(entry.chiave);
        names_.push_back(new QLabel(text(entry.titolo), this));
        values_.push_back(new QLabel(this));
        values_.back()->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        // A row is chosen by a click on it, or from the keyboard on its name.
        names_.back()->setFocusPolicy(Qt::TabFocus);
        for (QLabel* cell : {names_.back(), values_.back()}) {
            cell->setAutoFillBackground(true);
            cell->installEventFilter(this);
        }
        grid->addWidget(names_.back(), row, 0);
        grid->addWidget(values_.back(), row, 1);
        ++row;
    }
    interval_ = new QLabel(this);
    interval_->setObjectName("lbl_intervallo");
    interval_->setFont(carattere_finestra(kSmallPoints));
    interval_->setWordWrap(true);
    interval_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(interval_, row, 0, 1, 2);
    grid->setRowStretch(row, 1);
    knots_ = QSettings().value(kUnitSetting, false).toBool();
    setStyleSheet("QLabel:focus { border: 1px dotted palette(window-text); }");
    show_entries();
}

void TabellaVelocita::mostra(const RisultatoEsecuzione& r) {
    shown_ = r.voci;
    speeds_ = r.velocita;
    chosen_.clear();
    show_entries();
}

void TabellaVelocita::svuota() {
    shown_.clear();
    speeds_ = {};
    chosen_.clear();
    show_entries();
}

void TabellaVelocita::scegli(const std::string& chiave) {
    chosen_ = chiave;
    show_entries();
    emit corse_scelte(chiave.empty() ? std::vector<Corsa>() : corse_di(speeds_, chiave));
}

void TabellaVelocita::usa_nodi(bool nodi) {
    knots_ = nodi;
    QSettings().setValue(kUnitSetting, nodi);
    show_entries();
    emit unita_cambiata(nodi);
}

// Every text comes from the report: the value in the unit chosen, the position-only result in the tooltip.
void TabellaVelocita::show_entries() {
    caption_->setText(QString::fromUtf8(knots_ ? "Velocità (nodi)" : "Velocità (km/h)"));
    const QString unit = QString::fromUtf8(knots_ ? " nodi" : " km/h");
    caption_->setToolTip(QString::fromUtf8("Clic: km/h o nodi"));
    const Voce* source = trova_voce(shown_, "fonte_velocita");
    source_->setText(source ? text(source->testo) : QString());
    const Voce* interval = trova_voce(shown_, "intervallo_mediano_s");
    interval_->setText(interval ? text(interval->testo) : QString());
    for (size_t i = 0; i < values_.size(); ++i) {
        const Voce* entry = trova_voce(shown_, keys_[i]);
        const bool speed = entry && entry->tipo == TipoVoce::Velocita;
        values_[i]->setText(!entry ? QString() : text(speed && knots_ ? entry->nodi : entry->testo));
        QString tip =
            speed && source && source->numero != "posizioni"
                ? "Dalle posizioni: " + text(knots_ ? entry->posizioni_nodi : entry->posizioni) + unit
                : QString();
        // When the runs behind the result took place.
        const std::string when = speed ? testo_corse(corse_di(speeds_, keys_[i])) : std::string();
        if (!when.empty())
            tip = tip.isEmpty() ? text(when) : tip + "\n" + text(when);
        values_[i]->setToolTip(tip);
        names_[i]->setToolTip(tip);
        const bool chosen = !chosen_.empty() && keys_[i] == chosen_;
        for (QLabel* cell : {names_[i], values_[i]}) {
            cell->setBackgroundRole(chosen ? QPalette::Highlight : QPalette::Window);
            cell->setForegroundRole(chosen ? QPalette::HighlightedText : QPalette::WindowText);
        }
    }
}

bool TabellaVelocita::eventFilter(QObject* watched, QEvent* event) {
    const bool click = event->type() == QEvent::MouseButtonRelease &&
                       static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    const bool key =
        event->type() == QEvent::KeyPress && (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                                              static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter ||
                                              static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space);
    if (!click && !key)
        return QWidget::eventFilter(watched, event);
    if (watched == caption_) {
        usa_nodi(!knots_);
        return true;
    }
    for (size_t i = 0; i < names_.size(); ++i) {
        if (watched == names_[i] || watched == values_[i]) {
            // A second choice of the same row lets it go.
            const bool has_runs = !corse_di(speeds_, keys_[i]).empty();
            scegli(keys_[i] == chosen_ || !has_runs ? std::string() : keys_[i]);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QString TabellaVelocita::valore(const QString& riga) const {
    for (size_t i = 0; i < names_.size(); ++i) {
        if (names_[i]->text() == riga)
            return values_[i]->text();
    }
    return {};
}

QString TabellaVelocita::suggerimento(const QString& riga) const {
    for (size_t i = 0; i < names_.size(); ++i) {
        if (names_[i]->text() == riga)
            return values_[i]->toolTip();
    }
    return {};
}

QString TabellaVelocita::titolo() const {
    return caption_->text();
}

QString TabellaVelocita::fonte() const {
    return source_->text();
}

QString TabellaVelocita::suggerimento_titolo() const {
    return caption_->toolTip();
}

QString TabellaVelocita::avviso() const {
    return interval_->text();
}

}  // namespace lurendo
