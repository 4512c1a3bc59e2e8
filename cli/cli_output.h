// What lurendo-cli prints about a finished run.
#pragma once

#include <QString>

#include "stats/session.h"

namespace lurendo {

// The results grid as text: a head row "Tempo" "Distanza", then "Totale" and "In Planata".
QString figures_table(const Figure& figure);

// One JSON object with the raw totals, the label texts, the status and the output path.
QString report_json(const RunReport& report, const Sessione& sessione, const QString& output_path);

}  // namespace lurendo
