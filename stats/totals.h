// The four running totals of a track, leg by leg.
#pragma once

#include <optional>

namespace lurendo::stats {

inline constexpr double kPlaningSpeed = 18;  // km/h; faster legs count "In Planata"
inline constexpr double kKmhPerMs = 3.6;

struct Totali {
    double tempo_tot = 0;   // seconds, every leg
    double dist_tot = 0;    // metres, every leg
    double tempo_parz = 0;  // seconds, legs faster than 18 km/h
    double dist_parz = 0;   // metres, legs faster than 18 km/h

    // Adds a leg of `t` seconds at speed `v` (km/h, none when it has no speed). Its length is the rounded
    // speed times the duration; it counts as planing when the speed is above 18 km/h.
    void aggiungi_tratto(double t, std::optional<double> v) {
        const double d = v ? (*v / kKmhPerMs) * t : 0;
        tempo_tot += t;
        dist_tot += d;
        if (v && *v > kPlaningSpeed) {
            tempo_parz += t;
            dist_parz += d;
        }
    }
};

}  // namespace lurendo::stats
