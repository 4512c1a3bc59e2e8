// lurendo-cli: repairs GPX tracks and prints their figures.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
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

std::atomic<bool> g_interrupted{false};

extern "C" void on_interrupt(int) {
    g_interrupted = true;
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
    callbacks.annullato = [] { return g_interrupted.load(); };
    RisultatoRun r = esegui_run(input, output, callbacks);
    progress.chiudi();
    return r;
}

// One track: the status line and the grid, or the JSON object; as it has always been.
int one_track(const Opzioni& o, const std::string& output) {
    RigaAvanzamento progress;
    const RisultatoRun r = run_one(o.tracce.front(), output, "", progress);
    const bool ok = r.esito == Esito::Eseguito;
    if (!ok)
        print(stderr, testo_stato(r) + "\n");
    if (o.json) {
        print(stdout, oggetto_json(r).dump(4) + "\n");
    } else if (o.csv) {
        print(stdout, righe_csv({r}));
    } else {
        if (ok)
            print(stdout, testo_stato(r) + "\n");
        if (r.cifre)
            print(stdout, tabella_cifre(*r.cifre) + tabella_velocita(r));
    }
    if (r.esito == Esito::Interrotto)
        return kExitInterrupted;
    return ok ? kExitOk : kExitFailed;
}

// Several tracks into one folder: each failure is told and the others still run; Ctrl-C stops at once.
int many_tracks(const Opzioni& o, const std::vector<std::string>& outputs) {
    std::error_code ec;
    std::filesystem::create_directories(*o.uscita, ec);
    if (ec) {
        print(stderr, "Errore: impossibile creare la cartella " + *o.uscita + "\n");
        return kExitFailed;
    }
    RigaAvanzamento progress;
    std::vector<RisultatoRun> results;
    bool any_failed = false;
    for (size_t i = 0; i < o.tracce.size() && !g_interrupted; ++i) {
        const std::string prefix =
            "Traccia " + std::to_string(i + 1) + " di " + std::to_string(o.tracce.size()) + ": ";
        RisultatoRun r = run_one(o.tracce[i], outputs[i], prefix, progress);
        if (r.esito == Esito::Interrotto)
            break;
        if (fallito(r)) {
            any_failed = true;
            print(stderr, testo_stato(r) + "\n");
        }
        results.push_back(std::move(r));
    }
    if (g_interrupted) {
        print(stderr, std::string(kCancelledText) + "\n");
        return kExitInterrupted;
    }
    if (o.json) {
        nlohmann::ordered_json all = nlohmann::ordered_json::array();
        for (const RisultatoRun& r : results)
            all.push_back(oggetto_json(r));
        print(stdout, all.dump(4) + "\n");
    } else {
        print(stdout, o.csv ? righe_csv(results) : righe_testo(results));
    }
    return any_failed ? kExitFailed : kExitOk;
}

}  // namespace

int main(int argc, char* argv[]) {
    const Lettura lettura = leggi_opzioni(argc, argv);
    if (!lettura.opzioni)
        return lettura.uscita_programma;
    const Opzioni& o = *lettura.opzioni;
    const Destinazioni d = destinazioni(o);
    if (!d.errore.empty()) {
        print(stderr, "lurendo-cli: " + d.errore + "\n");
        return kExitUsage;
    }
    std::signal(SIGINT, on_interrupt);
    std::signal(SIGTERM, on_interrupt);
    return o.tracce.size() == 1 ? one_track(o, d.file.front()) : many_tracks(o, d.file);
}
