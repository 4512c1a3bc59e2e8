// The core as the page's worker (and node, for the same-answer check) calls it: one track's bytes in,
// out.gpx's bytes and the run's report out, with the line count posted to the page while the run goes on.
#include <emscripten/emscripten.h>

#include <nlohmann/json.hpp>
#include <string>

#include "run/report_json.h"
#include "run/run.h"

// The bodies of EM_JS are JavaScript, which the C++ formatter would break.
// clang-format off

// The worker's own postMessage: the page receives the status text ("Righe elaborate: N") as a message.
EM_JS(void, post_progress, (const char* testo), {
    if (typeof postMessage === "function")
        postMessage({tipo: "avanzamento", testo: UTF8ToString(testo)});
});

// The next bytes of the track into the run's buffer, from the reader the caller put on the module as
// `leggi_traccia`: given a view of the buffer, it fills it from the start and returns how many bytes it
// wrote, 0 at the track's end. The page's worker reads the chosen File; node reads a file from disk. A
// reader that throws is the run's read error.
EM_JS(long, read_track, (char* buffer, size_t capacity), {
    try {
        const inizio = buffer >>> 0;  // an address past 2 GB arrives as a negative number
        return Module["leggi_traccia"](HEAPU8.subarray(inizio, inizio + capacity));
    } catch (errore) {
        return -1;
    }
});

// clang-format on

namespace {

using namespace lurendo;

std::string g_report;  // the JSON of the last run
std::string g_out;     // out.gpx of the last run; empty when it wrote nothing

}  // namespace

extern "C" {

// Repairs the track named `nome` (its file name, for the messages), `byte` long, that the module's
// `leggi_traccia` hands out, and returns the report as JSON: the object lurendo-cli --json prints
// ("risultato"), the report's entries ("voci") and the profile.
EMSCRIPTEN_KEEPALIVE const char* lurendo_ripara(const char* nome, double byte) {
    g_out = std::string();
    RunCallbacks callbacks;
    callbacks.avanzamento = [](int64_t righe) { post_progress(testo_avanzamento(righe).c_str()); };
    const RisultatoEsecuzione r =
        esegui_in_memoria(nome, &read_track, static_cast<size_t>(byte), callbacks, g_out);
    nlohmann::ordered_json report = {
        {"risultato", oggetto_json(r)}, {"voci", voci_json(r.voci)}, {"profilo", profilo_json(r.profilo)}};
    g_report = testo_json(report);
    return g_report.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* lurendo_out_gpx() {
    return g_out.data();
}

EMSCRIPTEN_KEEPALIVE size_t lurendo_out_gpx_byte() {
    return g_out.size();
}

}  // extern "C"
