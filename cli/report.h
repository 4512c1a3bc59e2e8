// How lurendo-cli lays out the reports of finished runs: the grid, the JSON objects, the rows of several
// tracks. Every text comes from the run's report; nothing here formats a figure.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "run/run.h"

namespace lurendo::cli {

// The results grid as text: a head row "Tempo" "Distanza", then "Totale" and "In Planata".
std::string tabella_cifre(const RisultatoRun& risultato);

// The speed results after the grid: one row each, in km/h and in knots.
std::string tabella_velocita(const RisultatoRun& risultato);

// One run as a JSON object: its outcome, the raw totals, the label texts, the status and the paths.
nlohmann::ordered_json oggetto_json(const RisultatoRun& risultato);

// JSON text that never fails: bytes that are not UTF-8 (in a file name) become U+FFFD.
std::string testo_json(const nlohmann::ordered_json& json);

// One row per track, failed ones with their outcome, then "Totale" with the sums of the completed ones:
// as aligned text or as CSV (";" and a decimal comma, for a spreadsheet).
std::string righe_testo(const std::vector<RisultatoRun>& risultati);
std::string righe_csv(const std::vector<RisultatoRun>& risultati);

// A CSV cell: quoted where it holds ";", a quote or a line break, and with a leading "'" where a
// spreadsheet would take it for a formula ("=", "+", "-", "@").
std::string cella_csv(const std::string& text);

}  // namespace lurendo::cli
