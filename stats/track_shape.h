// The shape of the session for drawing on the rider's own device, without map tiles: the kept points as
// metres east and north of the first one, thinned to a bounded number of vertices that keep the shape,
// each with the speed of the stretch that arrives at it. Built point by point in bounded memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "stats/leg.h"

namespace lurendo::stats {

struct VerticePercorso {
    double est = 0;       // m east of the first point
    double nord = 0;      // m north of it
    double velocita = 0;  // km/h over the stretch from the vertex before; 0 where a line starts
    bool inizio = false;  // a line starts here: the first point, and after a relocation or a spike
    int64_t punto = 0;    // the kept point it stands at, 1 for the first
};

struct Percorso {
    std::vector<VerticePercorso> vertici;  // in time order
};

class CostruttorePercorso {
  public:
    static constexpr size_t kMaxVertici = 2000;

    // The next kept point. `inizio`: a line starts at it (no leg joins it to the point before); else
    // `t` s and `metri` m of the leg that arrives at it, and whether that leg counts as planing.
    void punto(const PuntoRadianti& p, bool inizio, double t, double metri, bool planata = false);

    Percorso percorso() const;

  private:
    struct Vertex {
        double x = 0, y = 0;  // m
        double t = 0, m = 0;  // s and m of the stretch arriving here
        bool start = false;
        bool planing = false;  // the stretch's legs count as planing
        int64_t point = 0;
    };
    // Where the line being drawn stands: its last vertex, the newest point, and the directions from the
    // vertex whose straight segment still passes within the tolerance of every point since.
    struct Sleeve {
        Vertex last;  // the newest point, with the stretch since the last vertex
        bool any = false;
        bool open = true;      // no point constrains the directions yet
        double farthest = 0;   // m from the vertex, of the farthest point since
        bool planing = false;  // the stretch's legs are above 18 km/h
        double left_x = 0, left_y = 0, right_x = 0, right_y = 0;
    };
    void add(std::vector<Vertex>& out, Sleeve& sleeve, const Vertex& v) const;
    void start_line(std::vector<Vertex>& out, Sleeve& sleeve, const Vertex& v) const;
    static void end_line(std::vector<Vertex>& out, Sleeve& sleeve);
    void keep_within_bound();

    bool any_ = false;
    double lat0_ = 0, lon0_ = 0, metres_east_per_radian_ = 0;
    double tolerance_ = 0.5;         // m; grows whenever the vertices would pass the bound
    bool keep_planing_ends_ = true;  // a stretch ends where planing starts or stops, while the bound allows
    int64_t points_ = 0;
    Sleeve sleeve_;
    std::vector<Vertex> vertices_;
};

}  // namespace lurendo::stats
