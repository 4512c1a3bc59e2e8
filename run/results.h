// What a run finds, as every front end receives it: the totals and their texts, the speed results with the
// runs behind them, the speed profile and the track's shape. Plain data; the core fills it.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace lurendo {

inline constexpr double kPlaningSpeed = 18;  // km/h; faster legs count "In Planata"

struct Totali {
    double tempo_tot = 0;   // seconds, every leg
    double dist_tot = 0;    // metres, every leg
    double tempo_parz = 0;  // seconds, legs faster than 18 km/h
    double dist_parz = 0;   // metres, legs faster than 18 km/h
};

// The four figures as the results grid shows them.
struct TestiCifre {
    std::string dist_tot;
    std::string tempo_tot;
    std::string dist_parz;
    std::string tempo_parz;
};

inline constexpr double kSenzaOra = std::numeric_limits<double>::quiet_NaN();

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
    std::vector<Corsa> cinque_per_dieci;  // the five windows in the order they were taken; else empty
};

struct RisultatiVelocita {  // km/h; empty where the track holds no such run
    std::optional<double> due_s, dieci_s, cinque_per_dieci, m500, alpha500, miglio, un_ora;
    CorseMigliori corse;
};

// Where the speed results come from: the device's own speed in every leg, in none, or in some.
enum class FonteVelocita { Doppler, Posizioni, Misto };

struct ColonnaProfilo {
    double tempo = 0;  // seconds of legs in the column
    double v_min = 0;  // km/h, of the legs that touch it
    double v_max = 0;
    double v_media = 0;        // km/h, distance over time
    double quota_planata = 0;  // share of its time above 18 km/h, 0 to 1
    bool salto = false;        // a point was dropped as a jump, or a spike passed, inside it
};

// Speed over the track's elapsed time, in at most 2048 columns.
struct ProfiloVelocita {
    double larghezza = 0;                 // seconds per column
    std::optional<double> ora_inizio;     // time of day of the first point, seconds since midnight
    std::vector<ColonnaProfilo> colonne;  // in time order; empty before any leg
};

struct VerticePercorso {
    double est = 0;       // m east of the first point
    double nord = 0;      // m north of it
    double velocita = 0;  // km/h over the stretch from the vertex before; 0 where a line starts
    bool inizio = false;  // a line starts here: the first point, and after a relocation or a spike
    int64_t punto = 0;    // the kept point it stands at, 1 for the first
};

// The track's shape, thinned to at most 2,000 vertices that keep it.
struct Percorso {
    std::vector<VerticePercorso> vertici;  // in time order
};

}  // namespace lurendo
