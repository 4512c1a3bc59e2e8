// One run, as the window, the command line and the page start it: repair the track, then the statistics
// over the kept points, ending in one typed result and its report. The only door front ends use.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "run/outcome.h"
#include "run/report.h"
#include "run/results.h"

namespace lurendo {

struct RisultatoEsecuzione {
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

// Every run starts afresh: nothing of an earlier run counts. An allocation failure anywhere in the run
// ends it as a failure of its own (MemoriaInsufficiente) with the old output untouched. An output named
// kStandardOutput ("-") is the process's standard output.
RisultatoEsecuzione esegui(const std::string& ingresso, const std::string& uscita,
                           const RunCallbacks& callbacks = {});

// The next bytes of a track held by the caller: the count, 0 at its end, negative on a read error.
using TrackReader = std::function<long(char* buffer, size_t capacity)>;

// A run that touches no disk (the web page): the track named `nome` comes from `leggi`, `byte` long, and
// the repaired document, when the run is done, is handed over in `out_gpx` (empty otherwise).
RisultatoEsecuzione esegui_in_memoria(const std::string& nome, const TrackReader& leggi, size_t byte,
                                      const RunCallbacks& callbacks, std::string& out_gpx);

// The result of a run that could not go on for lack of memory.
RisultatoEsecuzione risultato_senza_memoria(const std::string& ingresso, const std::string& uscita);

}  // namespace lurendo
