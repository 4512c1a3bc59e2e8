// The speed profile beside the results grid: speed over the time of day, planing parts in the grid's
// yellow, the 18 km/h line, red marks where GPS spikes were dropped; a tooltip tells the time and speed.
// It is drawn in km/h or in knots, the unit the speed table shows.
#pragma once

#include <QRect>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

#include "run/run.h"

namespace lurendo {

// A text drawn around the plot: a speed, the unit or a time of day, and the widget pixels it covers.
struct EtichettaProfilo {
    QRect rettangolo;
    QString testo;
};

class VistaProfilo : public QWidget {
    Q_OBJECT
  public:
    explicit VistaProfilo(QWidget* parent);

    void mostra(const ProfiloVelocita& profilo);  // draws the profile of the run just made
    void svuota();                                // draws nothing
    // The runs of a result to stand out as bands over their time, or none.
    void evidenzia(const std::vector<Corsa>& corse);
    // The bands drawn for them, in widget pixels.
    std::vector<QRectF> bande() const;
    void usa_nodi(bool nodi);  // scale, labels and tooltip in knots rather than km/h
    bool vuota() const { return profile_.colonne.empty(); }
    // The tooltip text for the column under x (in widget pixels), or empty text outside the plot.
    QString testo_a(int x) const;
    // Where the curve is drawn, and the texts drawn around it (none while empty), as painted.
    QRect riquadro_grafico() const { return plot(); }
    std::vector<EtichettaProfilo> etichette() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    QRect plot() const;
    std::vector<EtichettaProfilo> labels(const QRect& area) const;
    void set_top();
    // `kmh` in the unit shown.
    double shown(double kmh) const { return knots_ ? kmh / kKmhPerKnot : kmh; }
    double y_of(const QRect& area, double speed_shown) const;
    QString threshold_label() const;
    std::optional<size_t> column_at(int x) const;
    // "hh:mm", or "hh:mm:ss" with `seconds`, of the time of day `elapsed` seconds into the track.
    QString clock(double elapsed, bool seconds) const;

    ProfiloVelocita profile_;
    std::vector<Corsa> runs_;
    bool knots_ = false;
    double top_speed_ = 0;  // at the top of the plot, in the unit shown
};

}  // namespace lurendo
