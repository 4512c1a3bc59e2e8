// The point store: position and time of day of every point the repair run kept, in input order. While a run
// fills it, another thread may read it as far as it has been published.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "common/time_of_day.h"
#include "repair/chunked_array.h"
#include "repair/track_point.h"

namespace lurendo {

class PointStore {
  public:
    // Number of points stored; indices run from 1 to n_punti.
    int64_t n_punti() const { return static_cast<int64_t>(points_.size()); }

    int64_t lat_punto(int64_t i) const { return at(i).lat; }  // 1e-9 degree
    int64_t lon_punto(int64_t i) const { return at(i).lon; }  // 1e-9 degree
    OraDelGiorno ora_punto(int64_t i) const {
        const Punto& p = at(i);
        return OraDelGiorno{p.secondi, p.ore, p.minuti, p.leggibile};
    }
    // The device's own speed at point i (m/s), when the point recorded one.
    std::optional<double> velocita_gps(int64_t i) const {
        const double v = at(i).velocita_gps;
        return v == v ? std::optional<double>(v) : std::nullopt;  // NaN stands for none
    }
    // True when a point dropped as a jump came right before point i.
    bool salto_prima(int64_t i) const { return at(i).salto_prima; }

    // Stores a point whose coordinates were read as the next point.
    void elaboro_stringa2(const PuntoLetto& punto);
    // A point was dropped as a jump; the next stored point carries the mark.
    void segna_salto() { jump_pending_ = true; }

    // From now on the points are published, a batch at a time, to a reader on another thread.
    void condividi();
    // No more points come: all of them are published, and readers stop waiting.
    void chiudi();
    // The number of points a reader may read: for a shared store that is still filling, it first waits
    // until at least `almeno` are published or the store is closed. For a store that is not shared, simply
    // n_punti().
    int64_t disponibili(int64_t almeno) const;

  private:
    // 40 bytes: the time of day is kept flat so that it packs with the flags. No default values: every
    // entry is written whole when it is stored, so new chunks need not be cleared first.
    struct Punto {
        int64_t lat;
        int64_t lon;
        double secondi;
        double velocita_gps;  // m/s; NaN when the point has none
        uint8_t ore;
        uint8_t minuti;
        bool leggibile;
        bool salto_prima;
    };
    static_assert(sizeof(Punto) == 40);

    struct Condivisione {
        std::mutex mutex;
        std::condition_variable changed;
        int64_t published = 0;
        bool closed = false;
    };
    // Points are published this many at a time: waking the reader for each would cost more than reading.
    static constexpr int64_t kPublishEvery = 4096;
    void publish(bool closing);

    const Punto& at(int64_t i) const { return points_[static_cast<size_t>(i - 1)]; }
    ChunkedArray<Punto> points_;
    bool jump_pending_ = false;
    std::unique_ptr<Condivisione> sharing_;
};

}  // namespace lurendo
