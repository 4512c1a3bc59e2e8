#include "stats/track_shape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "stats/totals.h"

namespace lurendo::stats {

namespace {

constexpr double kEarthRadiusM = 6378700;  // the sphere the legs are measured on

double cross(double ax, double ay, double bx, double by) {
    return ax * by - ay * bx;
}

}  // namespace

void CostruttorePercorso::punto(const PuntoRadianti& p, bool inizio, double t, double metri, bool planata) {
    ++points_;
    if (!any_) {
        any_ = true;
        lat0_ = p.lat_rad;
        lon0_ = p.lon_rad;
        metres_east_per_radian_ = kEarthRadiusM * p.cos_lat;
        inizio = true;
    }
    // A flat projection about the first point: at the scale of a session its error is far below a pixel.
    double dlon = p.lon_rad - lon0_;
    if (dlon > std::numbers::pi)
        dlon -= 2 * std::numbers::pi;
    else if (dlon < -std::numbers::pi)
        dlon += 2 * std::numbers::pi;
    const Vertex v{dlon * metres_east_per_radian_,
                   (p.lat_rad - lat0_) * kEarthRadiusM,
                   inizio ? 0 : t,
                   inizio ? 0 : metri,
                   inizio,
                   !inizio && planata,
                   points_};
    if (inizio)
        start_line(vertices_, sleeve_, v);
    else
        add(vertices_, sleeve_, v);
    if (vertices_.size() > kMaxVertici)
        keep_within_bound();
}

void CostruttorePercorso::start_line(std::vector<Vertex>& out, Sleeve& sleeve, const Vertex& v) const {
    end_line(out, sleeve);
    // A line of one point (a fix between two spikes) draws nothing.
    if (!out.empty() && out.back().start && !sleeve.any)
        out.pop_back();
    out.push_back(v);
    sleeve = Sleeve{};
}

void CostruttorePercorso::end_line(std::vector<Vertex>& out, Sleeve& sleeve) {
    if (sleeve.any)
        out.push_back(sleeve.last);
    sleeve = Sleeve{};
}

// Zhao and Saalfeld's sleeve: a point stays off the outline while one straight segment from the last
// vertex still passes within the tolerance of every point since. Each point within reach narrows the
// directions such a segment may take; the first point outside them makes the point before it a vertex.
void CostruttorePercorso::add(std::vector<Vertex>& out, Sleeve& sleeve, const Vertex& v) const {
    const Vertex& from = out.back();
    const double dx = v.x - from.x, dy = v.y - from.y;
    const double squared = dx * dx + dy * dy, reach = tolerance_ * tolerance_;
    const double distance = std::sqrt(squared);
    // Inside the directions, and not back towards the vertex: a segment ending short of a turn's tip would
    // leave the tip out. Nor across a change between planing and not, which the drawing colours.
    const bool same_kind = !sleeve.any || !keep_planing_ends_ || v.planing == sleeve.last.planing;
    const bool inside = same_kind && (sleeve.open || (cross(sleeve.right_x, sleeve.right_y, dx, dy) >= 0 &&
                                                      cross(dx, dy, sleeve.left_x, sleeve.left_y) >= 0 &&
                                                      distance >= sleeve.farthest - tolerance_));
    if (!inside) {
        out.push_back(sleeve.last);
        sleeve = Sleeve{};
        add(out, sleeve, v);
        return;
    }
    if (sleeve.any) {
        sleeve.last.x = v.x;
        sleeve.last.y = v.y;
        sleeve.last.t += v.t;
        sleeve.last.m += v.m;
        sleeve.last.point = v.point;
    } else {
        sleeve.last = v;
        sleeve.any = true;
    }
    sleeve.farthest = std::max(sleeve.farthest, distance);
    if (squared <= reach)
        return;
    // The directions that pass within the tolerance of this point: its own, turned either way by the angle
    // whose sine is tolerance / distance; as vectors `distance` times too long, which no test minds.
    const double along = std::sqrt(squared - reach);
    const double left_x = dx * along - dy * tolerance_, left_y = dy * along + dx * tolerance_;
    const double right_x = dx * along + dy * tolerance_, right_y = dy * along - dx * tolerance_;
    if (sleeve.open || cross(left_x, left_y, sleeve.left_x, sleeve.left_y) > 0) {
        sleeve.left_x = left_x;
        sleeve.left_y = left_y;
    }
    if (sleeve.open || cross(sleeve.right_x, sleeve.right_y, right_x, right_y) > 0) {
        sleeve.right_x = right_x;
        sleeve.right_y = right_y;
    }
    sleeve.open = false;
}

// Half again the tolerance, and the vertices drawn again through the same sleeve, until they fit well within
// the bound; where the lines alone are too many (relocations every few points), the shortest go.
void CostruttorePercorso::keep_within_bound() {
    const size_t goal = kMaxVertici * 3 / 4;
    for (int round = 0; round < 12 && vertices_.size() > goal; ++round) {
        // Where planing starts and stops too often, the shape comes first.
        if (round == 6)
            keep_planing_ends_ = false;
        tolerance_ *= 1.5;
        std::vector<Vertex> thinned;
        Sleeve sleeve;
        for (const Vertex& v : vertices_) {
            if (v.start)
                start_line(thinned, sleeve, v);
            else
                add(thinned, sleeve, v);
        }
        // The last vertex stays one: the line being drawn goes on from it.
        end_line(thinned, sleeve);
        vertices_ = std::move(thinned);
    }
    while (vertices_.size() > goal) {
        // The shortest line that is not the one being drawn, by the straight distance between its ends.
        size_t best_from = 0, best_to = 0;
        double best_length = -1;
        for (size_t from = 0; from < vertices_.size();) {
            size_t to = from + 1;
            while (to < vertices_.size() && !vertices_[to].start)
                ++to;
            if (to == vertices_.size())
                break;
            const double length =
                std::hypot(vertices_[to - 1].x - vertices_[from].x, vertices_[to - 1].y - vertices_[from].y);
            if (best_length < 0 || length < best_length) {
                best_length = length;
                best_from = from;
                best_to = to;
            }
            from = to;
        }
        if (best_length < 0)
            break;
        vertices_.erase(vertices_.begin() + static_cast<std::ptrdiff_t>(best_from),
                        vertices_.begin() + static_cast<std::ptrdiff_t>(best_to));
    }
}

Percorso CostruttorePercorso::percorso() const {
    std::vector<Vertex> vertices = vertices_;
    Sleeve sleeve = sleeve_;
    end_line(vertices, sleeve);
    if (vertices.size() > kMaxVertici) {
        CostruttorePercorso copy = *this;
        copy.vertices_ = std::move(vertices);
        copy.sleeve_ = Sleeve{};
        copy.keep_within_bound();
        vertices = std::move(copy.vertices_);
    }
    Percorso result;
    result.vertici.reserve(vertices.size());
    for (const Vertex& v : vertices) {
        const double kmh = !v.start && v.t > 0 ? v.m / v.t * kKmhPerMs : 0;
        result.vertici.push_back({v.x, v.y, kmh, v.start, v.point});
    }
    return result;
}

}  // namespace lurendo::stats
