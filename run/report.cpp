#include "run/report.h"

#include <cerrno>
#include <cmath>
#include <cstdio>

#include "common/numbers.h"
#include "run/run.h"
#include "run/stats_results.h"
#include "stats/figures.h"

namespace lurendo {

namespace {

constexpr std::string_view kNoValue = "–";

struct Risultato {
    const char* titolo;
    const char* chiave;
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
constexpr const char* kPlanataTitolo = "Planata %";
constexpr const char* kPlanataChiave = "planata_percento";

Voce voce(TipoVoce tipo, const char* chiave, const char* titolo,
          std::optional<double> valore = std::nullopt) {
    Voce v;
    v.tipo = tipo;
    v.chiave = chiave;
    v.titolo = titolo;
    v.valore = valore;
    return v;
}

Voce testo(const char* chiave, const char* titolo, std::string text) {
    Voce v = voce(TipoVoce::Testo, chiave, titolo);
    v.testo = std::move(text);
    return v;
}

Voce distanza(const char* chiave, const char* titolo, double metres) {
    Voce v = voce(TipoVoce::Cifra, chiave, titolo, metres);
    v.testo = stats::formato_distanza(metres);
    v.numero = v.testo.substr(0, v.testo.find(' '));
    return v;
}

Voce tempo(const char* chiave, const char* titolo, double seconds) {
    Voce v = voce(TipoVoce::Cifra, chiave, titolo, seconds);
    v.testo = stats::formato_tempo(seconds);
    v.numero = v.testo;
    return v;
}

Voce velocita(const Risultato& r, std::optional<double> kmh, std::optional<double> from_positions) {
    Voce v = voce(TipoVoce::Velocita, r.chiave, r.titolo, kmh);
    v.testo = testo_velocita(kmh);
    v.nodi = testo_nodi(kmh);
    if (kmh)
        v.numero = v.testo;
    v.valore_posizioni = from_positions;
    v.posizioni = testo_velocita(from_positions);
    v.posizioni_nodi = testo_nodi(from_positions);
    return v;
}

// Points further apart than this make the short results cover longer runs than their names say.
constexpr double kLongInterval = 1.5;  // s

Voce fonte(FonteVelocita source) {
    Voce v = voce(TipoVoce::Fonte, "fonte_velocita", "Fonte");
    v.numero = chiave_fonte(source);
    switch (source) {
        case FonteVelocita::Doppler:
            v.testo = "Velocità dal GPS (Doppler)";
            break;
        case FonteVelocita::Posizioni:
            v.testo = "Velocità dalle posizioni";
            break;
        case FonteVelocita::Misto:
            v.testo = "Velocità in parte dal GPS";
            break;
    }
    return v;
}

Voce intervallo(std::optional<double> seconds) {
    Voce v = voce(TipoVoce::Intervallo, "intervallo_mediano_s", "Intervallo", seconds);
    if (!seconds)
        return v;
    v.numero = numero_testo(arrotonda(*seconds, 1));
    if (*seconds > kLongInterval)
        v.testo = "Punti registrati ogni " + v.numero +
                  " s: i risultati brevi (2 s, 10 s) sono medie di tratti più lunghi.";
    return v;
}

Voce quota(std::optional<double> percent) {
    Voce v = voce(TipoVoce::Quota, kPlanataChiave, kPlanataTitolo, percent);
    v.testo = testo_velocita(percent);
    if (percent)
        v.numero = v.testo;
    return v;
}

void add_figures(std::vector<Voce>& voci, const Totali& t) {
    voci.push_back(distanza("dist_tot", "Distanza", t.dist_tot));
    voci.push_back(tempo("tempo_tot", "Tempo", t.tempo_tot));
    voci.push_back(distanza("dist_parz", "Distanza in planata", t.dist_parz));
    voci.push_back(tempo("tempo_parz", "Tempo in planata", t.tempo_parz));
}

std::optional<double> share_planing(const Totali& t) {
    if (t.tempo_tot > 0)
        return t.tempo_parz / t.tempo_tot * 100;
    return std::nullopt;
}

}  // namespace

std::vector<Voce> voci_risultato(const RisultatoEsecuzione& r) {
    std::vector<Voce> voci;
    voci.push_back(testo("lbl_risultato", "Stato", testo_stato(r)));
    voci.push_back(testo("motivo", "Motivo", r.motivo));
    if (!r.totali)
        return voci;
    add_figures(voci, *r.totali);
    for (const Risultato& k : kRisultati)
        voci.push_back(velocita(k, r.velocita.*k.campo, r.velocita_posizioni.*k.campo));
    voci.push_back(quota(r.planata_percento));
    voci.push_back(fonte(r.fonte));
    voci.push_back(intervallo(r.intervallo_mediano));
    return voci;
}

std::vector<Voce> voci_somma(const std::vector<RisultatoEsecuzione>& risultati) {
    Totali sum;
    for (const RisultatoEsecuzione& r : risultati) {
        if (r.esito != Esito::Eseguito || !r.totali)
            continue;
        sum.tempo_tot += r.totali->tempo_tot;
        sum.dist_tot += r.totali->dist_tot;
        sum.tempo_parz += r.totali->tempo_parz;
        sum.dist_parz += r.totali->dist_parz;
    }
    std::vector<Voce> voci;
    add_figures(voci, sum);
    voci.push_back(quota(share_planing(sum)));
    return voci;
}

const Voce* trova_voce(const std::vector<Voce>& voci, std::string_view chiave) {
    for (const Voce& v : voci) {
        if (v.chiave == chiave)
            return &v;
    }
    return nullptr;
}

std::vector<Voce> voci_velocita_vuote() {
    std::vector<Voce> voci;
    for (const Risultato& k : kRisultati)
        voci.push_back(voce(TipoVoce::Velocita, k.chiave, k.titolo));
    voci.push_back(voce(TipoVoce::Quota, kPlanataChiave, kPlanataTitolo));
    return voci;
}

std::string testo_velocita(std::optional<double> kmh) {
    if (!kmh)
        return std::string(kNoValue);
    // The rounding is the project's (an exact half to the even neighbour); printing the rounded double
    // with one decimal then only lays it out.
    char text[400];  // room for the largest double in fixed notation
    std::snprintf(text, sizeof text, "%.1f", arrotonda(*kmh, 1));
    std::string out = text;
    for (char& c : out) {
        if (c == '.')
            c = ',';
    }
    return out == "-0,0" ? "0,0" : out;
}

std::string testo_nodi(std::optional<double> kmh) {
    return testo_velocita(kmh ? std::optional<double>(*kmh / kKmhPerKnot) : std::nullopt);
}

std::string_view chiave_fonte(FonteVelocita fonte) {
    switch (fonte) {
        case FonteVelocita::Doppler:
            return "doppler";
        case FonteVelocita::Posizioni:
            return "posizioni";
        case FonteVelocita::Misto:
            return "misto";
    }
    return "posizioni";
}

std::string_view chiave_esito(Esito esito) {
    switch (esito) {
        case Esito::Eseguito:
            return "eseguito";
        case Esito::AperturaFallita:
            return "apertura_fallita";
        case Esito::LetturaFallita:
            return "lettura_fallita";
        case Esito::ScritturaFallita:
            return "scrittura_fallita";
        case Esito::Interrotto:
            return "interrotto";
        case Esito::NessunPunto:
            return "nessun_punto";
        case Esito::MemoriaInsufficiente:
            return "memoria_insufficiente";
        case Esito::UscitaUgualeIngresso:
            return "uscita_uguale_ingresso";
    }
    return "interrotto";
}

std::string_view parole_esito(Esito esito) {
    switch (esito) {
        case Esito::Eseguito:
            return "eseguito";
        case Esito::AperturaFallita:
            return "impossibile aprire il file";
        case Esito::LetturaFallita:
            return "errore di lettura";
        case Esito::ScritturaFallita:
            return "impossibile scrivere il file";
        case Esito::Interrotto:
            return "interrotto";
        case Esito::NessunPunto:
            return "nessun punto di traccia";
        case Esito::MemoriaInsufficiente:
            return "memoria insufficiente";
        case Esito::UscitaUgualeIngresso:
            return "uscita uguale all'ingresso";
    }
    return "interrotto";
}

std::string nome_stampabile(std::string_view nome) {
    std::string out;
    out.reserve(nome.size());
    const auto escape = [&out](unsigned char byte) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", byte);
        out += hex;
    };
    for (size_t i = 0; i < nome.size(); ++i) {
        const auto byte = static_cast<unsigned char>(nome[i]);
        if (byte < 0x20 || byte == 0x7F) {
            escape(byte);
        } else if (byte == 0xC2 && i + 1 < nome.size() && static_cast<unsigned char>(nome[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(nome[i + 1]) <= 0x9F) {
            // A C1 control in UTF-8 (U+0080 to U+009F): some terminals obey it as an escape.
            escape(byte);
            escape(static_cast<unsigned char>(nome[++i]));
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

std::string motivo_errore(std::error_code errore, bool uscita) {
    // Only the system's own causes have words; a cause of another kind, or none, gives none.
    if (errore.category() != std::generic_category() && errore.category() != std::system_category())
        return {};
    switch (errore.value()) {
        case EACCES:
        case EPERM:
            return "permesso negato";
        case ENOENT:
            return uscita ? "cartella inesistente" : "file inesistente";
        case EISDIR:
            return "è una cartella";
        case ENOSPC:
        case EDQUOT:
            return "disco pieno";
        case EROFS:
            return "disco di sola lettura";
        case EIO:
            return "errore del disco";
        case EFBIG:
            return "file troppo grande";
        case ENAMETOOLONG:
            return "nome troppo lungo";
        case EMFILE:
        case ENFILE:
            return "troppi file aperti";
        case EPIPE:
            return "pipe chiusa";
        case ENOTSUP:
            return "tipo di file non supportato";
        default:
            return {};
    }
}

namespace {

std::string with_reason(std::string_view text, const std::string& path, const std::string& reason) {
    std::string status = std::string(text) + nome_stampabile(path);
    if (!reason.empty())
        status += " (" + reason + ")";
    return status;
}

}  // namespace

std::string testo_ora(double secondi) {
    if (std::isnan(secondi))
        return {};
    const double tenths = arrotonda(secondi, 1) * 10;
    const auto whole = static_cast<int64_t>(tenths) / 10;
    const auto fraction = static_cast<int64_t>(tenths) % 10;
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(whole / 3600 % 24),
                  static_cast<long long>(whole / 60 % 60), static_cast<long long>(whole % 60));
    std::string out = text;
    if (fraction != 0) {
        out += ',';
        out += static_cast<char>('0' + fraction);
    }
    return out;
}

std::vector<Corsa> corse_di(const RisultatiVelocita& velocita, std::string_view chiave) {
    const CorseMigliori& c = velocita.corse;
    if (chiave == "5x10s")
        return c.cinque_per_dieci;
    const std::pair<std::string_view, const std::optional<Corsa>*> single[] = {
        {"2s", &c.due_s},          {"10s", &c.dieci_s},   {"500m", &c.m500},
        {"alpha500", &c.alpha500}, {"miglio", &c.miglio}, {"1h", &c.un_ora}};
    for (const auto& [key, run] : single) {
        if (key == chiave && *run)
            return {**run};
    }
    return {};
}

std::string testo_corse(const std::vector<Corsa>& corse) {
    std::string text;
    for (const Corsa& c : corse) {
        if (std::isnan(c.inizio) || std::isnan(c.fine))
            continue;
        if (!text.empty())
            text += "\n";
        text += "Dalle " + testo_ora(c.inizio) + " alle " + testo_ora(c.fine);
    }
    return text;
}

std::string testo_avanzamento(int64_t righe) {
    return std::string(kLinesReadText) + std::to_string(righe);
}

std::string testo_stato(const RisultatoEsecuzione& r) {
    switch (r.esito) {
        case Esito::Eseguito:
            return std::string(kDoneText) + nome_stampabile(r.uscita);
        case Esito::AperturaFallita:
            return with_reason(kOpenErrorText, r.ingresso, r.motivo);
        case Esito::LetturaFallita:
            return with_reason(kReadErrorText, r.ingresso, r.motivo);
        case Esito::ScritturaFallita:
            return with_reason(kWriteErrorText, r.uscita, r.motivo);
        case Esito::NessunPunto:
            return std::string(kNoPointsText) + nome_stampabile(r.ingresso);
        case Esito::MemoriaInsufficiente:
            return std::string(kNoMemoryText) + nome_stampabile(r.ingresso);
        case Esito::UscitaUgualeIngresso:
            return std::string(kSameFileText) + nome_stampabile(r.ingresso);
        case Esito::Interrotto:
            break;
    }
    return std::string(kCancelledText);
}

bool fallito(const RisultatoEsecuzione& r) {
    return r.esito != Esito::Eseguito && r.esito != Esito::Interrotto;
}

}  // namespace lurendo
