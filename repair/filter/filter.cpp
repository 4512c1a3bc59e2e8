#include "repair/filter/filter.h"

#include <cmath>

#include "repair/read/coordinates.h"

namespace lurendo {

namespace {

// Difference to the previous value; none, or a previous value of exactly 0, counts as no difference.
double difference(double value, const std::optional<double>& previous) {
    if (!previous || *previous == 0)
        return 0;
    return std::fabs(value - *previous);
}

}  // namespace

bool is_jump(double from_degrees, double to_degrees) {
    return !(std::fabs(to_degrees - from_degrees) < kJumpThreshold);
}

FilterVerdict TrackpointFilter::elaboro_stringa(const PuntoLetto& punto) {
    if (!punto.lat || !punto.lon)
        return FilterVerdict::Unreadable;
    const double lat = static_cast<double>(*punto.lat) / kNanoDegrees;
    const double lon = static_cast<double>(*punto.lon) / kNanoDegrees;

    const double dlat = difference(lat, G_latitudine_);
    const double dlon = difference(lon, G_longitudine_);
    G_latitudine_ = lat;
    G_longitudine_ = lon;
    return dlat < kJumpThreshold && dlon < kJumpThreshold ? FilterVerdict::Passed : FilterVerdict::Dropped;
}

}  // namespace lurendo
