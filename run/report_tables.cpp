#include "run/report_tables.h"

#include <algorithm>
#include <filesystem>

namespace lurendo {

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

std::string text_of(const std::vector<Voce>& voci, std::string_view chiave) {
    const Voce* v = trova_voce(voci, chiave);
    return v ? v->testo : std::string();
}

std::string number_of(const std::vector<Voce>& voci, std::string_view chiave) {
    const Voce* v = trova_voce(voci, chiave);
    return v ? v->numero : std::string();
}

std::string track_name(const RisultatoEsecuzione& r) {
    return nome_stampabile(std::filesystem::path(r.ingresso).filename().string());
}

constexpr const char* kFigureKeys[] = {"tempo_tot", "dist_tot", "tempo_parz", "dist_parz"};

// One row of the rows output: the name, the figures' texts, the outcome.
struct Row {
    std::string nome;
    const std::vector<Voce>* voci;
    std::string esito_chiave;
    std::string esito_parole;
};

std::vector<Row> rows_of(const std::vector<RisultatoEsecuzione>& risultati, const std::vector<Voce>& sum) {
    std::vector<Row> rows;
    for (const RisultatoEsecuzione& r : risultati)
        rows.push_back(
            {track_name(r), &r.voci, std::string(chiave_esito(r.esito)), std::string(parole_esito(r.esito))});
    rows.push_back({"Totale", &sum, "", ""});
    return rows;
}

}  // namespace

std::string tabella_cifre(const RisultatoEsecuzione& r) {
    const auto row = [](const std::string& head, const std::string& time, const std::string& distance) {
        return padded(head, 12) + padded(time, 14) + distance + "\n";
    };
    return row("", "Tempo", "Distanza") +
           row("Totale", text_of(r.voci, "tempo_tot"), text_of(r.voci, "dist_tot")) +
           row("In Planata", text_of(r.voci, "tempo_parz"), text_of(r.voci, "dist_parz"));
}

std::string tabella_velocita(const RisultatoEsecuzione& r) {
    std::string text(1, '\n');
    text += padded("Velocità", 12);
    text += padded("km/h", 10);
    text += "nodi\n";
    std::string notes;
    for (const Voce& v : r.voci) {
        if (v.tipo == TipoVoce::Velocita)
            text += padded(v.titolo, 12) + padded(v.testo, 10) + v.nodi + "\n";
        else if (v.tipo == TipoVoce::Quota)
            text += padded(v.titolo, 12) + v.testo + "\n";
        else if ((v.tipo == TipoVoce::Fonte || v.tipo == TipoVoce::Intervallo) && !v.testo.empty())
            notes += v.testo + "\n";
    }
    return text + notes;
}

std::string righe_testo(const std::vector<RisultatoEsecuzione>& risultati) {
    const std::vector<Voce> sum = voci_somma(risultati);
    const std::vector<Row> rows = rows_of(risultati, sum);
    const std::vector<Voce> speeds = voci_velocita_vuote();
    size_t name_width = 8;
    for (const Row& row : rows)
        name_width = std::max(name_width, characters(row.nome) + 2);
    std::string text = padded("Traccia", name_width);
    for (const char* head : {"Tempo", "Distanza", "Tempo in pl.", "Dist. in pl."})
        text += padded(head, 14);
    for (const Voce& column : speeds)
        text += padded(column.titolo, 11);
    text += "Esito\n";
    for (const Row& row : rows) {
        std::string line = padded(row.nome, name_width);
        for (const char* key : kFigureKeys)
            line += padded(text_of(*row.voci, key), 14);
        for (const Voce& column : speeds) {
            const Voce* v = trova_voce(*row.voci, column.chiave);
            // The total row has no speed results: blank, not "–".
            line += padded(v ? v->testo : std::string(), 11);
        }
        line += row.esito_parole;
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        text += line;
        text += '\n';
    }
    return text;
}

std::string righe_csv(const std::vector<RisultatoEsecuzione>& risultati) {
    std::string text = "Traccia;Tempo;Distanza (km);Tempo in planata;Distanza in planata (km)";
    const std::vector<Voce> speeds = voci_velocita_vuote();
    for (const Voce& column : speeds)
        text.append(";").append(column.titolo).append(column.tipo == TipoVoce::Velocita ? " (km/h)" : "");
    text += ";fonte;esito\n";
    const std::vector<Voce> sum = voci_somma(risultati);
    for (const Row& row : rows_of(risultati, sum)) {
        text += cella_csv(row.nome);
        for (const char* key : kFigureKeys)
            text.append(";").append(cella_csv(number_of(*row.voci, key)));
        for (const Voce& column : speeds)
            text.append(";").append(cella_csv(number_of(*row.voci, column.chiave)));
        text.append(";").append(number_of(*row.voci, "fonte_velocita"));
        text.append(";").append(row.esito_chiave).append("\n");
    }
    return text;
}

std::string cella_csv(const std::string& text) {
    std::string cell = text;
    if (!cell.empty() && std::string_view("=+-@").find(cell.front()) != std::string_view::npos)
        cell.insert(cell.begin(), '\'');
    if (cell.find_first_of(";\"\r\n") == std::string::npos)
        return cell;
    std::string quoted = "\"";
    for (const char c : cell)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace lurendo
