#include "app/speed_table.h"

#include <QGridLayout>
#include <QLabel>

#include "app/window_fonts.h"

namespace lurendo {

namespace {}  // namespace

TabellaVelocita::TabellaVelocita(QWidget* parent) : QWidget(parent) {
    setFont(carattere_finestra(kPuntiNormali));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    auto* caption = new QLabel(QString::fromUtf8("Velocità (km/h)"), this);
    caption->setObjectName("lbl_velocita");
    grid->addWidget(caption, 0, 0, 1, 2);
    int row = 1;
    for (const Voce& entry : voci_velocita_vuote()) {
        keys_.push_back(entry.chiave);
        names_.push_back(new QLabel(QString::fromStdString(entry.titolo), this));
        values_.push_back(new QLabel(this));
        values_.back()->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(names_.back(), row, 0);
        grid->addWidget(values_.back(), row, 1);
        ++row;
    }
    grid->setRowStretch(row, 1);
}

void TabellaVelocita::mostra(const RisultatoRun& r) {
    for (size_t i = 0; i < values_.size(); ++i) {
        const Voce* value = trova_voce(r.voci, keys_[i]);
        values_[i]->setText(value ? QString::fromStdString(value->testo) : QString());
    }
}

void TabellaVelocita::svuota() {
    for (QLabel* value : values_)
        value->clear();
}

QString TabellaVelocita::valore(const QString& riga) const {
    for (size_t i = 0; i < names_.size(); ++i) {
        if (names_[i]->text() == riga)
            return values_[i]->text();
    }
    return {};
}

}  // namespace lurendo
