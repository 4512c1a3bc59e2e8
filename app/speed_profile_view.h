// The speed profile beside the results grid: speed over the time of day, planing parts in the grid's
// yellow, the 18 km/h line, red marks where GPS spikes were dropped; a tooltip tells the time and speed.
#pragma once

#include <QRect>
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
    double y_of(const QRect& area, double kmh) const;
    std::optional<size_t> column_at(int x) const;
    // "hh:mm", or "hh:mm:ss" with `seconds`, of the time of day `elapsed` seconds into the track.
    QString clock(double elapsed, bool seconds) const;

    ProfiloVelocita profile_;
    double top_speed_ = 0;  // km/h at the top of the plot
};

}  // namespace lurendo
