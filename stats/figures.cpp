#include "stats/figures.h"

#include <cmath>

#include "common/numbers.h"

namespace lurendo::stats {

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

TestiCifre testi_cifre(const Totali& totali) {
    return {formato_distanza(totali.dist_tot), formato_tempo(totali.tempo_tot),
            formato_distanza(totali.dist_parz), formato_tempo(totali.tempo_parz)};
}

}  // namespace lurendo::stats
