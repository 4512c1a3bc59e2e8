// The trackpoint filter: drops a point that jumps away from the one before it.
#pragma once

#include <optional>

#include "repair/read/track_point.h"

namespace lurendo {

enum class FilterVerdict {
    Passed,      // the point goes into the repaired track, laid out
    Dropped,     // the point jumped; it leaves an empty line
    Unreadable,  // a coordinate could not be read; nothing changed and nothing is written
};

// A difference of this many degrees or more in latitude or longitude is a jump, not a move.
inline constexpr double kJumpThreshold = 0.023;

// True when a move from `from_degrees` to `to_degrees` in one coordinate is a jump, compared on the
// difference of the degree values as the filter compares them.
bool is_jump(double from_degrees, double to_degrees);

class TrackpointFilter {
  public:
    // A filter with no previous point, or one that goes on after the point (lat, lon) in degrees.
    TrackpointFilter() = default;
    TrackpointFilter(double lat, double lon) : G_latitudine_(lat), G_longitudine_(lon) {}

    // Judges `punto` against the previous point and makes it the previous point when its coordinates read.
    FilterVerdict elaboro_stringa(const PuntoLetto& punto);

    // Latitude and longitude (degrees) of the last point whose coordinates were read; empty at first.
    std::optional<double> G_latitudine() const { return G_latitudine_; }
    std::optional<double> G_longitudine() const { return G_longitudine_; }

  private:
    // Only elaboro_stringa moves the previous point.
    std::optional<double> G_latitudine_;
    std::optional<double> G_longitudine_;
};

}  // namespace lurendo
