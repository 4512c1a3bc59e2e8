#include "cli/report.h"

#include <cmath>
#include <filesystem>

#include "run/status_text.h"
#include "stats/figures.h"

namespace lurendo::cli {

namespace {

std::string padded(const std::string& text, size_t width) {
    // Widths count characters: the texts here are ASCII apart from the track names.
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

// A whole number of seconds or metres is written without decimals, as it always was.
nlohmann::ordered_json number(double value) {
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 9e15)
        return static_cast<int64_t>(value);
    return value;
}

struct Riga {
    std::string nome;
    TestiCifre cifre;
};

// The tracks with figures, and a last row with the figures of their summed totals.
std::vector<Riga> rows_of(const std::vector<RisultatoRun>& risultati) {
    std::vector<Riga> rows;
    Totali sum;
    for (const RisultatoRun& r : risultati) {
        if (!r.totali)
            continue;
        rows.push_back({std::filesystem::path(r.ingresso).filename().string(), testi_cifre(*r.totali)});
        sum.tempo_tot += r.totali->tempo_tot;
        sum.dist_tot += r.totali->dist_tot;
        sum.tempo_parz += r.totali->tempo_parz;
        sum.dist_parz += r.totali->dist_parz;
    }
    rows.push_back({"Totale", testi_cifre(sum)});
    return rows;
}

std::string without_unit(const std::string& distance) {
    return distance.substr(0, distance.find(' '));
}

std::string csv_field(const std::string& text) {
    if (text.find_first_of(";\"\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

std::string tabella_cifre(const TestiCifre& f) {
    const auto row = [](const std::string& head, const std::string& time, const std::string& distance) {
        return padded(head, 12) + padded(time, 14) + distance + "\n";
    };
    return row("", "Tempo", "Distanza") + row("Totale", f.tempo_tot, f.dist_tot) +
           row("In Planata", f.tempo_parz, f.dist_parz);
}

nlohmann::ordered_json oggetto_json(const RisultatoRun& r) {
    const TestiCifre cifre = r.cifre.value_or(TestiCifre{});
    const Totali totali = r.totali.value_or(Totali{});
    // Keys in alphabetical order, as the object has always been printed.
    nlohmann::ordered_json o;
    o["dist_parz"] = number(totali.dist_parz);
    o["dist_tot"] = number(totali.dist_tot);
    o["file_out"] = r.uscita;
    o["lbl_dist_parz"] = cifre.dist_parz;
    o["lbl_dist_tot"] = cifre.dist_tot;
    o["lbl_risultato"] = testo_stato(r);
    o["lbl_tempo_parz"] = cifre.tempo_parz;
    o["lbl_tempo_tot"] = cifre.tempo_tot;
    o["n_punti"] = r.n_punti;
    o["righe"] = r.righe;
    o["tempo_parz"] = number(totali.tempo_parz);
    o["tempo_tot"] = number(totali.tempo_tot);
    return o;
}

std::string righe_testo(const std::vector<RisultatoRun>& risultati) {
    const std::vector<Riga> rows = rows_of(risultati);
    size_t name_width = 8;
    for (const Riga& row : rows)
        name_width = std::max(name_width, row.nome.size() + 2);
    std::string text = padded("Traccia", name_width) + padded("Tempo", 14) + padded("Distanza", 14) +
                       padded("Tempo in planata", 18) + "Distanza in planata\n";
    for (const Riga& row : rows)
        text += padded(row.nome, name_width) + padded(row.cifre.tempo_tot, 14) +
                padded(row.cifre.dist_tot, 14) + padded(row.cifre.tempo_parz, 18) + row.cifre.dist_parz +
                "\n";
    return text;
}

std::string righe_csv(const std::vector<RisultatoRun>& risultati) {
    std::string text = "Traccia;Tempo;Distanza (km);Tempo in planata;Distanza in planata (km)\n";
    for (const Riga& row : rows_of(risultati))
        text += csv_field(row.nome) + ";" + row.cifre.tempo_tot + ";" + without_unit(row.cifre.dist_tot) +
                ";" + row.cifre.tempo_parz + ";" + without_unit(row.cifre.dist_parz) + "\n";
    return text;
}

}  // namespace lurendo::cli
