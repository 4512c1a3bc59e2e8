// The track view's drawing: the same scale east and north with north up, a scale bar that says what it
// measures, and the stretches of a highlighted run.
#include <gtest/gtest.h>

#include <cmath>

#include "app/track_view.h"

namespace lurendo {
namespace {

// An L of 400 m north, then 200 m east, one vertex each 10 m, the second arm planing.
Percorso ell() {
    Percorso p;
    int64_t point = 1;
    for (int i = 0; i <= 40; ++i)
        p.vertici.push_back({0, 10.0 * i, i ? 12.0 : 0.0, i == 0, point++});
    for (int i = 1; i <= 20; ++i)
        p.vertici.push_back({10.0 * i, 400, 25, false, point++});
    return p;
}

TEST(TrackView, TheSameScaleEastAndNorthWithNorthUpAndEveryVertexInside) {
    QWidget parent;
    VistaTraccia view(&parent);
    for (const QSize size : {QSize(300, 200), QSize(200, 300), QSize(640, 480)}) {
        view.resize(size);
        view.mostra(ell());
        const QPointF start = view.posizione(0), corner = view.posizione(40), end = view.posizione(60);
        EXPECT_LT(corner.y(), start.y()) << "north is up";
        EXPECT_NEAR(corner.x(), start.x(), 1e-9);
        EXPECT_GT(end.x(), corner.x());
        const double north_px = start.y() - corner.y(), east_px = end.x() - corner.x();
        EXPECT_NEAR(north_px / 400, east_px / 200, 1e-9) << "metres per pixel the same both ways";
        for (size_t k = 0; k <= 60; ++k)
            EXPECT_TRUE(QRectF(view.rect()).contains(view.posizione(k))) << k;
        // The scale bar: a round number of metres, drawn at the track's scale.
        const double metres = view.metri_scala();
        const double decade = std::pow(10, std::floor(std::log10(metres)));
        EXPECT_TRUE(metres / decade == 1 || metres / decade == 2 || metres / decade == 5) << metres;
        EXPECT_NEAR(view.pixel_scala(), metres * north_px / 400, 1e-6);
        EXPECT_LE(view.pixel_scala(), size.width() * 0.3 + 1e-9);
    }
}

TEST(TrackView, AHighlightedRunMarksItsStretchesOnly) {
    QWidget parent;
    VistaTraccia view(&parent);
    view.resize(300, 200);
    view.mostra(ell());
    EXPECT_EQ(view.vertici_evidenziati(), 0u);
    Corsa run;
    run.da_punto = 41;  // the corner to the end: the east arm's 20 stretches
    run.a_punto = 61;
    view.evidenzia({run});
    EXPECT_EQ(view.vertici_evidenziati(), 20u);
    view.evidenzia({});
    EXPECT_EQ(view.vertici_evidenziati(), 0u);
    view.evidenzia({run});
    view.mostra(ell());
    EXPECT_EQ(view.vertici_evidenziati(), 0u) << "a new track drops the old highlight";
}

}  // namespace
}  // namespace lurendo
