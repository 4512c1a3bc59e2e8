#include "app/speed_table.h"

#include <QEvent>
#include <QGridLayout>
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
    show_entries();
}

void TabellaVelocita::mostra(const RisultatoEsecuzione& r) {
    shown_ = r.voci;
    show_entries();
}

void TabellaVelocita::svuota() {
    shown_.clear();
    show_entries();
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
        const QString tip =
            speed && source && source->numero != "posizioni"
                ? "Dalle posizioni: " + text(knots_ ? entry->posizioni_nodi : entry->posizioni) + unit
                : QString();
        values_[i]->setToolTip(tip);
        names_[i]->setToolTip(tip);
    }
}

bool TabellaVelocita::eventFilter(QObject* watched, QEvent* event) {
    if (watched == caption_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        usa_nodi(!knots_);
        return true;
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
