#include "cli/options.h"

#include <CLI/CLI.hpp>
#include <cstdio>

#include "run/version.h"

namespace lurendo::cli {

namespace {

// CLI11 explains its errors in English; the user gets them in Italian, by kind.
std::string italian_message(const CLI::ParseError& e) {
    const std::string what = e.what();
    if (dynamic_cast<const CLI::ExtrasError*>(&e))
        return "argomento non previsto:" + what.substr(what.find(':') + 1);
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e))
        return "a un'opzione manca il valore";
    if (dynamic_cast<const CLI::RequiredError*>(&e))
        return "indicare almeno una traccia GPX";
    if (dynamic_cast<const CLI::ExcludesError*>(&e))
        return "--json e --csv non vanno insieme";
    return "riga di comando non valida";
}

}  // namespace

Lettura leggi_opzioni(int argc, char** argv) {
    CLI::App app(
        "Ripara tracce GPX (toglie i salti del GPS), scrive i file corretti e mostra tempo e distanza, in "
        "totale e In Planata (oltre 18 km/h).",
        "lurendo-cli");
    app.get_formatter()->label("Usage", "Uso");
    app.get_formatter()->label("OPTIONS", "OPZIONI");
    app.get_formatter()->label("Positionals", "Argomenti");
    app.get_formatter()->label("REQUIRED", "OBBLIGATORIO");
    app.get_formatter()->label("TEXT", "TESTO");
    app.get_formatter()->label("Excludes", "Esclude");
    app.option_defaults()->group("Opzioni");
    app.set_help_flag("-h,--help", "Mostra questo aiuto ed esce.");
    app.set_version_flag("--version", std::string("lurendo-cli ") + lurendo::kVersione,
                         "Mostra la versione ed esce.");

    Opzioni o;
    std::string uscita;
    app.add_option(
           "-o,--output", uscita,
           "Con una traccia: il file di uscita (predefinito: out.gpx nella cartella corrente; \"-\": lo "
           "standard output, e le cifre vanno su stderr). Con più tracce: la cartella in cui scriverle, "
           "creata se manca.")
        ->type_name("FILE|CARTELLA");
    auto* json = app.add_flag("--json", o.json, "Stampa il risultato come JSON (un array con più tracce).");
    auto* csv =
        app.add_flag("--csv", o.csv, "Stampa le righe per un foglio di calcolo: \";\" e virgola decimale.");
    json->excludes(csv);
    app.add_flag("-q,--quiet", o.silenzioso, "Non stampa la riga di stato né le cifre: solo gli errori.");
    app.add_option("TRACCIA.gpx", o.tracce, "Le tracce GPX da riparare.")->required()->type_name("");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return {std::nullopt, kExitOk};
    } catch (const CLI::CallForVersion& e) {
        std::printf("%s\n", e.what());
        return {std::nullopt, kExitOk};
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "lurendo-cli: %s\nPer l'aiuto: lurendo-cli --help\n",
                     italian_message(e).c_str());
        return {std::nullopt, kExitUsage};
    }
    if (app.count("--output") > 0)
        o.uscita = uscita;
    return {o, kExitOk};
}

}  // namespace lurendo::cli
