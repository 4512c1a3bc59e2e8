// A run over a file layer of the caller's, for the core's own tests and tools: fault-injecting or
// in-memory files. Front ends use run.h alone.
#pragma once

#include <string>

#include "repair/files/file_io.h"
#include "repair/repair_run.h"
#include "run/run.h"
#include "run/statistics_pass.h"

namespace lurendo {

RisultatoEsecuzione esegui(const std::string& ingresso, const std::string& uscita,
                           const RunCallbacks& callbacks, FileSystem& files);

// The result of a finished repair pass, with the statistics over its kept points.
RisultatoEsecuzione risultato_esecuzione(const Riparazione& riparazione, const std::string& ingresso,
                                         const std::string& uscita, const Statistiche& statistiche);

}  // namespace lurendo
