// The small table of speed results beside the picture: "Velocità (km/h)" and one row per result.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "run/run.h"

class QLabel;

namespace lurendo {

class TabellaVelocita : public QWidget {
    Q_OBJECT
  public:
    explicit TabellaVelocita(QWidget* parent);

    void mostra(const RisultatoRun& risultato);  // the texts of the run's report
    void svuota();                               // values empty, as before the first run
    // The value shown in the row named `riga` ("2 s", "Planata %", …).
    QString valore(const QString& riga) const;

  private:
    std::vector<std::string> keys_;  // of the report's entries, one per row
    std::vector<QLabel*> names_;
    std::vector<QLabel*> values_;
};

}  // namespace lurendo
