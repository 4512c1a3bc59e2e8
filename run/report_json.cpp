#include "run/report_json.h"

#include <cmath>
#include <map>

#include "common/numbers.h"

namespace lurendo {

namespace {

constexpr const char* kFigureKeys[] = {"tempo_tot", "dist_tot", "tempo_parz", "dist_parz"};

// A whole number of seconds or metres is written without decimals, as it always was.
nlohmann::ordered_json number(const std::optional<double>& value) {
    if (!value)
        return nullptr;
    if (std::isfinite(*value) && *value == std::floor(*value) && std::fabs(*value) < 9e15)
        return static_cast<int64_t>(*value);
    return *value;
}

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

const char* kind_of(TipoVoce tipo) {
    switch (tipo) {
        case TipoVoce::Testo:
            return "testo";
        case TipoVoce::Cifra:
            return "cifra";
        case TipoVoce::Velocita:
            return "velocita";
        case TipoVoce::Quota:
            return "quota";
        case TipoVoce::Fonte:
            return "fonte";
        case TipoVoce::Intervallo:
            return "intervallo";
    }
    return "testo";
}

}  // namespace

nlohmann::ordered_json voci_json(const std::vector<Voce>& voci) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Voce& v : voci) {
        list.push_back({{"chiave", v.chiave},
                        {"tipo", kind_of(v.tipo)},
                        {"titolo", v.titolo},
                        {"testo", v.testo},
                        {"numero", v.numero},
                        {"nodi", v.nodi},
                        {"posizioni", v.posizioni},
                        {"posizioni_nodi", v.posizioni_nodi}});
    }
    return list;
}

// The profile's columns for drawing, each with its mean speed as the report writes speeds in km/h and in
// knots; the planing threshold with its label in both units, and the factor that draws the curve in knots.
nlohmann::ordered_json profilo_json(const ProfiloVelocita& p) {
    nlohmann::ordered_json columns = nlohmann::ordered_json::array();
    for (const ColonnaProfilo& c : p.colonne) {
        columns.push_back({{"v_min", c.v_min},
                           {"v_max", c.v_max},
                           {"v_media", c.v_media},
                           {"testo", testo_velocita(c.v_media)},
                           {"testo_nodi", testo_nodi(c.v_media)},
                           {"planata", c.quota_planata},
                           {"salto", c.salto}});
    }
    return {{"larghezza", p.larghezza},
            {"ora_inizio", p.ora_inizio ? nlohmann::ordered_json(*p.ora_inizio) : nullptr},
            {"soglia", kPlaningSpeed},
            {"soglia_testo", numero_testo(kPlaningSpeed)},
            {"soglia_testo_nodi", testo_nodi(kPlaningSpeed)},
            {"kmh_per_nodo", kKmhPerKnot},
            {"colonne", columns}};
}

nlohmann::ordered_json oggetto_json(const RisultatoEsecuzione& r) {
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

}  // namespace lurendo
