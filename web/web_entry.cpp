// The core as the page's worker (and node, for the same-answer check) calls it: one track's bytes in,
// out.gpx's bytes and the run's report out, with the line count posted to the page while the run goes on.
#include <emscripten/emscripten.h>

#include <nlohmann/json.hpp>
#include <string>

#include "cli/report.h"
#include "common/numbers.h"
#include "run/status_text.h"
#include "web/page_files.h"

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
using web::PageFiles;

constexpr char kOutputName[] = "out.gpx";

std::string g_report;  // the JSON of the last run
std::string g_out;     // out.gpx of the last run; empty when it wrote nothing

const char* kind_of(TipoVoce tipo) {
    switch (tipo) {
        case TipoVoce::Testo:
            return "testo";
        case TipoVoce::Cifra:
            return "cifra";
        case TipoVoce::Velocita:
            return "velocita";
        case TipoVoce::Quota:
            return "quota";
        case TipoVoce::Fonte:
            return "fonte";
        case TipoVoce::Intervallo:
            return "intervallo";
    }
    return "testo";
}

nlohmann::ordered_json entries(const std::vector<Voce>& voci) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Voce& v : voci) {
        list.push_back({{"chiave", v.chiave},
                        {"tipo", kind_of(v.tipo)},
                        {"titolo", v.titolo},
                        {"testo", v.testo},
                        {"numero", v.numero},
                        {"nodi", v.nodi},
                        {"posizioni", v.posizioni},
                        {"posizioni_nodi", v.posizioni_nodi}});
    }
    return list;
}

// The profile's columns for drawing, each with its mean speed as the report writes speeds in km/h and in
// knots; the planing threshold with its label in both units, and the factor that draws the curve in knots.
nlohmann::ordered_json profile(const ProfiloVelocita& p) {
    nlohmann::ordered_json columns = nlohmann::ordered_json::array();
    for (const ColonnaProfilo& c : p.colonne) {
        columns.push_back({{"v_min", c.v_min},
                           {"v_max", c.v_max},
                           {"v_media", c.v_media},
                           {"testo", testo_velocita(c.v_media)},
                           {"testo_nodi", testo_nodi(c.v_media)},
                           {"planata", c.quota_planata},
                           {"salto", c.salto}});
    }
    return {{"larghezza", p.larghezza},
            {"ora_inizio", p.ora_inizio ? nlohmann::ordered_json(*p.ora_inizio) : nullptr},
            {"soglia", kPlaningSpeed},
            {"soglia_testo", numero_testo(kPlaningSpeed)},
            {"soglia_testo_nodi", testo_nodi(kPlaningSpeed)},
            {"kmh_per_nodo", kKmhPerKnot},
            {"colonne", columns}};
}

}  // namespace

extern "C" {

// Repairs the track named `nome` (its file name, for the messages), `byte` long, that the module's
// `leggi_traccia` hands out, and returns the report as JSON: the object lurendo-cli --json prints
// ("risultato"), the report's entries ("voci") and the profile.
EMSCRIPTEN_KEEPALIVE const char* lurendo_ripara(const char* nome, double byte) {
    g_out = std::string();
    PageFiles files(nome, &read_track, static_cast<size_t>(byte));
    RunCallbacks callbacks;
    callbacks.avanzamento = [](int64_t righe) { post_progress(testo_avanzamento(righe).c_str()); };
    const RisultatoRun r = esegui_run(nome, kOutputName, callbacks, files);
    g_out = r.esito == Esito::Eseguito ? files.take_out_gpx() : std::string();
    nlohmann::ordered_json report = {
        {"risultato", cli::oggetto_json(r)}, {"voci", entries(r.voci)}, {"profilo", profile(r.profilo)}};
    g_report = cli::testo_json(report);
    return g_report.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* lurendo_out_gpx() {
    return g_out.data();
}

EMSCRIPTEN_KEEPALIVE size_t lurendo_out_gpx_byte() {
    return g_out.size();
}

}  // extern "C"
