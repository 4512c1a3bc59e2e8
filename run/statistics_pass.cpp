#include "run/statistics_pass.h"

#include <cmath>
#include <map>

#include "repair/filter/filter.h"
#include "repair/read/coordinates.h"
#include "run/stats_results.h"
#include "stats/leg.h"

namespace lurendo {

namespace {

using stats::CalcoloVelocita;
using stats::kKmhPerMs;
using stats::PuntoRadianti;
using stats::Tratto;

double degrees(int64_t units) {
    return static_cast<double>(units) / kNanoDegrees;
}

bool is_relocation(const PuntoConservato& from, const PuntoConservato& to) {
    return is_jump(degrees(from.lat), degrees(to.lat)) || is_jump(degrees(from.lon), degrees(to.lon));
}

// No board, kite or boat sails at this pace: a leg faster than this, by its positions or by the device's
// own speed, comes from a bad fix.
constexpr double kSpikeKmh = 150;

bool is_spike(std::optional<double> kmh, std::optional<double> device_kmh) {
    return (kmh && *kmh > kSpikeKmh) || (device_kmh && *device_kmh > kSpikeKmh);
}

PuntoRadianti radians_of(const PuntoConservato& punto) {
    return stats::punto_radianti(static_cast<double>(punto.lat), static_cast<double>(punto.lon));
}

// The speed results twice: from the positions, and with the device's speed where a leg has one. Until the
// first leg with a device speed both see the same legs, so the second starts then as a copy of the first:
// a track without device speeds pays for one calculation only.
class BothResults {
  public:
    void inizio(const PuntoRadianti& punto, double ora) {
        positions_.inizio(punto, ora);
        if (device_)
            device_->inizio(punto, ora);
    }
    void tratto(const Tratto& leg, std::optional<double> device_kmh, const PuntoRadianti& fine, double ora) {
        if (device_kmh) {
            ++with_device_;
            if (!device_)
                device_ = positions_;
        } else {
            ++without_device_;
        }
        if (device_)
            device_->tratto(device_kmh ? Tratto{leg.t, *device_kmh, leg.d_km} : leg, fine, ora);
        positions_.tratto(leg, fine, ora);
    }
    void give(Statistiche& s) const {
        s.velocita_posizioni = risultati_di(positions_.risultati());
        s.velocita = device_ ? risultati_di(device_->risultati()) : s.velocita_posizioni;
        s.fonte = with_device_ == 0      ? FonteVelocita::Posizioni
                  : without_device_ == 0 ? FonteVelocita::Doppler
                                         : FonteVelocita::Misto;
    }

  private:
    CalcoloVelocita positions_;
    std::optional<CalcoloVelocita> device_;
    int64_t with_device_ = 0;
    int64_t without_device_ = 0;
};

// The median of the leg durations, counted by the millisecond: recordings have few distinct intervals.
class MedianInterval {
  public:
    MedianInterval() = default;
    MedianInterval(const MedianInterval&) = delete;  // last_ points into its own map
    MedianInterval& operator=(const MedianInterval&) = delete;

    void add(double seconds) {
        const int64_t ms = std::llround(seconds * 1000);
        // Most legs last as long as the one before: its count is found again without a search.
        if (last_ == counts_.end() || last_->first != ms)
            last_ = counts_.try_emplace(ms, 0).first;
        ++last_->second;
        ++n_;
    }
    std::optional<double> median() const {
        if (n_ == 0)
            return std::nullopt;
        // The lower middle for an even count, so that the answer is always a duration that occurred.
        int64_t left = (n_ - 1) / 2;
        for (const auto& [ms, count] : counts_) {
            if (left < count)
                return static_cast<double>(ms) / 1000;
            left -= count;
        }
        return std::nullopt;
    }

  private:
    std::map<int64_t, int64_t> counts_;
    std::map<int64_t, int64_t>::iterator last_ = counts_.end();
    int64_t n_ = 0;
};

double seconds_of_day(const OraDelGiorno& ora) {
    return ora.leggibile ? ora.ore * 3600.0 + ora.minuti * 60.0 + ora.secondi : kSenzaOra;
}

// Points are given back in batches: the store frees a chunk only once every point in it has been passed,
// so asking at every point would do nothing nearly every time. Giving back takes no lock: only this reader
// frees chunks, and only chunks the writer has finished with.
constexpr int64_t kGiveBackEvery = 4096;

}  // namespace

Statistiche passo_statistiche(PointStore& store, bool libera) {
    Statistiche result;
    // The store may still be filling on another thread: read only as far as it is published.
    int64_t ready = store.available(1);
    if (ready < 1)
        return result;
    stats::Totali totals;
    BothResults speeds;
    MedianInterval interval;
    stats::CostruttoreProfilo profile;
    stats::CostruttorePercorso shape;
    PuntoConservato previous_point = store.punto(1);
    PuntoRadianti previous = radians_of(previous_point);
    OraDelGiorno previous_time = previous_point.ora;
    if (previous_time.leggibile)
        profile.ora_inizio(seconds_of_day(previous_time));
    speeds.inizio(previous, seconds_of_day(previous_time));
    shape.punto(previous, true, 0, 0);
    for (int64_t i = 1;; ++i) {
        // Points before i are never read again: the leg (i, i + 1) reads i and i + 1.
        if (libera && i % kGiveBackEvery == 0)
            store.release_before(i);
        if (i + 1 > ready) {
            ready = store.available(i + 1);
            if (i + 1 > ready)
                break;
        }
        const PuntoConservato next_point = store.punto(i + 1);
        const PuntoRadianti next = radians_of(next_point);
        const OraDelGiorno next_time = next_point.ora;
        if (next_point.salto_prima)
            profile.salto();
        if (is_relocation(previous_point, next_point)) {
            speeds.inizio(next, seconds_of_day(next_time));
            shape.punto(next, true, 0, 0);
        } else {
            const double t = stats::secondi_tratto(previous_time, next_time);
            const double d = stats::distanza_km(previous, next);
            const std::optional<double> v = stats::velocita_da_distanza(d, t);
            totals.aggiungi_tratto(t, v);
            interval.add(t);
            const std::optional<double> device =
                next_point.velocita_gps ? std::optional<double>(*next_point.velocita_gps * kKmhPerMs)
                                        : std::nullopt;
            // A spike counts in the four figures like any leg, but no speed result spans it and the
            // profile marks it as it marks a dropped jump.
            if (is_spike(v, device)) {
                speeds.inizio(next, seconds_of_day(next_time));
                shape.punto(next, true, 0, 0);
                profile.salto();
            } else {
                speeds.tratto({t, v.value_or(0), d}, device, next, seconds_of_day(next_time));
                profile.tratto(t, v.value_or(0));
                shape.punto(next, false, t, v.value_or(0) / kKmhPerMs * t, v && *v > stats::kPlaningSpeed);
            }
        }
        previous_point = next_point;
        previous = next;
        previous_time = next_time;
    }
    speeds.give(result);
    result.intervallo_mediano = interval.median();
    result.totali = totali_di(totals);
    result.profilo = profilo_di(profile.profilo());
    result.percorso = percorso_di(shape.percorso());
    return result;
}

}  // namespace lurendo
