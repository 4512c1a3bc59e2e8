// The session's track, drawn from the run's own shape without map tiles or network: coloured by speed
// (planing in the grid's yellow), the start marked, a scale bar in metres and a north arrow. One run of a
// speed result can be highlighted.
#pragma once

#include <QPointF>
#include <QString>
#include <QWidget>
#include <vector>

#include "run/run.h"

namespace lurendo {

class VistaTraccia : public QWidget {
    Q_OBJECT
  public:
    explicit VistaTraccia(QWidget* parent);

    void mostra(const Percorso& percorso);
    void svuota();
    // The runs of a result to stand out, or none.
    void evidenzia(const std::vector<Corsa>& corse);

    bool vuota() const { return shape_.vertici.empty(); }
    // Where the vertex `k` is drawn, in widget pixels.
    QPointF posizione(size_t k) const;
    // The scale bar: the metres it stands for, and its length in pixels.
    double metri_scala() const;
    double pixel_scala() const;
    // The vertices drawn as part of the highlighted run.
    size_t vertici_evidenziati() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Fit {
        double metres_per_pixel = 1;
        double left = 0, top = 0;  // pixels of the westmost and northmost vertex
        double min_east = 0, max_north = 0;
    };
    Fit fit() const;
    bool highlighted(size_t k) const;

    Percorso shape_;
    std::vector<Corsa> runs_;
};

}  // namespace lurendo
