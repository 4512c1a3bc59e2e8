#include "run/statistics_pass.h"

#include "repair/coordinates.h"
#include "repair/filter.h"
#include "stats/leg.h"

namespace lurendo {

namespace {

double degrees(int64_t units) {
    return static_cast<double>(units) / kNanoDegrees;
}

bool is_relocation(const PointStore& store, int64_t i) {
    return is_jump(degrees(store.lat_punto(i)), degrees(store.lat_punto(i + 1))) ||
           is_jump(degrees(store.lon_punto(i)), degrees(store.lon_punto(i + 1)));
}

PuntoTrig trig_of(const PointStore& store, int64_t i) {
    return trig_punto(static_cast<double>(store.lat_punto(i)), static_cast<double>(store.lon_punto(i)));
}

}  // namespace

Statistiche passo_statistiche(const PointStore& store) {
    Statistiche result;
    // The store may still be filling on another thread: read only as far as it is published.
    int64_t ready = store.disponibili(1);
    if (ready < 1)
        return result;
    CalcoloVelocita speeds;
    CostruttoreProfilo profile;
    PuntoTrig previous = trig_of(store, 1);
    OraDelGiorno previous_time = store.ora_punto(1);
    if (previous_time.leggibile)
        profile.ora_inizio(previous_time.ore * 3600.0 + previous_time.minuti * 60.0 + previous_time.secondi);
    speeds.inizio(previous);
    for (int64_t i = 1;; ++i) {
        if (i + 1 > ready) {
            ready = store.disponibili(i + 1);
            if (i + 1 > ready)
                break;
        }
        const PuntoTrig next = trig_of(store, i + 1);
        const OraDelGiorno next_time = store.ora_punto(i + 1);
        if (store.salto_prima(i + 1))
            profile.salto();
        if (is_relocation(store, i)) {
            speeds.inizio(next);
        } else {
            const double t = secondi_tratto(previous_time, next_time);
            const double d = distanza_km(coseno_angolo(previous, next));
            const std::optional<double> v = velocita_da_distanza(d, t);
            result.totali.aggiungi_tratto(t, v);
            speeds.tratto({t, v.value_or(0), d}, next);
            profile.tratto(t, v.value_or(0));
        }
        previous = next;
        previous_time = next_time;
    }
    result.velocita = speeds.risultati();
    result.profilo = profile.profilo();
    return result;
}

}  // namespace lurendo
