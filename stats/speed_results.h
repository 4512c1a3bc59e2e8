// The speed results GPS speed-sailing rankings use, computed leg by leg as the statistics pass makes the
// legs: best 2 s, 10 s and 1 h, five best 10 s windows, best 500 m and nautical mile, best alpha 500.
#pragma once

#include <cstdint>
#include <deque>
#include <limits>
#include <optional>
#include <vector>

#include "stats/leg.h"

namespace lurendo::stats {

inline constexpr double kSenzaOra = std::numeric_limits<double>::quiet_NaN();

// One leg: its duration (s), its speed (km/h, 0 when it has none) and the unrounded great-circle distance
// between its points (km). Its length is the one the totals add: (v / 3.6) × t metres.
struct Tratto {
    double t = 0;
    double v = 0;
    double d_km = 0;
};

// The run behind a result: where it starts and ends, as times of day (seconds since midnight, NaN where
// the track's time is unreadable) and as kept points (1 for the first). A window that cuts a leg starts or
// ends inside it: its points are those around the cut.
struct Corsa {
    double inizio = kSenzaOra;
    double fine = kSenzaOra;
    int64_t da_punto = 0;
    int64_t a_punto = 0;
};

struct CorseMigliori {
    std::optional<Corsa> due_s, dieci_s, m500, alpha500, miglio, un_ora;
    std::vector<Corsa> cinque_per_dieci;  // the five windows in the order the passes took them; else empty
};

struct RisultatiVelocita {  // km/h; empty where the track holds no such run
    std::optional<double> due_s, dieci_s, cinque_per_dieci, m500, alpha500, miglio, un_ora;
    CorseMigliori corse;
};

class CalcoloVelocita {
  public:
    CalcoloVelocita();

    // A run of legs starts at `punto`: the first kept point, and the point after a relocation or a spike.
    // No result spans the step before it. `ora`: the point's time of day in seconds, NaN where unreadable.
    void inizio(const PuntoRadianti& punto, double ora = kSenzaOra);
    // The next leg of the current run, ending at `fine`, recorded at `ora`.
    void tratto(const Tratto& leg, const PuntoRadianti& fine, double ora = kSenzaOra);

    RisultatiVelocita risultati() const;

  private:
    // A point of the current run with the sums from the run's start up to it.
    struct Punto {
        PuntoRadianti posizione;
        double tempo = 0;     // s
        double spazio = 0;    // m, as the totals count it
        double percorso = 0;  // m, great-circle, unrounded
        double ora = kSenzaOra;
    };
    // A run's ends as the calculation knows them; made into a Corsa only for the results given.
    struct Estremi {
        uint64_t da;   // absolute index of its first point
        uint64_t a;    // and of its last
        double ora;    // time of day of one of the two
        double prima;  // s from the start to that time
        double dopo;   // s from that time to the end
        Corsa corsa() const;
    };
    struct Migliore {
        double velocita;
        Estremi estremi;
    };
    // The best average over exactly `durata` seconds of clock time. Where such a window cuts a leg, the part
    // inside counts at the leg's own average speed, so the best window starts or ends at a point: each point
    // is tried as the end of one window and as the start of another.
    struct FinestraTempo {
        double durata;          // s
        uint64_t inizio = 0;    // absolute index of the point at or before the start of the window ending now
        uint64_t prossimo = 0;  // absolute index of the next point to try as the start of a window
        std::optional<Migliore> migliore;
    };
    struct Finestra {         // the shortest run of legs ending at the newest point that reaches a distance
        double obiettivo;     // m
        uint64_t inizio = 0;  // absolute index of the run's first point
        std::optional<Migliore> migliore;
    };
    struct Candidato {  // a 10 s window, by its clock time from the start of the track
        double velocita;
        double da;
        double a;
        Estremi estremi;
    };

    const Punto& at(uint64_t index) const { return points_[head_ + (index - base_)]; }
    size_t live() const { return points_.size() - head_; }
    void advance(FinestraTempo& window);
    // `make_ends` gives the window's Estremi, made only for a window that is kept.
    template <typename MakeEnds>
    void consider(FinestraTempo& window, double speed, double from, double to, const MakeEnds& make_ends);
    // The run from the point at absolute index `from` to the one at `to`, its times `before` s before the
    // time of `anchor` (one of the two) and `after` s after it.
    Estremi ends(uint64_t from, uint64_t to, uint64_t anchor, double before, double after) const {
        return {from, to, at(anchor).ora, before, after};
    }
    void advance(Finestra& window);
    void alpha();
    bool out_of_reach(const Punto& last, uint64_t last_index);
    void trim();
    void prune_candidates();

    // The current run's points that some window may still reach: from points_[head_] on. Dropped points
    // are removed in large steps, so the rest is reached by plain indexing.
    std::vector<Punto> points_;
    size_t head_ = 0;
    uint64_t base_ = 0;  // absolute index of points_[head_]
    static constexpr uint64_t kTrimEvery = 64;
    uint64_t legs_ = 0;
    double run_offset_ =
        0;  // s of clock time of the earlier runs: candidates of different runs never overlap
    std::vector<FinestraTempo> time_windows_;
    std::vector<Finestra> windows_;
    std::vector<Candidato> candidates_;
    size_t pruned_size_ = 0;
    std::optional<double> pruning_floor_;  // speed of the slowest of the ten disjoint runs last kept
    std::optional<Migliore> alpha_;
    uint64_t alpha_from_ = 0;  // absolute index of the first point an alpha may still start at
    struct Chiave {            // of a start: path so far minus the best alpha's speed times time so far
        uint64_t indice;
        double valore;
    };
    std::deque<Chiave> smallest_keys_;  // of the starts in reach: increasing index and key
    uint64_t next_key_ = 0;             // absolute index of the next start to come in reach
    double keyed_for_ = -1;             // the best speed (m/s) the keys were made with
};

}  // namespace lurendo::stats
