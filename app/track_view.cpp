#include "app/track_view.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "app/window_fonts.h"

namespace lurendo {

namespace {

const QColor kPlaningYellow(255, 255, 192);  // the planing row of the results grid
const QColor kCasing(90, 90, 90);            // under the yellow, which alone would vanish on white
const QColor kSlowest(200, 205, 215);        // standing still
const QColor kBelowPlaning(30, 90, 190);     // just under 18 km/h
const QColor kRunRed(220, 0, 0);
const QColor kStartGreen(0, 140, 60);
constexpr int kMargin = 14;          // pixels around the track, room for the start mark
constexpr int kBottomRoom = 26;      // the scale bar under the track
constexpr double kScaleShare = 0.3;  // the scale bar's longest share of the width

QColor colour_of(double kmh) {
    if (kmh > kPlaningSpeed)
        return kPlaningYellow;
    const double share = std::clamp(kmh / kPlaningSpeed, 0.0, 1.0);
    const auto mix = [&](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * share)); };
    return QColor(mix(kSlowest.red(), kBelowPlaning.red()), mix(kSlowest.green(), kBelowPlaning.green()),
                  mix(kSlowest.blue(), kBelowPlaning.blue()));
}

// The greatest of 1, 2, 5, 10, 20, 50… metres not over `at_most`.
double round_metres(double at_most) {
    double best = 1;
    for (double decade = 1; decade <= at_most; decade *= 10)
        for (const double factor : {1.0, 2.0, 5.0})
            if (factor * decade <= at_most)
                best = factor * decade;
    return best;
}

QString metres_text(double metres) {
    return metres >= 1000 ? QString::number(metres / 1000) + " km" : QString::number(metres) + " m";
}

}  // namespace

VistaTraccia::VistaTraccia(QWidget* parent) : QWidget(parent) {
    setFont(carattere_finestra(kPuntiNormali));
    setFocusPolicy(Qt::NoFocus);
}

void VistaTraccia::mostra(const Percorso& percorso) {
    shape_ = percorso;
    runs_.clear();
    update();
}

void VistaTraccia::svuota() {
    shape_ = {};
    runs_.clear();
    update();
}

void VistaTraccia::evidenzia(const std::vector<Corsa>& corse) {
    runs_ = corse;
    update();
}

// The same metres per pixel east and north, the track centred in the room left by the margins.
VistaTraccia::Fit VistaTraccia::fit() const {
    Fit f;
    if (shape_.vertici.empty())
        return f;
    double west = shape_.vertici[0].est, east = west, south = shape_.vertici[0].nord, north = south;
    for (const VerticePercorso& v : shape_.vertici) {
        west = std::min(west, v.est);
        east = std::max(east, v.est);
        south = std::min(south, v.nord);
        north = std::max(north, v.nord);
    }
    const double room_x = std::max(1, width() - 2 * kMargin);
    const double room_y = std::max(1, height() - 2 * kMargin - kBottomRoom);
    f.metres_per_pixel = std::max({(east - west) / room_x, (north - south) / room_y, 1e-3});
    f.min_east = west;
    f.max_north = north;
    f.left = kMargin + (room_x - (east - west) / f.metres_per_pixel) / 2;
    f.top = kMargin + (room_y - (north - south) / f.metres_per_pixel) / 2;
    return f;
}

QPointF VistaTraccia::posizione(size_t k) const {
    const Fit f = fit();
    const VerticePercorso& v = shape_.vertici.at(k);
    return {f.left + (v.est - f.min_east) / f.metres_per_pixel,
            f.top + (f.max_north - v.nord) / f.metres_per_pixel};
}

double VistaTraccia::metri_scala() const {
    return round_metres(fit().metres_per_pixel * width() * kScaleShare);
}

double VistaTraccia::pixel_scala() const {
    return metri_scala() / fit().metres_per_pixel;
}

// A stretch belongs to a run when the points it joins lie within the run's.
bool VistaTraccia::highlighted(size_t k) const {
    if (k == 0 || shape_.vertici[k].inizio)
        return false;
    return std::any_of(runs_.begin(), runs_.end(), [&](const Corsa& run) {
        return shape_.vertici[k].punto > run.da_punto && shape_.vertici[k - 1].punto < run.a_punto;
    });
}

size_t VistaTraccia::vertici_evidenziati() const {
    size_t n = 0;
    for (size_t k = 0; k < shape_.vertici.size(); ++k)
        n += highlighted(k);
    return n;
}

void VistaTraccia::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QPen(palette().color(QPalette::Mid)));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (shape_.vertici.empty())
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    const auto stretch = [&](size_t k, const QColor& colour, double width) {
        painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawLine(posizione(k - 1), posizione(k));
    };
    // The planing stretches' dark casing first, so that no slow stretch is drawn under it.
    for (size_t k = 1; k < shape_.vertici.size(); ++k)
        if (!shape_.vertici[k].inizio && shape_.vertici[k].velocita > kPlaningSpeed)
            stretch(k, kCasing, 4);
    for (size_t k = 1; k < shape_.vertici.size(); ++k)
        if (!shape_.vertici[k].inizio)
            stretch(k, colour_of(shape_.vertici[k].velocita), 2);
    for (size_t k = 1; k < shape_.vertici.size(); ++k)
        if (highlighted(k))
            stretch(k, kRunRed, 3);

    // The start: a green disc.
    painter.setPen(QPen(Qt::white, 1.5));
    painter.setBrush(kStartGreen);
    painter.drawEllipse(posizione(0), 5, 5);

    // The scale bar at the bottom left, the north arrow at the top right.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    const int bar = static_cast<int>(std::lround(pixel_scala()));
    const int y = height() - kMargin;
    painter.drawLine(kMargin, y, kMargin + bar, y);
    painter.drawLine(kMargin, y - 4, kMargin, y);
    painter.drawLine(kMargin + bar, y - 4, kMargin + bar, y);
    painter.drawText(QPoint(kMargin + bar + 4, y), metres_text(metri_scala()));
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF tip(width() - kMargin - 6, kMargin + 2);
    painter.setBrush(Qt::black);
    painter.drawPolygon(QPolygonF({tip, tip + QPointF(-5, 14), tip + QPointF(0, 10), tip + QPointF(5, 14)}));
    painter.drawText(QRectF(tip.x() - 10, tip.y() + 14, 20, fontMetrics().height()), Qt::AlignCenter, "N");
}

}  // namespace lurendo
