// The trackpoint filter: drops a point that jumps away from the one before it and re-lays out the others.
#pragma once

#include <optional>
#include <string>

namespace lurendo {

enum class FilterVerdict {
    Passed,      // the text was re-laid out in place
    Dropped,     // the point jumped; the text is unchanged
    Unreadable,  // a coordinate could not be read; nothing changed
};

class TrackpointFilter {
  public:
    // Latitude and longitude (degrees) of the last point whose coordinates were read; empty at first.
    std::optional<double> G_latitudine;
    std::optional<double> G_longitudine;

    // Judges the point in `testo` against the previous one. A passing point gets its elevation and time
    // elements on lines of their own, written back into `testo`.
    FilterVerdict elaboro_stringa(std::string& testo);

    // The exact coordinates (1e-9 degree) of the last point whose coordinates were read.
    double last_lat_units() const { return last_lat_units_; }
    double last_lon_units() const { return last_lon_units_; }

    void reset() {
        G_latitudine.reset();
        G_longitudine.reset();
    }

  private:
    double last_lat_units_ = 0;
    double last_lon_units_ = 0;
    std::string relaid_;  // scratch for the re-laid-out text, kept to avoid an allocation per point
};

// Inserts the line breaks of a passing point: before every "        <ele>" (eight blanks) and after every
// "</ele>" and "</time>". Appends the result to `out`.
void relay_out_point(const std::string& testo, std::string& out);

}  // namespace lurendo
