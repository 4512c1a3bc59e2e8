// Duration, distance and speed of one leg between two kept points.
#pragma once

#include <optional>

#include "common/time_of_day.h"

namespace lurendo {

// Seconds between two times of day. Falls back to 2 s when either time is unreadable. A gap of more than
// half a day is taken as a step across midnight.
double secondi_tratto(const OraDelGiorno& p, const OraDelGiorno& q);

// The trigonometric terms of one point, computed once and reused for both legs that touch it.
struct PuntoTrig {
    double sin_lat = 0;
    double cos_lat = 0;
    double lon_rad = 0;
    double lat_rad = 0;
};
// Of a point at `lat_units`, `lon_units` (1e-9 degree).
PuntoTrig trig_punto(double lat_units, double lon_units);

// The cosine of the central angle between two points.
double coseno_angolo(const PuntoTrig& p, const PuntoTrig& q);

// Great-circle distance in km for the cosine term `a` of the central angle.
double distanza_km(double a);

// Speed in km/h, rounded to one decimal, of the leg from p to q lasting t seconds; empty when t is 0.
std::optional<double> velocita_tratto(const PuntoTrig& p, const PuntoTrig& q, double t);
// The same for a leg whose great-circle distance `d_km` is known.
std::optional<double> velocita_da_distanza(double d_km, double t);

}  // namespace lurendo
