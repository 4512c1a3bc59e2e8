#include "run/run.h"

#include <new>
#include <system_error>

#include "run/statistics_pass.h"

namespace lurendo {

RisultatoRun esegui_run(const std::string& ingresso, const std::string& uscita, const RunCallbacks& callbacks,
                        FileSystem& files) {
    try {
        Statistiche statistiche;
        const Riparazione riparazione =
            ripara(ingresso, uscita, callbacks, files,
                   [&](const PointStore& store) { statistiche = passo_statistiche(store, true); });
        return risultato_run(riparazione, ingresso, uscita, statistiche);
    } catch (const std::bad_alloc&) {
        return risultato_senza_memoria(ingresso, uscita);
    } catch (const std::system_error& e) {
        // A thread that cannot be started for want of resources is the same shortage.
        if (e.code() != std::errc::resource_unavailable_try_again)
            throw;
        return risultato_senza_memoria(ingresso, uscita);
    }
}

RisultatoRun risultato_senza_memoria(const std::string& ingresso, const std::string& uscita) {
    RisultatoRun result;
    result.esito = Esito::MemoriaInsufficiente;
    result.ingresso = ingresso;
    result.uscita = uscita;
    result.voci = voci_risultato(result);
    return result;
}

RisultatoRun risultato_run(const Riparazione& riparazione, const std::string& ingresso,
                           const std::string& uscita, const Statistiche& statistiche) {
    RisultatoRun result;
    result.esito = riparazione.esito;
    result.ingresso = ingresso;
    result.uscita = uscita;
    result.motivo = motivo_errore(riparazione.errore, result.esito == Esito::ScritturaFallita);
    result.righe = riparazione.righe;
    result.n_punti = riparazione.store.n_punti();
    if (result.esito == Esito::Eseguito || result.esito == Esito::ScritturaFallita) {
        result.totali = statistiche.totali;
        result.cifre = testi_cifre(*result.totali);
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
