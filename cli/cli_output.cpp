#include "cli/cli_output.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "run/status_text.h"

namespace lurendo {

namespace {

QString row(const QString& head, const QString& time, const QString& distance) {
    return head.leftJustified(12) + time.leftJustified(14) + distance + "\n";
}

}  // namespace

QString figures_table(const TestiCifre& f) {
    return row("", "Tempo", "Distanza") +
           row("Totale", QString::fromStdString(f.tempo_tot), QString::fromStdString(f.dist_tot)) +
           row("In Planata", QString::fromStdString(f.tempo_parz), QString::fromStdString(f.dist_parz));
}

QString report_json(const RisultatoRun& r, const QString& output_path) {
    const TestiCifre cifre = r.cifre.value_or(TestiCifre{});
    const Totali totali = r.totali.value_or(Totali{});
    QJsonObject o;
    o["righe"] = static_cast<qint64>(r.righe);
    o["n_punti"] = static_cast<qint64>(r.n_punti);
    o["tempo_tot"] = totali.tempo_tot;
    o["dist_tot"] = totali.dist_tot;
    o["tempo_parz"] = totali.tempo_parz;
    o["dist_parz"] = totali.dist_parz;
    o["lbl_dist_tot"] = QString::fromStdString(cifre.dist_tot);
    o["lbl_tempo_tot"] = QString::fromStdString(cifre.tempo_tot);
    o["lbl_dist_parz"] = QString::fromStdString(cifre.dist_parz);
    o["lbl_tempo_parz"] = QString::fromStdString(cifre.tempo_parz);
    o["lbl_risultato"] = QString::fromStdString(testo_stato(r));
    o["file_out"] = output_path;
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented));
}

}  // namespace lurendo
