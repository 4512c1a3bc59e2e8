// The speed results GPS speed-sailing rankings use, computed leg by leg as the statistics pass makes the
// legs: best 2 s, 10 s and 1 h, five best 10 s windows, best 500 m and nautical mile, best alpha 500.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "stats/leg.h"

namespace lurendo {

// One leg: its duration (s), its speed (km/h, 0 when it has none) and the unrounded great-circle distance
// between its points (km). Its length is the one the totals add: (v / 3.6) × t metres.
struct Tratto {
    double t = 0;
    double v = 0;
    double d_km = 0;
};

struct RisultatiVelocita {  // km/h; empty where the track holds no such run
    std::optional<double> due_s, dieci_s, cinque_per_dieci, m500, alpha500, miglio, un_ora;
};

class CalcoloVelocita {
  public:
    CalcoloVelocita();

    // A run of legs starts at `punto`: the first kept point, and the point after a relocation or a spike.
    // No result spans the step before it.
    void inizio(const PuntoTrig& punto);
    // The next leg of the current run, ending at `fine`.
    void tratto(const Tratto& leg, const PuntoTrig& fine);

    RisultatiVelocita risultati() const;

  private:
    // A point of the current run with the sums from the run's start up to it.
    struct Punto {
        PuntoTrig trig;
        double tempo = 0;     // s
        double spazio = 0;    // m, as the totals count it
        double percorso = 0;  // m, great-circle, unrounded
    };
    // The best average over exactly `durata` seconds of clock time. Where such a window cuts a leg, the part
    // inside counts at the leg's own average speed, so the best window starts or ends at a point: each point
    // is tried as the end of one window and as the start of another.
    struct FinestraTempo {
        double durata;          // s
        uint64_t inizio = 0;    // absolute index of the point at or before the start of the window ending now
        uint64_t prossimo = 0;  // absolute index of the next point to try as the start of a window
        std::optional<double> migliore;
    };
    struct Finestra {         // the shortest run of legs ending at the newest point that reaches a distance
        double obiettivo;     // m
        uint64_t inizio = 0;  // absolute index of the run's first point
        std::optional<double> migliore;
    };
    struct Candidato {  // a 10 s window, by its clock time from the start of the track
        double velocita;
        double da;
        double a;
    };

    const Punto& at(uint64_t index) const { return points_[head_ + (index - base_)]; }
    size_t live() const { return points_.size() - head_; }
    void advance(FinestraTempo& window);
    void consider(FinestraTempo& window, double speed, double from, double to);
    void advance(Finestra& window);
    void alpha();
    bool out_of_reach(const Punto& last, uint64_t last_index);
    void trim();
    void prune_candidates();

    // The current run's points that some window may still reach: from points_[head_] on. Dropped points
    // are removed in large steps, so the rest is reached by plain indexing.
    std::vector<Punto> points_;
    size_t head_ = 0;
    uint64_t base_ = 0;       // absolute index of points_[head_]
    static constexpr uint64_t kTrimEvery = 64;
    uint64_t legs_ = 0;
    double run_offset_ =
        0;  // s of clock time of the earlier runs: candidates of different runs never overlap
    std::vector<FinestraTempo> time_windows_;
    std::vector<Finestra> windows_;
    std::vector<Candidato> candidates_;
    size_t pruned_size_ = 0;
    std::optional<double> pruning_floor_;  // speed of the slowest of the ten disjoint runs last kept
    std::optional<double> alpha_;
    uint64_t alpha_from_ = 0;  // absolute index of the first point an alpha may still start at
    struct Chiave {            // of a start: path so far minus the best alpha's speed times time so far
        uint64_t indice;
        double valore;
    };
    std::deque<Chiave> smallest_keys_;  // of the starts in reach: increasing index and key
    uint64_t next_key_ = 0;             // absolute index of the next start to come in reach
    double keyed_for_ = -1;             // the best speed (m/s) the keys were made with
};

}  // namespace lurendo
