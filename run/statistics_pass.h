// The statistics pass: every leg between consecutive kept points, added to the totals.
#pragma once

#include "repair/point_store.h"
#include "stats/speed_profile.h"
#include "stats/speed_results.h"
#include "stats/totals.h"

namespace lurendo {

struct Statistiche {
    Totali totali;
    RisultatiVelocita velocita;
    ProfiloVelocita profilo;
};

// Walks the legs (1, 2), (2, 3), … of `store`. A step between points a jump apart in latitude or
// longitude is a relocation (recordings joined from different places), not a leg: it adds nothing, and
// no speed result spans it. The store may still be filling on another thread; the pass ends when it is
// closed.
Statistiche passo_statistiche(const PointStore& store);

}  // namespace lurendo
