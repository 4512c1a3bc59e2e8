#include "stats/session.h"

namespace lurendo {

RunReport esegui_run(Sessione& sessione, const std::string& input_path, const std::string& output_path,
                     const RunCallbacks& callbacks, FileSystem& files) {
    sessione.totali = Totali{};
    RunReport report;
    report.run = ripara(sessione.repair, input_path, output_path, callbacks, files);
    if (!report.run.input_read)
        return report;
    passo_statistiche(sessione.repair.store, sessione.totali);
    report.figure = testi_figure(sessione.totali);
    return report;
}

}  // namespace lurendo
