// A speed profile for drawing: at most 2048 columns over the track's elapsed time, built leg by leg in
// bounded memory.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace lurendo::stats {

struct ColonnaProfilo {
    double tempo = 0;  // seconds of legs in the column
    double v_min = 0;  // km/h, of the legs that touch it
    double v_max = 0;
    double v_media = 0;        // km/h, distance over time
    double quota_planata = 0;  // share of its time above 18 km/h, 0 to 1
    bool salto = false;        // a point was dropped as a jump inside it
};

struct ProfiloVelocita {
    double larghezza = 0;                 // seconds per column
    std::optional<double> ora_inizio;     // time of day of the first point, seconds since midnight
    std::vector<ColonnaProfilo> colonne;  // in time order; empty before any leg
};

class CostruttoreProfilo {
  public:
    static constexpr size_t kMaxColonne = 2048;

    void ora_inizio(double seconds_since_midnight) { profile_.ora_inizio = seconds_since_midnight; }
    // A leg of `t` seconds at `v` km/h; its time goes to the columns it spans.
    void tratto(double t, double v);
    // A point dropped as a jump, at the time reached so far.
    void salto();

    ProfiloVelocita profilo() const;

  private:
    struct Accumulo {
        double tempo = 0;
        double spazio = 0;  // km/h × s
        double planata = 0;
        double v_min = 0;
        double v_max = 0;
        bool toccata = false;
        bool salto = false;
    };
    void add(size_t column, double t, double v);
    void widen();

    double width_ = 1;  // seconds per column; doubles as the track grows
    double elapsed_ = 0;
    std::vector<Accumulo> columns_;
    ProfiloVelocita profile_;
};

}  // namespace lurendo::stats
