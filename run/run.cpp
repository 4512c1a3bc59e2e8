#include "run/run.h"

#include <new>
#include <system_error>

#include "run/memory_files.h"
#include "run/run_with_files.h"
#include "run/stats_results.h"
#include "run/stream_files.h"

namespace lurendo {

namespace {

Esito esito_di(EsitoRiparazione e) {
    switch (e) {
        case EsitoRiparazione::Eseguito:
            return Esito::Eseguito;
        case EsitoRiparazione::AperturaFallita:
            return Esito::AperturaFallita;
        case EsitoRiparazione::LetturaFallita:
            return Esito::LetturaFallita;
        case EsitoRiparazione::ScritturaFallita:
            return Esito::ScritturaFallita;
        case EsitoRiparazione::Interrotto:
            break;
        case EsitoRiparazione::NessunPunto:
            return Esito::NessunPunto;
        case EsitoRiparazione::MemoriaInsufficiente:
            return Esito::MemoriaInsufficiente;
        case EsitoRiparazione::UscitaUgualeIngresso:
            return Esito::UscitaUgualeIngresso;
    }
    return Esito::Interrotto;
}

}  // namespace

RisultatoEsecuzione esegui(const std::string& ingresso, const std::string& uscita,
                           const RunCallbacks& callbacks) {
    StreamAwareFiles files;
    return esegui(ingresso, uscita, callbacks, files);
}

RisultatoEsecuzione esegui_in_memoria(const std::string& nome, const TrackReader& leggi, size_t byte,
                                      const RunCallbacks& callbacks, std::string& out_gpx) {
    MemoryFiles files(nome, leggi, byte);
    RisultatoEsecuzione r = esegui(nome, "out.gpx", callbacks, files);
    out_gpx = r.esito == Esito::Eseguito ? files.take_out_gpx() : std::string();
    return r;
}

RisultatoEsecuzione esegui(const std::string& ingresso, const std::string& uscita,
                           const RunCallbacks& callbacks, FileSystem& files) {
    try {
        Statistiche statistiche;
        const Riparazione riparazione =
            ripara(ingresso, uscita, {callbacks.avanzamento, callbacks.annullato}, files,
                   [&](PointStore& store) { statistiche = passo_statistiche(store, true); });
        return risultato_esecuzione(riparazione, ingresso, uscita, statistiche);
    } catch (const std::bad_alloc&) {
        return risultato_senza_memoria(ingresso, uscita);
    } catch (const std::system_error& e) {
        // A thread that cannot be started for want of resources is the same shortage.
        if (e.code() != std::errc::resource_unavailable_try_again)
            throw;
        return risultato_senza_memoria(ingresso, uscita);
    }
}

RisultatoEsecuzione risultato_senza_memoria(const std::string& ingresso, const std::string& uscita) {
    RisultatoEsecuzione result;
    result.esito = Esito::MemoriaInsufficiente;
    result.ingresso = ingresso;
    result.uscita = uscita;
    result.voci = voci_risultato(result);
    return result;
}

RisultatoEsecuzione risultato_esecuzione(const Riparazione& riparazione, const std::string& ingresso,
                                         const std::string& uscita, const Statistiche& statistiche) {
    RisultatoEsecuzione result;
    result.esito = esito_di(riparazione.esito);
    result.ingresso = ingresso;
    result.uscita = uscita;
    result.motivo = motivo_errore(riparazione.errore, result.esito == Esito::ScritturaFallita);
    result.righe = riparazione.righe;
    result.n_punti = riparazione.store.n_punti();
    if (result.esito == Esito::Eseguito || result.esito == Esito::ScritturaFallita) {
        result.totali = statistiche.totali;
        result.cifre = testi_di(stats::testi_cifre({result.totali->tempo_tot, result.totali->dist_tot,
                                                    result.totali->tempo_parz, result.totali->dist_parz}));
        result.velocita = statistiche.velocita;
        result.velocita_posizioni = statistiche.velocita_posizioni;
        result.fonte = statistiche.fonte;
        result.intervallo_mediano = statistiche.intervallo_mediano;
        result.profilo = statistiche.profilo;
        result.percorso = statistiche.percorso;
        if (result.totali->tempo_tot > 0)
            result.planata_percento = result.totali->tempo_parz / result.totali->tempo_tot * 100;
    }
    result.voci = voci_risultato(result);
    return result;
}

}  // namespace lurendo
