// The point store: latitude, longitude and time of day of every point the repair run kept.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "repair/chunked_array.h"

namespace lurendo {

// A time of day split at ":" into hours, minutes and seconds, each already read as a number. A text that
// does not give three numbers is kept as invalid, and leg durations fall back to their estimate for it.
struct OraPunto {
    double ore = std::numeric_limits<double>::quiet_NaN();
    double minuti = 0;
    double secondi = 0;
    bool valida() const { return !std::isnan(ore); }
};

// Splits a time-of-day text such as "15:04:05" or "15:04:05.2". `fraction_follows` says that the seconds
// piece carries a fraction with "." as its decimal point.
OraPunto leggi_ora(std::string_view text, bool fraction_follows);

// The time-of-day text of a point block: the eight characters 17 behind "<time>" (or from the 17th
// character when there is none), followed by "." and digits when they come right after.
std::string_view testo_ora(std::string_view blocco, bool& fraction_follows);

struct Punto {
    double lat = 0;  // 1e-9 degree
    double lon = 0;  // 1e-9 degree
    OraPunto ora;
};

class PointStore {
  public:
    // Number of points stored; indices run from 1 to n_punti.
    int64_t n_punti() const { return static_cast<int64_t>(points_.size()); }

    bool has(int64_t i) const { return i >= 1 && i <= n_punti(); }
    double lat_punto(int64_t i) const { return has(i) ? at(i).lat : 0; }
    double lon_punto(int64_t i) const { return has(i) ? at(i).lon : 0; }
    OraPunto ora_punto(int64_t i) const { return has(i) ? at(i).ora : OraPunto{}; }

    // Reads latitude, longitude and time of day from a point block and stores them as the next point.
    // A coordinate that cannot be read leaves it (and what follows it) at its empty value.
    void elaboro_stringa2(std::string_view blocco_trkpt);

    void add(const Punto& p) { points_.push_back(p); }
    // Stores a point whose coordinates are already known; reads only its time of day from the block.
    void add_point(double lat_units, double lon_units, std::string_view blocco_trkpt);
    void clear() { points_.clear(); }

  private:
    const Punto& at(int64_t i) const { return points_[static_cast<size_t>(i - 1)]; }
    ChunkedArray<Punto> points_;
};

}  // namespace lurendo
