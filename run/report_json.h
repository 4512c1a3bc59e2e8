// The report of a run laid out as JSON: the object `lurendo-cli --json` prints for each track, and the
// entries and the profile the web page draws from. Every text comes from the run's report.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "run/run.h"

namespace lurendo {

// One run as a JSON object: its outcome, the raw totals, the label texts, the status and the paths, the
// speed results with the runs behind them, and the track's shape.
nlohmann::ordered_json oggetto_json(const RisultatoEsecuzione& risultato);

// The report's entries, each with its key, kind, caption and texts.
nlohmann::ordered_json voci_json(const std::vector<Voce>& voci);

// The profile's columns for drawing, each with its mean speed as the report writes speeds in km/h and in
// knots; the planing threshold with its label in both units, and the factor that draws the curve in knots.
nlohmann::ordered_json profilo_json(const ProfiloVelocita& profilo);

// JSON text that never fails: bytes that are not UTF-8 (in a file name) become U+FFFD.
std::string testo_json(const nlohmann::ordered_json& json);

}  // namespace lurendo
