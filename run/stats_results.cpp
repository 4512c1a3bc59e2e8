#include "run/stats_results.h"

namespace lurendo {

static_assert(kPlaningSpeed == stats::kPlaningSpeed, "one planing speed for the core and its front ends");

namespace {

Corsa corsa_di(const stats::Corsa& c) {
    return {c.inizio, c.fine, c.da_punto, c.a_punto};
}

std::optional<Corsa> corsa_di(const std::optional<stats::Corsa>& c) {
    return c ? std::optional<Corsa>(corsa_di(*c)) : std::nullopt;
}

}  // namespace

Totali totali_di(const stats::Totali& t) {
    return {t.tempo_tot, t.dist_tot, t.tempo_parz, t.dist_parz};
}

TestiCifre testi_di(const stats::TestiCifre& t) {
    return {t.dist_tot, t.tempo_tot, t.dist_parz, t.tempo_parz};
}

RisultatiVelocita risultati_di(const stats::RisultatiVelocita& r) {
    RisultatiVelocita out{r.due_s, r.dieci_s, r.cinque_per_dieci, r.m500, r.alpha500, r.miglio, r.un_ora, {}};
    const stats::CorseMigliori& c = r.corse;
    out.corse = {corsa_di(c.due_s),
                 corsa_di(c.dieci_s),
                 corsa_di(c.m500),
                 corsa_di(c.alpha500),
                 corsa_di(c.miglio),
                 corsa_di(c.un_ora),
                 {}};
    for (const stats::Corsa& run : c.cinque_per_dieci)
        out.corse.cinque_per_dieci.push_back(corsa_di(run));
    return out;
}

ProfiloVelocita profilo_di(const stats::ProfiloVelocita& p) {
    ProfiloVelocita out{p.larghezza, p.ora_inizio, {}};
    out.colonne.reserve(p.colonne.size());
    for (const stats::ColonnaProfilo& c : p.colonne)
        out.colonne.push_back({c.tempo, c.v_min, c.v_max, c.v_media, c.quota_planata, c.salto});
    return out;
}

Percorso percorso_di(const stats::Percorso& p) {
    Percorso out;
    out.vertici.reserve(p.vertici.size());
    for (const stats::VerticePercorso& v : p.vertici)
        out.vertici.push_back({v.est, v.nord, v.velocita, v.inizio, v.punto});
    return out;
}

}  // namespace lurendo
