// One run, as the window and the command line start it: repair the track, then the statistics over the
// kept points, ending in one typed result.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "repair/file_io.h"
#include "repair/repair_run.h"
#include "run/report.h"
#include "run/statistics_pass.h"
#include "stats/figures.h"
#include "stats/totals.h"

namespace lurendo {

struct RisultatoRun {
    Esito esito = Esito::Interrotto;
    std::string ingresso;  // the input path as given
    std::string uscita;    // the output path as given
    std::string motivo;    // why it failed, in Italian words; empty when unknown or not failed
    int64_t righe = 0;     // input lines read
    int64_t n_punti = 0;   // points kept
    // Present when the input was read to its end and held points (done, or the output failed).
    std::optional<Totali> totali;
    std::optional<TestiCifre> cifre;
    RisultatiVelocita velocita;            // the speed results, where the track holds them
    RisultatiVelocita velocita_posizioni;  // the same from the positions alone
    FonteVelocita fonte = FonteVelocita::Posizioni;
    std::optional<double> intervallo_mediano;  // s, the median leg duration
    std::optional<double> planata_percento;    // share of the time spent planing; none without time
    ProfiloVelocita profilo;                   // speed over time, for drawing
    Percorso percorso;                         // the track's shape, for drawing
    std::vector<Voce> voci;                    // the report every front end lays out
};

// The result of a finished repair pass, with `totali`, the statistics over its kept points.
RisultatoRun risultato_run(const Riparazione& riparazione, const std::string& ingresso,
                           const std::string& uscita, const Statistiche& statistiche);

// Every run starts afresh: nothing of an earlier run counts. An allocation failure anywhere in the run
// ends it as a failure of its own (MemoriaInsufficiente) with the old output untouched.
RisultatoRun esegui_run(const std::string& ingresso, const std::string& uscita,
                        const RunCallbacks& callbacks = {}, FileSystem& files = system_file_system());

// The result of a run that could not go on for lack of memory.
RisultatoRun risultato_senza_memoria(const std::string& ingresso, const std::string& uscita);

}  // namespace lurendo
