// The report of finished runs laid out as text: the results grid, the speed table, and the rows of several
// tracks as aligned text or as CSV. Every text comes from the run's report; nothing here formats a figure.
#pragma once

#include <string>
#include <vector>

#include "run/run.h"

namespace lurendo {

// The results grid as text: a head row "Tempo" "Distanza", then "Totale" and "In Planata".
std::string tabella_cifre(const RisultatoEsecuzione& risultato);

// The speed results after the grid: one row each, in km/h and in knots.
std::string tabella_velocita(const RisultatoEsecuzione& risultato);

// One row per track, failed ones with their outcome, then "Totale" with the sums of the completed ones:
// as aligned text or as CSV (";" and a decimal comma, for a spreadsheet).
std::string righe_testo(const std::vector<RisultatoEsecuzione>& risultati);
std::string righe_csv(const std::vector<RisultatoEsecuzione>& risultati);

// A CSV cell: quoted where it holds ";", a quote or a line break, and with a leading "'" where a
// spreadsheet would take it for a formula ("=", "+", "-", "@").
std::string cella_csv(const std::string& text);

}  // namespace lurendo
