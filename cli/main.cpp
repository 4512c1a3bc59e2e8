// lurendo-cli: repairs GPX tracks and prints their figures.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/progress.h"
#include "cli/report.h"
#include "cli/targets.h"
#include "run/run.h"
#include "run/status_text.h"

namespace {

using namespace lurendo;
using namespace lurendo::cli;

// The signal that asked the runs to stop, 0 while none has.
std::atomic<int> g_stop_signal{0};

extern "C" void on_stop_signal(int signal_number) {
    g_stop_signal = signal_number;
}

// SIGINT, SIGTERM and SIGHUP stop the run at its next block, which then removes its temporary; a file
// over the size limit is a write error to report, not a reason to die.
void handle_signals() {
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal_number, on_stop_signal);
    std::signal(SIGXFSZ, SIG_IGN);
}

int stopped_exit_code() {
    return 128 + g_stop_signal.load();
}

void print(FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

RisultatoRun run_one(const std::string& input, const std::string& output, const std::string& progress_prefix,
                     RigaAvanzamento& progress) {
    RunCallbacks callbacks;
    callbacks.avanzamento = [&](int64_t righe) {
        progress.mostra(progress_prefix + testo_avanzamento(righe));
    };
    callbacks.annullato = [] { return g_stop_signal.load() != 0; };
    RisultatoRun r = esegui_run(input, output, callbacks);
    progress.chiudi();
    return r;
}

const std::string& status_of(const RisultatoRun& r) {
    return trova_voce(r.voci, "lbl_risultato")->testo;
}

// One track: the status line and the grid, or the JSON object.
int one_track(const Opzioni& o, const std::string& output) {
    RigaAvanzamento progress;
    const RisultatoRun r = run_one(o.tracce.front(), output, "", progress);
    const bool ok = r.esito == Esito::Eseguito;
    if (!ok)
        print(stderr, status_of(r) + "\n");
    if (o.json) {
        print(stdout, testo_json(oggetto_json(r)) + "\n");
    } else if (o.csv) {
        print(stdout, righe_csv({r}));
    } else {
        if (ok)
            print(stdout, status_of(r) + "\n");
        if (r.totali)
            print(stdout, tabella_cifre(r) + tabella_velocita(r));
    }
    if (r.esito == Esito::Interrotto)
        return stopped_exit_code();
    return ok ? kExitOk : kExitFailed;
}

void print_rows(const Opzioni& o, const std::vector<RisultatoRun>& results) {
    if (o.json) {
        nlohmann::ordered_json all = nlohmann::ordered_json::array();
        for (const RisultatoRun& r : results)
            all.push_back(oggetto_json(r));
        print(stdout, testo_json(all) + "\n");
    } else {
        print(stdout, o.csv ? righe_csv(results) : righe_testo(results));
    }
}

// Which track a stop interrupted, and what became of the outputs.
std::string stopped_message(const std::string& track, bool any_written) {
    std::string text = "Elaborazione interrotta durante la traccia " + nome_stampabile(track) +
                       ": il suo file di uscita non è stato modificato";
    text += any_written ? "; quelli delle tracce precedenti completate sono stati scritti." : ".";
    return text;
}

// Several tracks into one folder: each failure is told and the others still run; a stop ends the batch
// with the rows of the tracks finished so far.
int many_tracks(const Opzioni& o, const std::vector<std::string>& outputs) {
    int error = 0;
    if (!create_folders(*o.uscita, error)) {
        print(stderr, "Errore: impossibile creare la cartella " + nome_stampabile(*o.uscita) + "\n");
        return kExitFailed;
    }
    RigaAvanzamento progress;
    std::vector<RisultatoRun> results;
    bool any_failed = false;
    bool any_written = false;
    for (size_t i = 0; i < o.tracce.size(); ++i) {
        if (g_stop_signal != 0) {
            print_rows(o, results);
            print(stderr, stopped_message(o.tracce[i], any_written) + "\n");
            return stopped_exit_code();
        }
        const std::string prefix =
            "Traccia " + std::to_string(i + 1) + " di " + std::to_string(o.tracce.size()) + ": ";
        RisultatoRun r = run_one(o.tracce[i], outputs[i], prefix, progress);
        if (r.esito == Esito::Interrotto) {
            print_rows(o, results);
            print(stderr, stopped_message(o.tracce[i], any_written) + "\n");
            return stopped_exit_code();
        }
        if (fallito(r)) {
            any_failed = true;
            print(stderr, status_of(r) + "\n");
        }
        any_written = any_written || r.esito == Esito::Eseguito;
        results.push_back(std::move(r));
    }
    print_rows(o, results);
    return any_failed ? kExitFailed : kExitOk;
}

int run_command_line(int argc, char* argv[]) {
    const Lettura lettura = leggi_opzioni(argc, argv);
    if (!lettura.opzioni)
        return lettura.uscita_programma;
    const Opzioni& o = *lettura.opzioni;
    const Destinazioni d = destinazioni(o);
    if (!d.errore.empty()) {
        print(stderr, "lurendo-cli: " + d.errore + "\n");
        return kExitUsage;
    }
    handle_signals();
    return o.tracce.size() == 1 ? one_track(o, d.file.front()) : many_tracks(o, d.file);
}

}  // namespace

int main(int argc, char* argv[]) {
    try {
        return run_command_line(argc, argv);
    } catch (const std::bad_alloc&) {
        // A run reports its own shortage; this is one while laying out its results.
        print(stderr, "Errore: memoria insufficiente\n");
        return kExitFailed;
    }
}
