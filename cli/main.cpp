// lurendo-cli: repairs GPX tracks and prints their figures.
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "cli/options.h"
#include "cli/progress.h"
#include "cli/targets.h"
#include "run/files.h"
#include "run/report_json.h"
#include "run/report_tables.h"
#include "run/run.h"

namespace {

using namespace lurendo;
using namespace lurendo::cli;

// The signal that asked the runs to stop, 0 while none has.
std::atomic<int> g_stop_signal{0};

extern "C" void on_stop_signal(int signal_number) {
    g_stop_signal = signal_number;
}

// SIGINT, SIGTERM and SIGHUP stop the run at its next block, or just before its document takes the place
// of the output, which then stays as it was. They do not restart an interrupted call, so that a FIFO
// waiting for its reader stops waiting. A file over the size limit and a pipe nobody reads any more are
// write errors to report, not reasons to die.
void handle_signals() {
    struct sigaction action {};
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal_number, &action, nullptr);
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}

int stopped_exit_code() {
    return 128 + g_stop_signal.load();
}

// Where the status line and the figures go: standard output, or standard error when the document goes
// there, or nowhere with --quiet.
struct Results {
    int fd = STDOUT_FILENO;
    std::error_code error;  // why the first write to standard output failed; none while none failed
};

// Writes all of `text` to `fd`, resuming after a signal; false with errno when it could not.
bool write_all(int fd, const std::string& text) {
    const char* data = text.data();
    size_t size = text.size();
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

void print_error(const std::string& text) {
    const bool told = write_all(STDERR_FILENO, text);
    (void)told;  // nowhere left to say it
}

void print_results(Results& results, const std::string& text) {
    if (results.fd < 0 || results.error)
        return;
    if (!write_all(results.fd, text) && results.fd == STDOUT_FILENO)
        results.error = std::error_code(errno != 0 ? errno : EIO, std::system_category());
}

// A failed write of the results is an error of its own; a stop or an earlier failure keeps its code.
int with_results_checked(const Results& results, int code) {
    if (!results.error)
        return code;
    std::string text = "Errore: impossibile scrivere i risultati sullo standard output";
    if (const std::string reason = motivo_errore(results.error); !reason.empty())
        text += " (" + reason + ")";
    print_error(text + "\n");
    return code == kExitOk ? kExitFailed : code;
}

RisultatoEsecuzione run_one(const std::string& input, const std::string& output,
                            const std::string& progress_prefix, RigaAvanzamento& progress) {
    RunCallbacks callbacks;
    callbacks.avanzamento = [&](int64_t righe) {
        progress.mostra(progress_prefix + testo_avanzamento(righe));
    };
    callbacks.annullato = [] { return g_stop_signal.load() != 0; };
    RisultatoEsecuzione r = esegui(input, output, callbacks);
    progress.finish();
    return r;
}

// "in FILE", or "sullo standard output".
std::string where_written(const std::string& output) {
    return output == kStandardOutput ? std::string("sullo standard output") : "in " + nome_stampabile(output);
}

// A stopped run leaves a replaced output as it was; a stream may have been given part of the document.
void tell_streamed_stop(RisultatoEsecuzione& r) {
    for (Voce& v : r.voci) {
        if (v.chiave == "lbl_risultato")
            v.testo = "Elaborazione interrotta: il documento scritto " + where_written(r.uscita) +
                      " può essere incompleto.";
    }
}

const std::string& status_of(const RisultatoEsecuzione& r) {
    return trova_voce(r.voci, "lbl_risultato")->testo;
}

// One track: the status line and the grid, or the JSON object.
int one_track(const Opzioni& o, const std::string& output, Results& results) {
    RigaAvanzamento progress;
    const bool streamed = streamed_output(output);
    RisultatoEsecuzione r = run_one(o.tracce.front(), output, "", progress);
    if (r.esito == Esito::Interrotto && streamed)
        tell_streamed_stop(r);
    const bool ok = r.esito == Esito::Eseguito;
    if (!ok)
        print_error(status_of(r) + "\n");
    if (o.json) {
        print_results(results, testo_json(oggetto_json(r)) + "\n");
    } else if (o.csv) {
        print_results(results, righe_csv({r}));
    } else {
        if (ok)
            print_results(results, status_of(r) + "\n");
        if (r.totali)
            print_results(results, tabella_cifre(r) + tabella_velocita(r));
    }
    if (r.esito == Esito::Interrotto)
        return stopped_exit_code();
    return ok ? kExitOk : kExitFailed;
}

void print_rows(const Opzioni& o, const std::vector<RisultatoEsecuzione>& rows, Results& results) {
    if (o.json) {
        nlohmann::ordered_json all = nlohmann::ordered_json::array();
        for (const RisultatoEsecuzione& r : rows)
            all.push_back(oggetto_json(r));
        print_results(results, testo_json(all) + "\n");
    } else {
        print_results(results, o.csv ? righe_csv(rows) : righe_testo(rows));
    }
}

// Which track a stop interrupted, and what became of the outputs.
std::string stopped_message(const std::string& track, const std::string& output, bool any_written) {
    std::string text = "Elaborazione interrotta durante la traccia " + nome_stampabile(track);
    text += streamed_output(output)
                ? ": il documento scritto " + where_written(output) + " può essere incompleto"
                : ": il suo file di uscita non è stato modificato";
    text += any_written ? "; quelli delle tracce precedenti completate sono stati scritti." : ".";
    return text;
}

// Several tracks into one folder: each failure is told and the others still run; a stop ends the batch
// with the rows of the tracks finished so far.
int many_tracks(const Opzioni& o, const std::vector<std::string>& outputs, Results& results) {
    if (!make_output_folders(*o.uscita)) {
        print_error("Errore: impossibile creare la cartella " + nome_stampabile(*o.uscita) + "\n");
        return kExitFailed;
    }
    RigaAvanzamento progress;
    std::vector<RisultatoEsecuzione> rows;
    bool any_failed = false;
    bool any_written = false;
    for (size_t i = 0; i < o.tracce.size(); ++i) {
        if (g_stop_signal != 0) {
            print_rows(o, rows, results);
            print_error(stopped_message(o.tracce[i], outputs[i], any_written) + "\n");
            return stopped_exit_code();
        }
        const std::string prefix =
            "Traccia " + std::to_string(i + 1) + " di " + std::to_string(o.tracce.size()) + ": ";
        RisultatoEsecuzione r = run_one(o.tracce[i], outputs[i], prefix, progress);
        if (r.esito == Esito::Interrotto) {
            print_rows(o, rows, results);
            print_error(stopped_message(o.tracce[i], outputs[i], any_written) + "\n");
            return stopped_exit_code();
        }
        if (fallito(r)) {
            any_failed = true;
            print_error(status_of(r) + "\n");
        }
        any_written = any_written || r.esito == Esito::Eseguito;
        rows.push_back(std::move(r));
    }
    print_rows(o, rows, results);
    return any_failed ? kExitFailed : kExitOk;
}

int run_command_line(int argc, char* argv[]) {
    const Lettura lettura = leggi_opzioni(argc, argv);
    if (!lettura.opzioni)
        return lettura.uscita_programma;
    const Opzioni& o = *lettura.opzioni;
    const Destinazioni d = destinazioni(o);
    if (!d.errore.empty()) {
        print_error("lurendo-cli: " + d.errore + "\n");
        return kExitUsage;
    }
    handle_signals();
    Results results;
    if (o.silenzioso)
        results.fd = -1;
    else if (o.uscita && *o.uscita == kStandardOutput)
        results.fd = STDERR_FILENO;
    const int code =
        o.tracce.size() == 1 ? one_track(o, d.file.front(), results) : many_tracks(o, d.file, results);
    return with_results_checked(results, code);
}

}  // namespace

int main(int argc, char* argv[]) {
    try {
        return run_command_line(argc, argv);
    } catch (const std::bad_alloc&) {
        // A run reports its own shortage; this one came while laying out its results.
        print_error("Errore: memoria insufficiente\n");
        return kExitFailed;
    }
}
