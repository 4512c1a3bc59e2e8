#include "cli/report.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

#include "common/numbers.h"

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
nlohmann::ordered_json number(const std::optional<double>& value) {
    if (!value)
        return nullptr;
    if (std::isfinite(*value) && *value == std::floor(*value) && std::fabs(*value) < 9e15)
        return static_cast<int64_t>(*value);
    return *value;
}

std::string text_of(const std::vector<Voce>& voci, std::string_view chiave) {
    const Voce* v = trova_voce(voci, chiave);
    return v ? v->testo : std::string();
}

std::string number_of(const std::vector<Voce>& voci, std::string_view chiave) {
    const Voce* v = trova_voce(voci, chiave);
    return v ? v->numero : std::string();
}

std::string track_name(const RisultatoRun& r) {
    return nome_stampabile(std::filesystem::path(r.ingresso).filename().string());
}

constexpr const char* kFigureKeys[] = {"tempo_tot", "dist_tot", "tempo_parz", "dist_parz"};

// A time of day to one decimal: whole seconds stay whole; null where the track's time is unreadable.
nlohmann::ordered_json time_of_day(double seconds) {
    return std::isnan(seconds) ? nlohmann::ordered_json(nullptr) : number(arrotonda(seconds, 1));
}

nlohmann::ordered_json run_json(const Corsa& c) {
    return {{"inizio", time_of_day(c.inizio)},
            {"fine", time_of_day(c.fine)},
            {"da_punto", c.da_punto},
            {"a_punto", c.a_punto}};
}

nlohmann::ordered_json run_json(const std::optional<Corsa>& c) {
    return c ? run_json(*c) : nlohmann::ordered_json(nullptr);
}

// The runs behind the speed results, keyed as the results are.
nlohmann::ordered_json best_runs(const CorseMigliori& corse) {
    nlohmann::ordered_json five = nullptr;
    if (!corse.cinque_per_dieci.empty()) {
        five = nlohmann::ordered_json::array();
        for (const Corsa& c : corse.cinque_per_dieci)
            five.push_back(run_json(c));
    }
    return {{"2s", run_json(corse.due_s)},
            {"10s", run_json(corse.dieci_s)},
            {"5x10s", five},
            {"500m", run_json(corse.m500)},
            {"alpha500", run_json(corse.alpha500)},
            {"miglio", run_json(corse.miglio)},
            {"1h", run_json(corse.un_ora)}};
}

// The track's shape as parallel lists, metres to the decimetre and speeds to 0.1 km/h, with the vertices
// where a line starts.
nlohmann::ordered_json shape(const Percorso& p) {
    nlohmann::ordered_json east = nlohmann::ordered_json::array(), north = nlohmann::ordered_json::array(),
                           speed = nlohmann::ordered_json::array(), point = nlohmann::ordered_json::array(),
                           starts = nlohmann::ordered_json::array();
    for (size_t k = 0; k < p.vertici.size(); ++k) {
        const VerticePercorso& v = p.vertici[k];
        east.push_back(number(arrotonda(v.est, 1)));
        north.push_back(number(arrotonda(v.nord, 1)));
        speed.push_back(number(arrotonda(v.velocita, 1)));
        point.push_back(v.punto);
        if (v.inizio)
            starts.push_back(k);
    }
    return {{"est", east}, {"nord", north}, {"velocita", speed}, {"punto", point}, {"inizio_linee", starts}};
}

// One row of the rows output: the name, the figures' texts, the outcome.
struct Row {
    std::string nome;
    const std::vector<Voce>* voci;
    std::string esito_chiave;
    std::string esito_parole;
};

std::vector<Row> rows_of(const std::vector<RisultatoRun>& risultati, const std::vector<Voce>& sum) {
    std::vector<Row> rows;
    for (const RisultatoRun& r : risultati)
        rows.push_back(
            {track_name(r), &r.voci, std::string(chiave_esito(r.esito)), std::string(parole_esito(r.esito))});
    rows.push_back({"Totale", &sum, "", ""});
    return rows;
}

}  // namespace

std::string tabella_cifre(const RisultatoRun& r) {
    const auto row = [](const std::string& head, const std::string& time, const std::string& distance) {
        return padded(head, 12) + padded(time, 14) + distance + "\n";
    };
    return row("", "Tempo", "Distanza") +
           row("Totale", text_of(r.voci, "tempo_tot"), text_of(r.voci, "dist_tot")) +
           row("In Planata", text_of(r.voci, "tempo_parz"), text_of(r.voci, "dist_parz"));
}

std::string tabella_velocita(const RisultatoRun& r) {
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

nlohmann::ordered_json oggetto_json(const RisultatoRun& r) {
    // The plain keys in alphabetical order, as the object has always been printed, then the speeds.
    std::map<std::string, nlohmann::ordered_json> keys;
    keys["esito"] = chiave_esito(r.esito);
    keys["file_in"] = r.ingresso;
    keys["file_out"] = r.esito == Esito::Eseguito ? nlohmann::ordered_json(r.uscita) : nullptr;
    keys["n_punti"] = r.n_punti;
    keys["righe"] = r.righe;
    for (const char* figure : kFigureKeys) {
        keys[figure] = 0;
        keys[std::string("lbl_") + figure] = "";
    }
    keys["fonte_velocita"] = nullptr;
    keys["intervallo_mediano_s"] = nullptr;
    nlohmann::ordered_json speeds = nlohmann::ordered_json::object();
    nlohmann::ordered_json speed_texts = nlohmann::ordered_json::object();
    nlohmann::ordered_json from_positions = nlohmann::ordered_json::object();
    nlohmann::ordered_json share = nullptr;
    for (const Voce& v : r.voci) {
        switch (v.tipo) {
            case TipoVoce::Testo:
                keys[v.chiave] =
                    v.testo.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(v.testo);
                break;
            case TipoVoce::Cifra:
                keys[v.chiave] = number(v.valore);
                keys["lbl_" + v.chiave] = v.testo;
                break;
            case TipoVoce::Velocita:
                speeds[v.chiave] = v.valore ? nlohmann::ordered_json(*v.valore) : nullptr;
                speed_texts[v.chiave] = v.testo;
                from_positions[v.chiave] =
                    v.valore_posizioni ? nlohmann::ordered_json(*v.valore_posizioni) : nullptr;
                break;
            case TipoVoce::Fonte:
                keys[v.chiave] = v.numero;
                break;
            case TipoVoce::Intervallo:
                keys[v.chiave] = v.valore ? nlohmann::ordered_json(*v.valore) : nullptr;
                break;
            case TipoVoce::Quota:
                share = v.valore ? nlohmann::ordered_json(*v.valore) : nullptr;
                break;
        }
    }
    keys["lbl_velocita"] = speed_texts;  // the results as the window shows them
    nlohmann::ordered_json o = nlohmann::ordered_json::object();
    for (auto& [key, value] : keys)
        o[key] = std::move(value);
    o["velocita"] = speeds;
    o["velocita_posizioni"] = from_positions;
    o["planata_percento"] = share;
    const bool figures = r.totali.has_value();
    o["migliori"] = figures ? best_runs(r.velocita.corse) : nlohmann::ordered_json(nullptr);
    o["percorso"] = figures ? shape(r.percorso) : nlohmann::ordered_json(nullptr);
    return o;
}

std::string testo_json(const nlohmann::ordered_json& json) {
    return json.dump(4, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string righe_testo(const std::vector<RisultatoRun>& risultati) {
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

std::string righe_csv(const std::vector<RisultatoRun>& risultati) {
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

}  // namespace lurendo::cli
