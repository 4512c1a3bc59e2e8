// The speed profile beside the results grid: speed over the time of day, planing parts in the grid's
// yellow, the 18 km/h line, red marks where GPS spikes were dropped; a tooltip tells the time and speed.
#pragma once

#include <QWidget>
#include <optional>

#include "run/run.h"

namespace lurendo {

class VistaProfilo : public QWidget {
    Q_OBJECT
  public:
    explicit VistaProfilo(QWidget* parent);

    void mostra(const ProfiloVelocita& profilo);  // draws the profile of the run just made
    void svuota();                                // draws nothing
    bool vuota() const { return profile_.colonne.empty(); }
    // The tooltip text for the column under x (in widget pixels), or empty text outside the plot.
    QString testo_a(int x) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    QRect plot() const;
    std::optional<size_t> column_at(int x) const;
    QString clock(double elapsed) const;  // "hh:mm" of the time of day `elapsed` seconds into the track

    ProfiloVelocita profile_;
    double top_speed_ = 0;  // km/h at the top of the plot
};

}  // namespace lurendo
