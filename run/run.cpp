#include "run/run.h"

#include "run/statistics_pass.h"

namespace lurendo {

RisultatoRun esegui_run(const std::string& ingresso, const std::string& uscita, const RunCallbacks& callbacks,
                        FileSystem& files) {
    Riparazione riparazione = ripara(ingresso, uscita, callbacks, files);
    RisultatoRun result;
    result.esito = riparazione.esito;
    result.ingresso = ingresso;
    result.uscita = uscita;
    result.motivo = motivo_errore(riparazione.errore);
    result.righe = riparazione.righe;
    result.n_punti = riparazione.store.n_punti();
    if (result.esito == Esito::Eseguito || result.esito == Esito::ScritturaFallita) {
        result.totali = passo_statistiche(riparazione.store);
        result.cifre = testi_cifre(*result.totali);
    }
    return result;
}

}  // namespace lurendo
