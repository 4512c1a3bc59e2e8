#include "app/speed_profile_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "app/window_fonts.h"

namespace lurendo {

namespace {

const QColor kPlaningYellow(255, 255, 192);  // the planing row of the results grid
const QColor kJumpRed(220, 0, 0);
constexpr int kAxisGap = 4;     // between a speed label and the axis
constexpr int kLabelGap = 2;    // the least room between two labels
constexpr int kMarkHeight = 7;  // the triangles under the time axis where a spike was dropped
constexpr int kRightMargin = 3;
constexpr double kSecondsPerDay = 86400;

QString whole(double speed) {
    return QString::number(speed, 'f', 0);
}

// Adds `label` unless it would come closer than `gap` pixels to one already placed.
bool place(std::vector<EtichettaProfilo>& placed, EtichettaProfilo label, int gap = kLabelGap) {
    const QRect around = label.rettangolo.adjusted(-gap, -gap, gap, gap);
    for (const EtichettaProfilo& other : placed)
        if (around.intersects(other.rettangolo))
            return false;
    placed.push_back(std::move(label));
    return true;
}

// The least of 1, 2, 5, 10, 20, 50… not under `at_least`.
double round_step(double at_least) {
    for (double decade = 1;; decade *= 10)
        for (const double factor : {1.0, 2.0, 5.0})
            if (factor * decade >= at_least)
                return factor * decade;
}

}  // namespace

VistaProfilo::VistaProfilo(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFont(carattere_finestra(kPuntiNormali));
    setFocusPolicy(Qt::NoFocus);
}

void VistaProfilo::mostra(const ProfiloVelocita& profilo) {
    profile_ = profilo;
    runs_.clear();
    set_top();
    update();
}

void VistaProfilo::svuota() {
    profile_ = {};
    runs_.clear();
    update();
}

void VistaProfilo::usa_nodi(bool nodi) {
    knots_ = nodi;
    set_top();
    update();
}

// The top of the plot: the fastest column or the planing threshold, up to a whole ten of the unit shown.
void VistaProfilo::set_top() {
    double top = kPlaningSpeed;
    for (const ColonnaProfilo& c : profile_.colonne)
        top = std::max(top, c.v_max);
    top_speed_ = std::ceil(shown(top) / 10) * 10;
}

// The threshold is a whole 18 in km/h; in knots it reads as the table's knots do.
QString VistaProfilo::threshold_label() const {
    return knots_ ? QString::fromStdString(testo_nodi(kPlaningSpeed)) : whole(kPlaningSpeed);
}

// The margins hold the labels: the speeds on the left, the unit above the plot beside the top speed,
// the jump marks and then the times below.
QRect VistaProfilo::plot() const {
    const QFontMetrics metrics = fontMetrics();
    const int widest =
        std::max(metrics.horizontalAdvance(whole(top_speed_)), metrics.horizontalAdvance(threshold_label()));
    const int text = metrics.height();
    return rect().adjusted(widest + kAxisGap + 2, text + kLabelGap, -kRightMargin, -(kMarkHeight + 3 + text));
}

double VistaProfilo::y_of(const QRect& area, double speed_shown) const {
    return area.bottom() - speed_shown * (area.bottom() - area.top()) / top_speed_;
}

std::vector<EtichettaProfilo> VistaProfilo::labels(const QRect& area) const {
    std::vector<EtichettaProfilo> placed;
    const QFontMetrics metrics = fontMetrics();
    const int text = metrics.height();
    const QString unit = knots_ ? "nodi" : "km/h";
    place(placed, {QRect(area.left() + 3, 0, metrics.horizontalAdvance(unit), text), unit});

    // Speeds, right-aligned before the axis: 0, the planing threshold and the top first, then round
    // values a step apart that keeps them well clear of each other, where they stay as clear of those.
    const auto speed = [&](double value, const QString& label) {
        const int width = metrics.horizontalAdvance(label);
        const int y = static_cast<int>(std::lround(y_of(area, value))) - text / 2;
        return EtichettaProfilo{QRect(area.left() - kAxisGap - width, y, width, text), label};
    };
    place(placed, speed(0, whole(0)));
    place(placed, speed(shown(kPlaningSpeed), threshold_label()));
    place(placed, speed(top_speed_, whole(top_speed_)));
    const double pixels_per_unit = (area.bottom() - area.top()) / top_speed_;
    const double at_least = 1.5 * text / pixels_per_unit;
    if (at_least > 0 && at_least < top_speed_) {
        const double step = round_step(at_least);
        for (double value = step; value < top_speed_; value += step)
            place(placed, speed(value, whole(value)), text / 2);
    }

    // Times of day under the jump marks: the start, the end, then the middle.
    const double span = profile_.larghezza * static_cast<double>(profile_.colonne.size());
    const int y = area.bottom() + kMarkHeight + 3;
    const auto time = [&](double elapsed, double anchor, double alignment) {
        const QString label = clock(elapsed, false);
        const int width = metrics.horizontalAdvance(label);
        const int x = static_cast<int>(std::lround(anchor - alignment * width));
        return EtichettaProfilo{QRect(x, y, width, text), label};
    };
    place(placed, time(0, area.left(), 0));
    place(placed, time(span, area.right() + 1, 1));
    place(placed, time(span / 2, (area.left() + area.right() + 1) / 2.0, 0.5));
    return placed;
}

std::vector<EtichettaProfilo> VistaProfilo::etichette() const {
    if (vuota())
        return {};
    return labels(plot());
}

std::optional<size_t> VistaProfilo::column_at(int x) const {
    const QRect area = plot();
    if (vuota() || x < area.left() || x > area.right())
        return std::nullopt;
    const auto n = profile_.colonne.size();
    return std::min(n - 1, static_cast<size_t>((x - area.left()) * static_cast<double>(n) / area.width()));
}

QString VistaProfilo::clock(double elapsed, bool seconds) const {
    const double start = profile_.ora_inizio.value_or(0);
    const auto time = static_cast<long>(std::fmod(start + elapsed, kSecondsPerDay));
    QString text =
        QString("%1:%2").arg(time / 3600, 2, 10, QChar('0')).arg(time / 60 % 60, 2, 10, QChar('0'));
    if (seconds)
        text += QString(":%1").arg(time % 60, 2, 10, QChar('0'));
    return text;
}

// A pixel spans many seconds of a long track: the tooltip names the column's middle to the second.
QString VistaProfilo::testo_a(int x) const {
    const std::optional<size_t> column = column_at(x);
    if (!column)
        return {};
    const ColonnaProfilo& c = profile_.colonne[*column];
    const double middle = (static_cast<double>(*column) + 0.5) * profile_.larghezza;
    QString text = clock(middle, true) + "  " +
                   QString::fromStdString(knots_ ? testo_nodi(c.v_media) + " nodi"
                                                 : testo_velocita(c.v_media) + " km/h");
    if (c.quota_planata >= 0.5)
        text += "  in planata";
    return text;
}

void VistaProfilo::mouseMoveEvent(QMouseEvent* event) {
    const QString text = testo_a(event->position().toPoint().x());
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPosition().toPoint(), text, this);
}

void VistaProfilo::evidenzia(const std::vector<Corsa>& corse) {
    runs_ = corse;
    update();
}

// A run's clock times, placed on the profile's elapsed time from its first point's time of day.
std::vector<QRectF> VistaProfilo::bande() const {
    std::vector<QRectF> bands;
    if (vuota() || !profile_.ora_inizio)
        return bands;
    const QRect area = plot();
    const double span = profile_.larghezza * static_cast<double>(profile_.colonne.size());
    for (const Corsa& run : runs_) {
        if (std::isnan(run.inizio) || std::isnan(run.fine))
            continue;
        const auto elapsed = [&](double clock) {
            return std::fmod(clock - *profile_.ora_inizio + 2 * kSecondsPerDay, kSecondsPerDay);
        };
        const double from = elapsed(run.inizio), to = elapsed(run.fine);
        const double left = area.left() + std::clamp(from / span, 0.0, 1.0) * area.width();
        const double right = area.left() + std::clamp(to / span, 0.0, 1.0) * area.width();
        // At least two pixels, so that a 2 s run on a long track still shows.
        bands.emplace_back(QPointF(left, area.top()), QPointF(std::max(right, left + 2), area.bottom()));
    }
    return bands;
}

void VistaProfilo::paintEvent(QPaintEvent*) {
    if (vuota())
        return;
    QPainter p(this);
    const QRect area = plot();
    const auto n = profile_.colonne.size();
    const auto x_of = [&](double column) {
        return area.left() + column * area.width() / static_cast<double>(n);
    };
    const auto y = [&](double kmh) { return y_of(area, shown(kmh)); };
    const QColor ink = palette().color(QPalette::WindowText);

    // Planing parts: the area under the mean speed, in the grid's yellow with a thin outline.
    for (size_t i = 0; i < n; ++i) {
        const ColonnaProfilo& c = profile_.colonne[i];
        if (c.tempo <= 0)
            continue;
        const QRectF under(QPointF(x_of(static_cast<double>(i)), y(c.v_media)),
                           QPointF(x_of(static_cast<double>(i) + 1), area.bottom()));
        if (c.quota_planata >= 0.5)
            p.fillRect(under, kPlaningYellow);
        // The spread of the column's legs, faint behind the mean.
        p.setPen(QColor(170, 170, 170));
        const double x = x_of(static_cast<double>(i) + 0.5);
        p.drawLine(QPointF(x, y(c.v_min)), QPointF(x, y(c.v_max)));
    }
    QPainterPath mean;
    bool started = false;
    for (size_t i = 0; i < n; ++i) {
        const ColonnaProfilo& c = profile_.colonne[i];
        const QPointF point(x_of(static_cast<double>(i) + 0.5), y(c.v_media));
        if (started)
            mean.lineTo(point);
        else
            mean.moveTo(point);
        started = true;
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(ink, 1));
    p.drawPath(mean);
    p.setRenderHint(QPainter::Antialiasing, false);

    // The runs of the result chosen in the speed table.
    for (const QRectF& band : bande())
        p.fillRect(band, QColor(220, 0, 0, 70));

    // The planing threshold and the axes.
    p.setPen(QPen(ink, 1, Qt::DashLine));
    p.drawLine(QPointF(area.left(), y(kPlaningSpeed)), QPointF(area.right(), y(kPlaningSpeed)));
    p.setPen(ink);
    p.drawLine(area.bottomLeft(), area.bottomRight());
    p.drawLine(area.bottomLeft(), area.topLeft());

    // The labels, with a short tick on the axis for each speed.
    for (const EtichettaProfilo& label : labels(area)) {
        p.drawText(label.rettangolo, Qt::AlignLeft | Qt::AlignVCenter, label.testo);
        const QRect& r = label.rettangolo;
        const int y = r.top() + r.height() / 2;  // the speed's own height, as `labels` centres it
        if (r.right() < area.left())
            p.drawLine(area.left() - kAxisGap + 1, y, area.left() - 1, y);
    }

    // Where GPS spikes were dropped: red triangles pointing up at the time axis, in the margin under it
    // so that they never hide the curve, kept whole inside the widget.
    p.setPen(kJumpRed);
    p.setBrush(kJumpRed);
    const int half = kMarkHeight / 2;
    const int top = area.bottom() + 2;
    for (size_t i = 0; i < n; ++i) {
        if (!profile_.colonne[i].salto)
            continue;
        const int x = std::clamp(static_cast<int>(std::lround(x_of(static_cast<double>(i) + 0.5))),
                                 area.left() + half, area.right() - half);
        p.drawPolygon(QPolygon({QPoint(x, top), QPoint(x - half, top + kMarkHeight - 1),
                                QPoint(x + half, top + kMarkHeight - 1)}));
    }
}

}  // namespace lurendo
