// What lurendo-cli prints about finished runs: the grid, the JSON objects, the rows of several tracks.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "run/run.h"

namespace lurendo::cli {

// The results grid as text: a head row "Tempo" "Distanza", then "Totale" and "In Planata".
std::string tabella_cifre(const TestiCifre& cifre);

// The speed results after the grid: one row each, in km/h and in knots.
std::string tabella_velocita(const RisultatoRun& risultato);

// One run as a JSON object: the raw totals, the label texts, the status and the output path.
nlohmann::ordered_json oggetto_json(const RisultatoRun& risultato);

// One row per track with figures, then "Totale" with the sums: as aligned text or as CSV (";" and a
// decimal comma, for a spreadsheet).
std::string righe_testo(const std::vector<RisultatoRun>& risultati);
std::string righe_csv(const std::vector<RisultatoRun>& risultati);

}  // namespace lurendo::cli
