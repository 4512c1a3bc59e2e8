// The runs behind the speed results, as the report gives them ("migliori"): their times of day as text,
// the stretches of the drawn track they cover, their span in the profile.
"use strict";

// A time of day from seconds since midnight: hh:mm, or hh:mm:ss with `con_secondi`, and the tenths when
// the track has them (10:23:32,5).
function orario(secondi, con_secondi) {
  const decimi = Math.round(secondi * 10);
  const s = ((Math.floor(decimi / 10) % 86400) + 86400) % 86400;
  const due = (n) => String(n).padStart(2, "0");
  const testo = due(Math.floor(s / 3600)) + ":" + due(Math.floor(s / 60) % 60);
  if (!con_secondi) return testo;
  const frazione = ((decimi % 10) + 10) % 10;
  return testo + ":" + due(s % 60) + (frazione ? "," + frazione : "");
}

// The runs of one result: none, one, or the five of 5×10 s.
function corse_di(migliori, chiave) {
  const corse = migliori ? migliori[chiave] : null;
  if (!corse) return [];
  return Array.isArray(corse) ? corse.filter(Boolean) : [corse];
}

// "10:23:28–10:23:38"; the point numbers where the track has no times.
function testo_corsa(corsa) {
  if (corsa.inizio === null || corsa.fine === null) return "punti " + corsa.da_punto + "–" + corsa.a_punto;
  return orario(corsa.inizio, true) + "–" + orario(corsa.fine, true);
}

// One run's times, or the five of 5×10 s numbered one a line.
function testo_corse(corse) {
  if (corse.length === 1) return testo_corsa(corse[0]);
  return corse.map((c, i) => i + 1 + ") " + testo_corsa(c)).join("\n");
}

// The stretches of the drawn track that a run covers: the stretch that arrives at vertex k runs from
// point punto[k-1] to point punto[k], and belongs to the run when it overlaps [da_punto, a_punto]. The
// drawing keeps fewer vertices than points, so a short run may lie inside one stretch: that stretch is
// the run's place. No stretch arrives at the first vertex of a line. Returns the arriving vertices.
function tratti_della_corsa(percorso, corsa) {
  const inizi = new Set(percorso.inizio_linee);
  const tratti = [];
  for (let k = 1; k < percorso.punto.length; ++k) {
    if (inizi.has(k)) continue;
    if (percorso.punto[k - 1] < corsa.a_punto && percorso.punto[k] > corsa.da_punto) tratti.push(k);
  }
  return tratti;
}

// A run's start and end as seconds after the profile's first column, or null without times. A session
// that passes midnight goes on counting past 24 h.
function fascia_nel_profilo(profilo, corsa) {
  if (profilo.ora_inizio === null || corsa.inizio === null || corsa.fine === null) return null;
  const dopo = (t) => (t >= profilo.ora_inizio ? t : t + 86400) - profilo.ora_inizio;
  const da = dopo(corsa.inizio);
  return [da, da + (((corsa.fine - corsa.inizio) % 86400) + 86400) % 86400];
}
