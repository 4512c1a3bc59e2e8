#include "app/speed_table.h"

#include <QGridLayout>
#include <QLabel>

#include "app/window_fonts.h"

namespace lurendo {

namespace {

const char* const kRows[] = {"2 s", "10 s", "5×10 s", "500 m", "Alpha 500", "Miglio", "1 ora", "Planata %"};

QString one_decimal(const std::optional<double>& value) {
    return value ? QString::number(*value, 'f', 1).replace('.', ',') : QString::fromUtf8("–");
}

}  // namespace

TabellaVelocita::TabellaVelocita(QWidget* parent) : QWidget(parent) {
    setFont(carattere_finestra(kPuntiNormali));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    auto* caption = new QLabel(QString::fromUtf8("Velocità (km/h)"), this);
    caption->setObjectName("lbl_velocita");
    grid->addWidget(caption, 0, 0, 1, 2);
    int row = 1;
    for (const char* name : kRows) {
        names_.push_back(new QLabel(QString::fromUtf8(name), this));
        values_.push_back(new QLabel(this));
        values_.back()->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(names_.back(), row, 0);
        grid->addWidget(values_.back(), row, 1);
        ++row;
    }
    grid->setRowStretch(row, 1);
}

void TabellaVelocita::mostra(const RisultatoRun& r) {
    const RisultatiVelocita& v = r.velocita;
    const std::optional<double> values[] = {v.due_s,    v.dieci_s, v.cinque_per_dieci, v.m500,
                                            v.alpha500, v.miglio,  v.un_ora,           r.planata_percento};
    for (size_t i = 0; i < values_.size(); ++i)
        values_[i]->setText(one_decimal(values[i]));
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
