// Duration and speed of one leg between two stored points.
#pragma once

#include <cstdint>
#include <optional>

#include "repair/point_store.h"

namespace lurendo {

// Seconds between the times of day of points p and q. Falls back to 2 s per index step when either time
// is missing or unreadable. A gap of more than half a day is taken as a step across midnight.
double secondi_tratto(const PointStore& store, int64_t p, int64_t q);

// The trigonometric terms of one point, computed once and reused for both legs that touch it.
struct PuntoTrig {
    double sin_lat = 0;
    double cos_lat = 0;
    double lon_rad = 0;
};
PuntoTrig trig_punto(double lat_units, double lon_units);

// Speed in km/h, rounded to one decimal, of the leg from a to b lasting t seconds; empty when t is 0.
std::optional<double> velocita_da_trig(const PuntoTrig& a, const PuntoTrig& b, double t);

// Speed of the leg from stored point p to q; empty when either index is not positive or the time is 0.
std::optional<double> velocita_tratto(const PointStore& store, int64_t p, int64_t q);

// Great-circle distance in km for the cosine term `a` of the central angle.
double distanza_km(double a);

}  // namespace lurendo
