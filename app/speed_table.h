// The small table of speed results beside the picture: its caption ("Velocità (km/h)" or "Velocità
// (nodi)", switched by a click and remembered), the source of the speeds under it, one row per result,
// and under the rows the warning about points recorded far apart, as text a touch screen shows too.
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

    void mostra(const RisultatoEsecuzione& risultato);  // the texts of the run's report
    void svuota();                                      // values empty, as before the first run

    // Shows the speeds in knots rather than km/h, and remembers the choice for the next start.
    void usa_nodi(bool nodi);
    bool in_nodi() const { return knots_; }

    // The value shown in the row named `riga` ("2 s", "Planata %", …), and its tooltip.
    QString valore(const QString& riga) const;
    QString suggerimento(const QString& riga) const;
    QString titolo() const;
    QString fonte() const;
    QString suggerimento_titolo() const;
    QString avviso() const;  // the warning under the rows, empty when there is none

    // Chooses the row of the result keyed `chiave` ("2s", …; empty for none), as a click on it does.
    void scegli(const std::string& chiave);
    std::string scelta() const { return chosen_; }

  signals:
    void unita_cambiata(bool nodi);
    // A row was chosen: the runs behind its result (none for a row without runs, or no row).
    void corse_scelte(const std::vector<Corsa>& corse);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void show_entries();

    std::vector<std::string> keys_;  // of the report's entries, one per row
    std::vector<QLabel*> names_;
    std::vector<QLabel*> values_;
    QLabel* caption_ = nullptr;
    QLabel* source_ = nullptr;
    QLabel* interval_ = nullptr;
    std::vector<Voce> shown_;   // the report's entries on show; empty before a run and after an error
    RisultatiVelocita speeds_;  // of the run on show, for the runs behind its results
    std::string chosen_;        // key of the row chosen, empty for none
    bool knots_ = false;
};

}  // namespace lurendo
