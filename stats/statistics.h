// The statistics pass over the stored points and the texts that show its totals.
#pragma once

#include <string>

#include "repair/point_store.h"

namespace lurendo {

struct Totali {
    double tempo_tot = 0;   // seconds, every leg
    double dist_tot = 0;    // metres, every leg
    double tempo_parz = 0;  // seconds, legs faster than 18 km/h
    double dist_parz = 0;   // metres, legs faster than 18 km/h
};

struct Figure {
    std::string lbl_dist_tot;
    std::string lbl_tempo_tot;
    std::string lbl_dist_parz;
    std::string lbl_tempo_parz;
};

// Adds every leg (1, 2), (2, 3), … of the store to `totali`. A leg's length is its rounded speed times its
// duration; it counts as planing when the speed is above 18 km/h.
void passo_statistiche(const PointStore& store, Totali& totali);

// "h:m:s" of a number of seconds, the seconds with at most one decimal ("0:9:59,5").
std::string formato_tempo(double seconds);

// Metres as kilometres with at most two decimals ("0,03 km").
std::string formato_distanza(double metres);

Figure testi_figure(const Totali& totali);

}  // namespace lurendo
