// The statistics' own results turned into the plain data every front end receives.
#pragma once

#include "run/results.h"
#include "stats/figures.h"
#include "stats/speed_profile.h"
#include "stats/speed_results.h"
#include "stats/totals.h"
#include "stats/track_shape.h"

namespace lurendo {

Totali totali_di(const stats::Totali& t);
TestiCifre testi_di(const stats::TestiCifre& t);
RisultatiVelocita risultati_di(const stats::RisultatiVelocita& r);
ProfiloVelocita profilo_di(const stats::ProfiloVelocita& p);
Percorso percorso_di(const stats::Percorso& p);

}  // namespace lurendo
