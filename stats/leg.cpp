#include "stats/leg.h"

#include <cmath>

#include "common/numbers.h"
#include "common/portable_math.h"

namespace lurendo::stats {

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

PuntoRadianti punto_radianti(double lat_units, double lon_units) {
    const double lat_rad = (lat_units * kUnitsToDegrees) / kDegreesPerRadian;
    return {lat_rad, (lon_units * kUnitsToDegrees) / kDegreesPerRadian, portable_cos(lat_rad)};
}

double angolo_centrale(const PuntoRadianti& p, const PuntoRadianti& q) {
    const double half_lat = portable_sin((q.lat_rad - p.lat_rad) / 2);
    const double half_lon = portable_sin((q.lon_rad - p.lon_rad) / 2);
    const double h = half_lat * half_lat + (p.cos_lat * q.cos_lat) * (half_lon * half_lon);
    // h may round just above 1 for points at opposite ends of the globe.
    return 2 * portable_asin(std::sqrt(h < 1 ? h : 1));
}

double distanza_km(const PuntoRadianti& p, const PuntoRadianti& q) {
    return kEarthRadiusKm * angolo_centrale(p, q);
}

std::optional<double> velocita_tratto(const PuntoRadianti& p, const PuntoRadianti& q, double t) {
    return velocita_da_distanza(distanza_km(p, q), t);
}

std::optional<double> velocita_da_distanza(double d, double t) {
    if (t == 0)
        return std::nullopt;
    const double raw = (d * kSpeedFactor) / (t / 2);
    return std::fabs(arrotonda(raw, 1));
}

}  // namespace lurendo::stats
