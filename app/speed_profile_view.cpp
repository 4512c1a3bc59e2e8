#include "app/speed_profile_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "app/window_fonts.h"

namespace lurendo {

namespace {

const QColor kPlaningYellow(255, 255, 192);  // the planing row of the results grid
constexpr int kLeftMargin = 26;              // room for the km/h labels
constexpr int kBottomMargin = 16;            // room for the time labels and the spike marks
constexpr double kSecondsPerDay = 86400;

QString one_decimal(double value) {
    return QString::fromStdString(testo_velocita(value));
}

}  // namespace

VistaProfilo::VistaProfilo(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setFont(carattere_finestra(kPuntiNormali));
    setFocusPolicy(Qt::NoFocus);
}

void VistaProfilo::mostra(const ProfiloVelocita& profilo) {
    profile_ = profilo;
    double top = kPlaningSpeed;
    for (const ColonnaProfilo& c : profile_.colonne)
        top = std::max(top, c.v_max);
    top_speed_ = std::ceil(top / 10) * 10;
    update();
}

void VistaProfilo::svuota() {
    profile_ = {};
    update();
}

QRect VistaProfilo::plot() const {
    return rect().adjusted(kLeftMargin, 7, -2, -kBottomMargin);
}

std::optional<size_t> VistaProfilo::column_at(int x) const {
    const QRect area = plot();
    if (vuota() || x < area.left() || x > area.right())
        return std::nullopt;
    const auto n = profile_.colonne.size();
    return std::min(n - 1, static_cast<size_t>((x - area.left()) * static_cast<double>(n) / area.width()));
}

QString VistaProfilo::clock(double elapsed) const {
    const double start = profile_.ora_inizio.value_or(0);
    const auto seconds = static_cast<long>(std::fmod(start + elapsed, kSecondsPerDay));
    return QString("%1:%2").arg(seconds / 3600, 2, 10, QChar('0')).arg(seconds / 60 % 60, 2, 10, QChar('0'));
}

QString VistaProfilo::testo_a(int x) const {
    const std::optional<size_t> column = column_at(x);
    if (!column)
        return {};
    const ColonnaProfilo& c = profile_.colonne[*column];
    const double middle = (static_cast<double>(*column) + 0.5) * profile_.larghezza;
    QString text = clock(middle) + "  " + one_decimal(c.v_media) + " km/h";
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

void VistaProfilo::paintEvent(QPaintEvent*) {
    if (vuota())
        return;
    QPainter p(this);
    const QRect area = plot();
    const auto n = profile_.colonne.size();
    const auto x_of = [&](double column) {
        return area.left() + column * area.width() / static_cast<double>(n);
    };
    const auto y_of = [&](double kmh) { return area.bottom() - kmh * area.height() / top_speed_; };
    const QColor ink = palette().color(QPalette::WindowText);

    // Planing parts: the area under the mean speed, in the grid's yellow with a thin outline.
    for (size_t i = 0; i < n; ++i) {
        const ColonnaProfilo& c = profile_.colonne[i];
        if (c.tempo <= 0)
            continue;
        const QRectF under(QPointF(x_of(static_cast<double>(i)), y_of(c.v_media)),
                           QPointF(x_of(static_cast<double>(i) + 1), area.bottom()));
        if (c.quota_planata >= 0.5)
            p.fillRect(under, kPlaningYellow);
        // The spread of the column's legs, faint behind the mean.
        p.setPen(QColor(170, 170, 170));
        const double x = x_of(static_cast<double>(i) + 0.5);
        p.drawLine(QPointF(x, y_of(c.v_min)), QPointF(x, y_of(c.v_max)));
    }
    QPainterPath mean;
    bool started = false;
    for (size_t i = 0; i < n; ++i) {
        const ColonnaProfilo& c = profile_.colonne[i];
        const QPointF point(x_of(static_cast<double>(i) + 0.5), y_of(c.v_media));
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

    // The planing threshold and the axes.
    p.setPen(QPen(ink, 1, Qt::DashLine));
    p.drawLine(QPointF(area.left(), y_of(kPlaningSpeed)), QPointF(area.right(), y_of(kPlaningSpeed)));
    p.setPen(ink);
    p.drawLine(area.bottomLeft(), area.bottomRight());
    p.drawLine(area.bottomLeft(), area.topLeft());

    // Sparse labels: the top speed, 18 and 0 km/h; the start, middle and end of the track.
    const QFontMetrics metrics = fontMetrics();
    for (const double kmh : {0.0, kPlaningSpeed, top_speed_}) {
        const QString label = QString::number(kmh, 'f', 0);
        p.drawText(QRectF(0, y_of(kmh) - 7, kLeftMargin - 3, 14), Qt::AlignRight | Qt::AlignVCenter, label);
    }
    const double span = profile_.larghezza * static_cast<double>(n);
    const int label_y = area.bottom() + 3 + metrics.ascent();
    p.drawText(QPointF(area.left(), label_y), clock(0));
    const QString end = clock(span);
    p.drawText(QPointF(area.right() - metrics.horizontalAdvance(end), label_y), end);
    const QString middle = clock(span / 2);
    p.drawText(QPointF((area.left() + area.right() - metrics.horizontalAdvance(middle)) / 2.0, label_y),
               middle);
    p.drawText(QRectF(area.left() + 3, area.top(), 60, 14), Qt::AlignLeft | Qt::AlignTop, "km/h");

    // Where GPS spikes were dropped: small red marks just under the time axis.
    p.setPen(QPen(QColor(220, 0, 0), 2));
    for (size_t i = 0; i < n; ++i) {
        if (profile_.colonne[i].salto) {
            const double x = x_of(static_cast<double>(i) + 0.5);
            p.drawLine(QPointF(x, area.bottom() + 1), QPointF(x, area.bottom() + 3));
        }
    }
}

}  // namespace lurendo
