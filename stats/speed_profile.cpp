#include "stats/speed_profile.h"

#include <algorithm>
#include <cmath>

#include "stats/totals.h"

namespace lurendo::stats {

void CostruttoreProfilo::tratto(double t, double v) {
    if (!(t > 0) || !std::isfinite(t))
        return;
    while (elapsed_ + t > width_ * kMaxColonne)
        widen();
    double from = elapsed_;
    const double to = elapsed_ + t;
    while (from < to) {
        const auto column = std::min(static_cast<size_t>(from / width_), kMaxColonne - 1);
        const double column_end = std::min(to, (static_cast<double>(column) + 1) * width_);
        const double part = column_end > from ? column_end - from : to - from;
        add(column, part, v);
        from += part;
    }
    elapsed_ = to;
}

void CostruttoreProfilo::salto() {
    const auto column = std::min(static_cast<size_t>(elapsed_ / width_), kMaxColonne - 1);
    if (columns_.size() <= column)
        columns_.resize(column + 1);
    columns_[column].salto = true;
}

void CostruttoreProfilo::add(size_t column, double t, double v) {
    if (columns_.size() <= column)
        columns_.resize(column + 1);
    Accumulo& c = columns_[column];
    c.v_min = c.toccata ? std::min(c.v_min, v) : v;
    c.v_max = c.toccata ? std::max(c.v_max, v) : v;
    c.toccata = true;
    c.tempo += t;
    c.spazio += v * t;
    if (v > kPlaningSpeed)
        c.planata += t;
}

// Columns twice as wide: each new column holds two old ones, merged in place.
void CostruttoreProfilo::widen() {
    for (size_t i = 0; i < columns_.size(); ++i) {
        const Accumulo c = columns_[i];
        Accumulo& m = columns_[i / 2];
        if (i % 2 == 0) {
            m = c;
            continue;
        }
        if (c.toccata) {
            m.v_min = m.toccata ? std::min(m.v_min, c.v_min) : c.v_min;
            m.v_max = m.toccata ? std::max(m.v_max, c.v_max) : c.v_max;
            m.toccata = true;
        }
        m.tempo += c.tempo;
        m.spazio += c.spazio;
        m.planata += c.planata;
        m.salto = m.salto || c.salto;
    }
    columns_.resize((columns_.size() + 1) / 2);
    width_ *= 2;
}

ProfiloVelocita CostruttoreProfilo::profilo() const {
    ProfiloVelocita p = profile_;
    p.larghezza = width_;
    for (const Accumulo& c : columns_) {
        ColonnaProfilo column;
        column.tempo = c.tempo;
        column.v_min = c.v_min;
        column.v_max = c.v_max;
        column.v_media = c.tempo > 0 ? c.spazio / c.tempo : 0;
        column.quota_planata = c.tempo > 0 ? c.planata / c.tempo : 0;
        column.salto = c.salto;
        p.colonne.push_back(column);
    }
    return p;
}

}  // namespace lurendo::stats
