// The statistics pass: every leg between consecutive kept points, added to the totals.
#pragma once

#include <optional>

#include "repair/store/point_store.h"
#include "run/results.h"

namespace lurendo {

struct Statistiche {
    Totali totali;
    RisultatiVelocita velocita;            // legs at the device's speed where the track records it
    RisultatiVelocita velocita_posizioni;  // every leg at its speed from the positions
    FonteVelocita fonte = FonteVelocita::Posizioni;
    std::optional<double> intervallo_mediano;  // s, the median leg duration; none without legs
    ProfiloVelocita profilo;
    Percorso percorso;
};

// Walks the legs (1, 2), (2, 3), … of `store`. A step between points a jump apart in latitude or
// longitude is a relocation (recordings joined from different places), not a leg: it adds nothing, and
// no speed result spans it. A leg faster than 150 km/h is a spike: it counts in the totals, but no speed
// result spans it either and the profile marks it. The totals, the planing share and the profile take each
// leg's speed from the positions; the speed results take the device's speed at the leg's end point where it
// has one. The store may still be filling on another thread: the pass is then its reader, waits for the
// points as they are published and ends when the store is closed.
// `libera`: the pass gives the points it has passed back to the store as it goes (see
// PointStore::release_before), so that a long run needs bounded memory; the store then no longer holds them.
Statistiche passo_statistiche(PointStore& store, bool libera = false);

}  // namespace lurendo
