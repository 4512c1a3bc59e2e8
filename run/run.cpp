#include "run/run.h"

#include "run/statistics_pass.h"

namespace lurendo {

RisultatoRun esegui_run(const std::string& ingresso, const std::string& uscita, const RunCallbacks& callbacks,
                        FileSystem& files) {
    Totali totali;
    const Riparazione riparazione = ripara(ingresso, uscita, callbacks, files, [&](const PointStore& store) {
        totali = passo_statistiche(store);
    });
    return risultato_run(riparazione, ingresso, uscita, totali);
}

RisultatoRun risultato_run(const Riparazione& riparazione, const std::string& ingresso,
                           const std::string& uscita, const Totali& totali) {
    RisultatoRun result;
    result.esito = riparazione.esito;
    result.ingresso = ingresso;
    result.uscita = uscita;
    result.motivo = motivo_errore(riparazione.errore, result.esito == Esito::ScritturaFallita);
    result.righe = riparazione.righe;
    result.n_punti = riparazione.store.n_punti();
    if (result.esito == Esito::Eseguito || result.esito == Esito::ScritturaFallita) {
        result.totali = totali;
        result.cifre = testi_cifre(*result.totali);
    }
    return result;
}

}  // namespace lurendo
