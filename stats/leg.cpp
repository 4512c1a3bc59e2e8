#include "stats/leg.h"

#include <cmath>
#include <cstdlib>

#include "common/numbers.h"

namespace lurendo {

namespace {

constexpr double kDegreesPerRadian = 57.29577951;
constexpr double kEarthRadiusKm = 6378.7;
constexpr double kSpeedFactor = 1800.1;
constexpr double kUnitsToDegrees = 1e-9;
constexpr double kHalfDay = 43200;
constexpr double kDay = 86400;

}  // namespace

double secondi_tratto(const PointStore& store, int64_t p, int64_t q) {
    const double fallback = 2.0 * static_cast<double>(std::llabs(p - q));
    if (!store.has(p) || !store.has(q))
        return fallback;
    const OraPunto a = store.ora_punto(p);
    const OraPunto b = store.ora_punto(q);
    if (!a.valida() || !b.valida())
        return fallback;
    const double dh = a.ore - b.ore;
    const double dm = a.minuti - b.minuti;
    const double ds = a.secondi - b.secondi;
    double seconds = std::fabs(((dh * 3600) + (dm * 60)) + ds);
    if (!std::isfinite(seconds))
        return fallback;
    // Consecutive points more than half a day apart on the clock are a step across midnight.
    if (seconds > kHalfDay && seconds <= kDay)
        seconds = kDay - seconds;
    return seconds;
}

PuntoTrig trig_punto(double lat_units, double lon_units) {
    const double lat_rad = (lat_units * kUnitsToDegrees) / kDegreesPerRadian;
    return {std::sin(lat_rad), std::cos(lat_rad), (lon_units * kUnitsToDegrees) / kDegreesPerRadian};
}

double distanza_km(double a) {
    if (a > 0) {
        const double root_term = 1 - a * a;
        if (root_term < 0)
            return 0;  // a rounded just above 1: the same place
        return kEarthRadiusKm * std::atan(std::sqrt(root_term) / a);
    }
    // More than a quarter of the globe apart; a may round just below -1.
    return kEarthRadiusKm * std::acos(a < -1 ? -1 : a);
}

std::optional<double> velocita_da_trig(const PuntoTrig& p, const PuntoTrig& q, double t) {
    const double a = p.sin_lat * q.sin_lat + (p.cos_lat * q.cos_lat) * std::cos(q.lon_rad - p.lon_rad);
    const double d = distanza_km(a);
    if (t == 0)
        return std::nullopt;
    const double raw = (d * kSpeedFactor) / (t / 2);
    return std::fabs(arrotonda(raw, 1));
}

std::optional<double> velocita_tratto(const PointStore& store, int64_t p, int64_t q) {
    if (p <= 0 || q <= 0)
        return std::nullopt;
    const PuntoTrig a = trig_punto(store.lat_punto(p), store.lon_punto(p));
    const PuntoTrig b = trig_punto(store.lat_punto(q), store.lon_punto(q));
    return velocita_da_trig(a, b, secondi_tratto(store, p, q));
}

}  // namespace lurendo
