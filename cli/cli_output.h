// What lurendo-cli prints about a finished run.
#pragma once

#include <QString>

#include "run/run.h"

namespace lurendo {

// The results grid as text: a head row "Tempo" "Distanza", then "Totale" and "In Planata".
QString figures_table(const TestiCifre& cifre);

// One JSON object with the raw totals, the label texts, the status and the output path.
QString report_json(const RisultatoRun& risultato, const QString& output_path);

}  // namespace lurendo
