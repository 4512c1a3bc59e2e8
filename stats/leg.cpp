#include "stats/leg.h"

#include <cmath>

#include "common/numbers.h"

namespace lurendo {

namespace {

constexpr double kDegreesPerRadian = 57.29577951;
constexpr double kEarthRadiusKm = 6378.7;
constexpr double kSpeedFactor = 1800.1;
constexpr double kUnitsToDegrees = 1e-9;
constexpr double kFallbackSeconds = 2;
constexpr double kSecondsPerHalfDay = 43200;
constexpr double kSecondsPerDay = 86400;

}  // namespace

double secondi_tratto(const OraDelGiorno& p, const OraDelGiorno& q) {
    if (!p.leggibile || !q.leggibile)
        return kFallbackSeconds;
    const double dh = static_cast<double>(p.ore) - static_cast<double>(q.ore);
    const double dm = static_cast<double>(p.minuti) - static_cast<double>(q.minuti);
    const double ds = p.secondi - q.secondi;
    const double seconds = std::fabs(((dh * 3600) + (dm * 60)) + ds);
    // Consecutive points more than half a day apart on the clock are a step across midnight. A leap second
    // can make the clock gap a little over a day, so the short way round is taken as a distance.
    if (seconds > kSecondsPerHalfDay)
        return std::fabs(kSecondsPerDay - seconds);
    return seconds;
}

PuntoTrig trig_punto(double lat_units, double lon_units) {
    const double lat_rad = (lat_units * kUnitsToDegrees) / kDegreesPerRadian;
    return {std::sin(lat_rad), std::cos(lat_rad), (lon_units * kUnitsToDegrees) / kDegreesPerRadian, lat_rad};
}

double coseno_angolo(const PuntoTrig& p, const PuntoTrig& q) {
    return p.sin_lat * q.sin_lat + (p.cos_lat * q.cos_lat) * std::cos(q.lon_rad - p.lon_rad);
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

std::optional<double> velocita_tratto(const PuntoTrig& p, const PuntoTrig& q, double t) {
    return velocita_da_distanza(distanza_km(coseno_angolo(p, q)), t);
}

std::optional<double> velocita_da_distanza(double d, double t) {
    if (t == 0)
        return std::nullopt;
    const double raw = (d * kSpeedFactor) / (t / 2);
    return std::fabs(arrotonda(raw, 1));
}

}  // namespace lurendo
