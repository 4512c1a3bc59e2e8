// Duration, distance and speed of one leg between two kept points.
#pragma once

#include <optional>

#include "common/time_of_day.h"

namespace lurendo::stats {

// Seconds between two times of day. Falls back to 2 s when either time is unreadable. A gap of more than
// half a day is taken as a step across midnight.
double secondi_tratto(const OraDelGiorno& p, const OraDelGiorno& q);

// A point in radians with the cosine of its latitude, computed once and reused for both legs that touch it.
struct PuntoRadianti {
    double lat_rad = 0;
    double lon_rad = 0;
    double cos_lat = 0;
};
// Of a point at `lat_units`, `lon_units` (1e-9 degree).
PuntoRadianti punto_radianti(double lat_units, double lon_units);

// The central angle between two points, in radians, in the haversine form: 2 asin(sqrt(h)) with
// h = sin²(Δφ/2) + cos φp cos φq sin²(Δλ/2). It equals the arc cosine of the cosine term of the spherical
// law of cosines, but keeps its precision for short legs, where 1 - cos² cancels.
double angolo_centrale(const PuntoRadianti& p, const PuntoRadianti& q);

// Great-circle distance in km between two points.
double distanza_km(const PuntoRadianti& p, const PuntoRadianti& q);

// Speed in km/h, rounded to one decimal, of the leg from p to q lasting t seconds; empty when t is 0.
std::optional<double> velocita_tratto(const PuntoRadianti& p, const PuntoRadianti& q, double t);
// The same for a leg whose great-circle distance `d_km` is known.
std::optional<double> velocita_da_distanza(double d_km, double t);

}  // namespace lurendo::stats
