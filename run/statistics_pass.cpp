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

Totali passo_statistiche(const PointStore& store) {
    Totali totali;
    const int64_t n = store.n_punti();
    if (n < 2)
        return totali;
    PuntoTrig previous = trig_of(store, 1);
    OraDelGiorno previous_time = store.ora_punto(1);
    for (int64_t i = 1; i < n; ++i) {
        const PuntoTrig next = trig_of(store, i + 1);
        const OraDelGiorno next_time = store.ora_punto(i + 1);
        if (!is_relocation(store, i)) {
            const double t = secondi_tratto(previous_time, next_time);
            totali.aggiungi_tratto(t, velocita_tratto(previous, next, t));
        }
        previous = next;
        previous_time = next_time;
    }
    return totali;
}

}  // namespace lurendo
