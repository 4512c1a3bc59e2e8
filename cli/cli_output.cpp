#include "cli/cli_output.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace lurendo {

namespace {

QString row(const QString& head, const QString& time, const QString& distance) {
    return head.leftJustified(12) + time.leftJustified(14) + distance + "\n";
}

}  // namespace

QString figures_table(const Figure& f) {
    return row("", "Tempo", "Distanza") +
           row("Totale", QString::fromStdString(f.lbl_tempo_tot), QString::fromStdString(f.lbl_dist_tot)) +
           row("In Planata", QString::fromStdString(f.lbl_tempo_parz),
               QString::fromStdString(f.lbl_dist_parz));
}

QString report_json(const RunReport& report, const Sessione& sessione, const QString& output_path) {
    const Figure figure = report.figure.value_or(Figure{});
    QJsonObject o;
    o["righe"] = static_cast<qint64>(report.run.righe);
    o["n_punti"] = static_cast<qint64>(sessione.repair.store.n_punti());
    o["tempo_tot"] = sessione.totali.tempo_tot;
    o["dist_tot"] = sessione.totali.dist_tot;
    o["tempo_parz"] = sessione.totali.tempo_parz;
    o["dist_parz"] = sessione.totali.dist_parz;
    o["lbl_dist_tot"] = QString::fromStdString(figure.lbl_dist_tot);
    o["lbl_tempo_tot"] = QString::fromStdString(figure.lbl_tempo_tot);
    o["lbl_dist_parz"] = QString::fromStdString(figure.lbl_dist_parz);
    o["lbl_tempo_parz"] = QString::fromStdString(figure.lbl_tempo_parz);
    o["lbl_risultato"] = QString::fromStdString(report.run.status);
    o["file_out"] = output_path;
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented));
}

}  // namespace lurendo
