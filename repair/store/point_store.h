// The point store: position and time of day of every point the repair run kept, in input order. While a run
// fills it, another thread may read it as far as it has been published.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "common/threads/published_count.h"
#include "common/time_of_day.h"
#include "repair/read/track_point.h"
#include "repair/store/chunked_array.h"

namespace lurendo {

// Everything the store keeps of one point, read at once.
struct PuntoConservato {
    int64_t lat;  // 1e-9 degree
    int64_t lon;  // 1e-9 degree
    OraDelGiorno ora;
    std::optional<double> velocita_gps;  // m/s
    bool salto_prima;                    // a point dropped as a jump came right before it
};

class PointStore {
  public:
    // Number of points stored; indices run from 1 to n_punti.
    int64_t n_punti() const { return static_cast<int64_t>(points_.size()); }

    int64_t lat_punto(int64_t i) const { return at(i).lat; }  // 1e-9 degree
    int64_t lon_punto(int64_t i) const { return at(i).lon; }  // 1e-9 degree
    OraDelGiorno ora_punto(int64_t i) const { return ora(at(i)); }
    // The device's own speed at point i (m/s), when the point recorded one.
    std::optional<double> velocita_gps(int64_t i) const {
        const double v = at(i).velocita_gps;
        return v == v ? std::optional<double>(v) : std::nullopt;  // NaN stands for none
    }
    // True when a point dropped as a jump came right before point i.
    bool salto_prima(int64_t i) const { return at(i).salto_prima; }
    // All of point i: one look-up instead of one for each of the above.
    PuntoConservato punto(int64_t i) const {
        const Punto& p = at(i);
        return {p.lat, p.lon, ora(p),
                p.velocita_gps == p.velocita_gps ? std::optional<double>(p.velocita_gps) : std::nullopt,
                p.salto_prima};
    }

    // Stores a point whose coordinates were read as the next point.
    void elaboro_stringa2(const PuntoLetto& punto);
    // A point was dropped as a jump; the next stored point carries the mark.
    void segna_salto() { jump_pending_ = true; }

    // From now on the points are published, a batch at a time, to a reader on another thread.
    void share();
    // No more points come: all of them are published, and readers stop waiting.
    void close();

    // The reader's side. The number of points it may read: for a shared store that is still filling, it
    // first waits until at least `at_least` are published or the store is closed. The reader is told a
    // batch at a time, and each time tells the writer how far it has come, so a writer waiting to run on
    // goes on while the reader reads the batch. For a store that is not shared, simply n_punti().
    int64_t available(int64_t at_least);
    // The reader of a shared store is done with the points before `index` and will never read them again:
    // their memory goes back. The writer waits whenever it is kMaxAhead points ahead of the reader, so a
    // reader that gives points back holds a long track in bounded memory. Without any call the store keeps
    // every point.
    void release_before(int64_t index);
    // The reader has stopped, for good or by a failure: the writer never waits for it again.
    void reader_stopped();

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
    static OraDelGiorno ora(const Punto& p) { return OraDelGiorno{p.secondi, p.ore, p.minuti, p.leggibile}; }

    // How far the writer may run ahead of the reader: about 10 MB of points.
    static constexpr int64_t kMaxAhead = 1 << 18;
    // Points are published this many at a time: waking the reader for each would cost more than reading.
    static constexpr int64_t kPublishEvery = 4096;

    const Punto& at(int64_t i) const { return points_[static_cast<size_t>(i - 1)]; }
    ChunkedArray<Punto> points_;
    bool jump_pending_ = false;
    // A shared store tells the reader how many points are published, batch by batch.
    std::unique_ptr<PublishedCount> sharing_;
    bool closed_ = false;  // the writer's side: the last count is published
    // The reader's side, apart from what the writer changes at every point: as far as it has been told.
    alignas(ChunkedArray<Punto>::kCacheLine) int64_t published_ = 0;
};

}  // namespace lurendo
