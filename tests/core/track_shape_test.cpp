// The track's shape for drawing: its projection, its bound on vertices, and that thinning keeps the shape.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "stats/track_shape.h"

namespace lurendo::stats {
namespace {

constexpr double kMetresPerRadian = 6378700;  // the sphere the legs are measured on
constexpr double kLat = 45 / 57.29577951;     // radians

// Points given in metres east and north of a point at 45° N, fed one by one at `kmh`.
class Shape {
  public:
    PuntoRadianti at(double x, double y) const {
        const double lat = kLat + y / kMetresPerRadian;
        return {lat, 0.2 + x / (kMetresPerRadian * std::cos(kLat)), std::cos(lat)};
    }
    void point(double x, double y, double kmh, bool start = false) {
        const double metres = std::hypot(x - x_, y - y_);
        const double t = kmh > 0 ? metres / (kmh / 3.6) : 1;
        builder.punto(at(x, y), start || first_, t, kmh / 3.6 * t, kmh > 18);
        points.push_back({x, y});
        first_ = false;
        x_ = x;
        y_ = y;
    }
    CostruttorePercorso builder;
    std::vector<std::pair<double, double>> points;

  private:
    bool first_ = true;
    double x_ = 0, y_ = 0;
};

// Distance from each fed point to the segment between the vertices around it (by point number).
double worst_distance(const Shape& shape, const Percorso& p) {
    double worst = 0;
    for (size_t k = 0; k + 1 < p.vertici.size(); ++k) {
        const VerticePercorso& a = p.vertici[k];
        const VerticePercorso& b = p.vertici[k + 1];
        if (b.inizio)
            continue;
        for (int64_t n = a.punto; n <= b.punto; ++n) {
            const auto [x, y] = shape.points[static_cast<size_t>(n - 1)];
            const double dx = b.est - a.est, dy = b.nord - a.nord;
            const double along =
                std::clamp(((x - a.est) * dx + (y - a.nord) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
            worst = std::max(worst, std::hypot(x - (a.est + along * dx), y - (a.nord + along * dy)));
        }
    }
    return worst;
}

TEST(TrackShape, MetresEastAndNorthOfTheFirstPointWithTheSpeedOfEachStretch) {
    Shape shape;
    shape.point(0, 0, 36);
    for (int i = 1; i <= 40; ++i)  // 400 m north, then 400 m east
        shape.point(0, 10.0 * i, 36);
    for (int i = 1; i <= 40; ++i)
        shape.point(10.0 * i, 400, 36);
    const Percorso p = shape.builder.percorso();
    ASSERT_GE(p.vertici.size(), 3u);
    EXPECT_TRUE(p.vertici.front().inizio);
    EXPECT_EQ(p.vertici.front().velocita, 0);
    // The corner and the end, within the projection's error.
    const auto corner = std::find_if(p.vertici.begin(), p.vertici.end(),
                                     [](const VerticePercorso& v) { return v.punto == 41; });
    ASSERT_NE(corner, p.vertici.end());
    EXPECT_NEAR(corner->est, 0, 1e-6);
    EXPECT_NEAR(corner->nord, 400, 1e-6);
    EXPECT_NEAR(p.vertici.back().est, 400, 1e-3);
    EXPECT_NEAR(p.vertici.back().nord, 400, 1e-6);
    EXPECT_EQ(p.vertici.back().punto, 81);
    for (size_t k = 1; k < p.vertici.size(); ++k)
        EXPECT_NEAR(p.vertici[k].velocita, 36, 1e-9);
}

// Reaches of about 2 km back and forth, 150 m apart, weaving 3 m either side, 200,000 points: a hundred
// points a vertex, so an every-n-th point thinning would cut the gybes by hundreds of metres.
TEST(TrackShape, AtMostTwoThousandVerticesThatKeepEveryGybe) {
    Shape shape;
    double y = 0;
    shape.point(0, 0, 18);
    int fed = 1;
    for (int reach = 0; fed < 200'000; ++reach) {
        const int n = 380 + reach * 7 % 41;
        const double from = reach % 2 ? 2000 : 0, to = reach % 2 ? 0 : 2000;
        for (int i = 1; i <= n && fed < 200'000; ++i, ++fed) {
            const double x = from + (to - from) * i / n;
            shape.point(x, y + 150.0 * i / n + 3 * std::sin(2 * std::numbers::pi * x / 100), 18);
        }
        y += 150;
    }
    const Percorso p = shape.builder.percorso();
    EXPECT_LE(p.vertici.size(), CostruttorePercorso::kMaxVertici);
    EXPECT_LT(worst_distance(shape, p), 10);
}

TEST(TrackShape, RelocationsAndSpikesBreakTheLineAndALonePointDrawsNothing) {
    Shape shape;
    for (int i = 0; i < 10; ++i)
        shape.point(0, 10.0 * i, 36);
    shape.point(5000, 0, 0, true);  // relocated
    for (int i = 1; i < 10; ++i)
        shape.point(5000, 10.0 * i, 36);
    shape.point(5600, 90, 0, true);  // a spike: a lone fix, then the track again
    shape.point(5000, 100, 0, true);
    for (int i = 11; i < 20; ++i)
        shape.point(5000, 10.0 * i, 36);
    const Percorso p = shape.builder.percorso();
    const auto starts = std::count_if(p.vertici.begin(), p.vertici.end(), [](auto& v) { return v.inizio; });
    EXPECT_EQ(starts, 3);
    EXPECT_TRUE(std::none_of(p.vertici.begin(), p.vertici.end(), [](auto& v) { return v.est > 5500; }));
}

TEST(TrackShape, ARelocationEveryFewPointsStaysWithinTheBound) {
    Shape shape;
    for (int i = 0; i < 30'000; ++i)
        shape.point(1000.0 * (i / 3), 10.0 * (i % 3), 36, i % 3 == 0);
    const Percorso p = shape.builder.percorso();
    EXPECT_LE(p.vertici.size(), CostruttorePercorso::kMaxVertici);
    EXPECT_GT(p.vertici.size(), 100u);
}

}  // namespace
}  // namespace lurendo::stats
