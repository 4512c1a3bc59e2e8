#include "cli/report.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include <cstdio>

#include "common/numbers.h"
#include "run/status_text.h"
#include "stats/figures.h"

namespace lurendo::cli {

namespace {

// Characters, not bytes, of a UTF-8 text ("×", "–", "à" take two or three bytes).
size_t characters(const std::string& text) {
    return static_cast<size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string padded(const std::string& text, size_t width) {
    const size_t n = characters(text);
    std::string out = text;
    out.append(n >= width ? 1 : width - n, ' ');
    return out;
}

// A whole number of seconds or metres is written without decimals, as it always was.
nlohmann::ordered_json number(double value) {
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 9e15)
        return static_cast<int64_t>(value);
    return value;
}

constexpr double kKmhPerKnot = 1.852;

struct Risultato {
    const char* etichetta;  // as the window shows it
    const char* chiave;     // in JSON
    std::optional<double> RisultatiVelocita::*campo;
};
const Risultato kRisultati[] = {
    {"2 s", "2s", &RisultatiVelocita::due_s},
    {"10 s", "10s", &RisultatiVelocita::dieci_s},
    {"5×10 s", "5x10s", &RisultatiVelocita::cinque_per_dieci},
    {"500 m", "500m", &RisultatiVelocita::m500},
    {"Alpha 500", "alpha500", &RisultatiVelocita::alpha500},
    {"Miglio", "miglio", &RisultatiVelocita::miglio},
    {"1 ora", "1h", &RisultatiVelocita::un_ora},
};

// One decimal and a decimal comma, "–" where there is no result.
std::string one_decimal(const std::optional<double>& value) {
    if (!value)
        return "–";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", arrotonda(*value, 1));
    std::string out = text;
    std::replace(out.begin(), out.end(), '.', ',');
    return out;
}

nlohmann::ordered_json number_or_null(const std::optional<double>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

struct Riga {
    std::string nome;
    TestiCifre cifre;
    std::vector<std::string> velocita;  // the results in km/h, then "Planata %"
};

std::vector<std::string> speeds_of(const RisultatoRun& r) {
    std::vector<std::string> texts;
    for (const Risultato& k : kRisultati)
        texts.push_back(one_decimal(r.velocita.*k.campo));
    texts.push_back(one_decimal(r.planata_percento));
    return texts;
}

// The tracks with figures, and a last row with the figures of their summed totals.
std::vector<Riga> rows_of(const std::vector<RisultatoRun>& risultati) {
    std::vector<Riga> rows;
    Totali sum;
    for (const RisultatoRun& r : risultati) {
        if (!r.totali)
            continue;
        rows.push_back(
            {std::filesystem::path(r.ingresso).filename().string(), testi_cifre(*r.totali), speeds_of(r)});
        sum.tempo_tot += r.totali->tempo_tot;
        sum.dist_tot += r.totali->dist_tot;
        sum.tempo_parz += r.totali->tempo_parz;
        sum.dist_parz += r.totali->dist_parz;
    }
    // Speed results do not add up; the share of time planing does.
    std::vector<std::string> shares(std::size(kRisultati), "");
    shares.push_back(sum.tempo_tot > 0 ? one_decimal(sum.tempo_parz / sum.tempo_tot * 100) : "–");
    rows.push_back({"Totale", testi_cifre(sum), shares});
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

std::string tabella_velocita(const RisultatoRun& r) {
    std::string text(1, '\n');
    text += padded("Velocità", 12);
    text += padded("km/h", 10);
    text += "nodi\n";
    for (const Risultato& k : kRisultati) {
        const std::optional<double> kmh = r.velocita.*k.campo;
        std::optional<double> knots;
        if (kmh)
            knots = *kmh / kKmhPerKnot;
        text += padded(k.etichetta, 12);
        text += padded(one_decimal(kmh), 10);
        text += one_decimal(knots);
        text += '\n';
    }
    text += padded("Planata %", 12) + one_decimal(r.planata_percento) + "\n";
    return text;
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
    nlohmann::ordered_json speeds;
    for (const Risultato& k : kRisultati)
        speeds[k.chiave] = number_or_null(r.velocita.*k.campo);
    o["velocita"] = speeds;
    o["planata_percento"] = number_or_null(r.planata_percento);
    return o;
}

std::string righe_testo(const std::vector<RisultatoRun>& risultati) {
    const std::vector<Riga> rows = rows_of(risultati);
    size_t name_width = 8;
    for (const Riga& row : rows)
        name_width = std::max(name_width, characters(row.nome) + 2);
    std::string text = padded("Traccia", name_width);
    for (const char* head : {"Tempo", "Distanza", "Tempo in pl.", "Dist. in pl."})
        text += padded(head, 14);
    for (const Risultato& k : kRisultati)
        text += padded(k.etichetta, 11);
    text += "Planata %\n";
    for (const Riga& row : rows) {
        std::string line = padded(row.nome, name_width);
        for (const std::string* figure :
             {&row.cifre.tempo_tot, &row.cifre.dist_tot, &row.cifre.tempo_parz, &row.cifre.dist_parz})
            line += padded(*figure, 14);
        for (const std::string& speed : row.velocita)
            line += padded(speed, 11);
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        text += line;
        text += '\n';
    }
    return text;
}

std::string righe_csv(const std::vector<RisultatoRun>& risultati) {
    std::string text = "Traccia;Tempo;Distanza (km);Tempo in planata;Distanza in planata (km)";
    for (const Risultato& k : kRisultati) {
        text += ';';
        text += k.etichetta;
        text += " (km/h)";
    }
    text += ";Planata %\n";
    for (const Riga& row : rows_of(risultati)) {
        text += csv_field(row.nome);
        for (const std::string& figure : {row.cifre.tempo_tot, without_unit(row.cifre.dist_tot),
                                          row.cifre.tempo_parz, without_unit(row.cifre.dist_parz)}) {
            text += ';';
            text += figure;
        }
        for (const std::string& speed : row.velocita) {
            text += ';';
            text += speed == "–" ? std::string() : speed;
        }
        text += '\n';
    }
    return text;
}

}  // namespace lurendo::cli
