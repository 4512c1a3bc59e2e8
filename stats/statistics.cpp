#include "stats/statistics.h"

#include <cmath>

#include "common/numbers.h"
#include "stats/leg.h"

namespace lurendo {

namespace {

constexpr double kPlaningSpeed = 18;
constexpr double kKmhPerMs = 3.6;

}  // namespace

void passo_statistiche(const PointStore& store, Totali& totali) {
    const int64_t n = store.n_punti();
    if (n < 2)
        return;
    PuntoTrig previous = trig_punto(store.lat_punto(1), store.lon_punto(1));
    for (int64_t i = 1; i < n; ++i) {
        const PuntoTrig next = trig_punto(store.lat_punto(i + 1), store.lon_punto(i + 1));
        const double t = secondi_tratto(store, i, i + 1);
        const std::optional<double> v = velocita_da_trig(previous, next, t);
        const double d = v ? (*v / kKmhPerMs) * t : 0;
        totali.tempo_tot += t;
        totali.dist_tot += d;
        if (v && *v > kPlaningSpeed) {
            totali.tempo_parz += t;
            totali.dist_parz += d;
        }
        previous = next;
    }
}

std::string formato_tempo(double seconds) {
    const double x = arrotonda(seconds, 1);
    // Kept in doubles so that no total, however large, makes the text fail.
    const double h = std::floor(x / 3600);
    const double r = x - h * 3600;
    const double m = std::floor(r / 60);
    const double s = arrotonda(r - m * 60, 1);
    return numero_testo(h) + ":" + numero_testo(m) + ":" + numero_testo(s);
}

std::string formato_distanza(double metres) {
    return numero_testo(arrotonda(metres / 1000, 2)) + " km";
}

Figure testi_figure(const Totali& totali) {
    return {formato_distanza(totali.dist_tot), formato_tempo(totali.tempo_tot),
            formato_distanza(totali.dist_parz), formato_tempo(totali.tempo_parz)};
}

}  // namespace lurendo
