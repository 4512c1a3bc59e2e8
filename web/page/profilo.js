// The speed profile: speed over the time of day, drawn from the report's columns ("profilo"), and the
// caption under it that tells the column under the pointer.
"use strict";

// Speed over the time of day, in the unit the table shows: planing columns in the grid's yellow, the
// dashed planing line, red triangles under the axis where GPS spikes were dropped. Labels are placed only
// where they do not touch another; the unit and the speed labels drawn go to the canvas's data-etichette.
// The spans of `corse` (the chosen result's runs) are shaded, their pixels from left to right in
// data-evidenza.
function disegna_profilo(tela, profilo, nodi, corse) {
  const { g, larghezza, altezza } = prepara_tela(tela);
  delete tela.dataset.area;
  delete tela.dataset.etichette;
  delete tela.dataset.evidenza;
  if (!profilo || profilo.colonne.length === 0) return;

  g.font = "11px 'Liberation Sans', Arial, sans-serif";
  const alto_testo = 11;
  const colonne = profilo.colonne;
  const unita = nodi ? "nodi" : "km/h";
  const in_unita = (kmh) => (nodi ? kmh / profilo.kmh_per_nodo : kmh);
  const soglia = in_unita(profilo.soglia);
  let massimo = soglia;
  for (const c of colonne) massimo = Math.max(massimo, in_unita(c.v_max));
  const cima = Math.ceil(massimo / 10) * 10;
  const testo_soglia = nodi ? profilo.soglia_testo_nodi : profilo.soglia_testo;
  const etichette_v = [[0, "0"], [soglia, testo_soglia], [cima, String(cima)]];
  const sinistra = Math.ceil(Math.max(...etichette_v.map(([, testo]) => g.measureText(testo).width))) + 8;
  const area = { x: sinistra, y: alto_testo + 6, w: larghezza - sinistra - 4, h: altezza - alto_testo * 2 - 20 };
  const y_del_valore = (v) => area.y + area.h - (v / cima) * area.h;  // v in the unit shown
  const y_di = (kmh) => y_del_valore(in_unita(kmh));
  const x_di = (i) => area.x + (i / colonne.length) * area.w;

  // Planing columns, the chosen runs' spans, then the curve of the mean speed.
  g.fillStyle = "rgb(255, 255, 192)";
  colonne.forEach((c, i) => {
    if (c.planata >= 0.5) g.fillRect(x_di(i), y_di(c.v_media), Math.max(1, x_di(i + 1) - x_di(i)), area.y + area.h - y_di(c.v_media));
  });
  const evidenza = disegna_fasce(g, profilo, area, corse);
  g.strokeStyle = "#000";
  g.lineWidth = 1;
  g.beginPath();
  colonne.forEach((c, i) => {
    const x = (x_di(i) + x_di(i + 1)) / 2;
    if (i === 0) g.moveTo(x, y_di(c.v_media));
    else g.lineTo(x, y_di(c.v_media));
  });
  g.stroke();

  // Axes, the planing line, the speed labels that do not touch one another, the unit above the plot.
  g.beginPath();
  g.moveTo(area.x, area.y);
  g.lineTo(area.x, area.y + area.h);
  g.lineTo(area.x + area.w, area.y + area.h);
  g.stroke();
  g.setLineDash([4, 3]);
  g.beginPath();
  g.moveTo(area.x, y_di(profilo.soglia));
  g.lineTo(area.x + area.w, y_di(profilo.soglia));
  g.stroke();
  g.setLineDash([]);
  g.fillStyle = "#000";
  g.textBaseline = "middle";
  g.textAlign = "right";
  const poste = [];
  const scritte = [unita];
  for (const [v, testo] of etichette_v) {
    const y = y_del_valore(v);
    if (poste.some((altra) => Math.abs(altra - y) < alto_testo * 1.5)) continue;
    poste.push(y);
    scritte.push(testo);
    g.fillText(testo, area.x - 4, y);
  }
  g.textAlign = "left";
  g.textBaseline = "bottom";
  g.fillText(unita, area.x + 4, area.y - 2);

  // Dropped spikes: red triangles under the axis, clear of the curve.
  g.fillStyle = "#d00000";
  colonne.forEach((c, i) => {
    if (!c.salto) return;
    const x = (x_di(i) + x_di(i + 1)) / 2;
    const y = area.y + area.h + 2;
    g.beginPath();
    g.moveTo(x, y);
    g.lineTo(x - 4, y + 7);
    g.lineTo(x + 4, y + 7);
    g.closePath();
    g.fill();
  });

  // The times of day at both ends, and in the middle where there is room.
  g.fillStyle = "#000";
  g.textBaseline = "top";
  const inizio = profilo.ora_inizio === null ? 0 : profilo.ora_inizio;
  const durata = profilo.larghezza * colonne.length;
  const y_ore = area.y + area.h + 10;
  const ore = [
    [area.x, "left", inizio],
    [area.x + area.w, "right", inizio + durata],
    [area.x + area.w / 2, "center", inizio + durata / 2],
  ];
  const occupate = [];
  for (const [x, allineamento, secondi] of ore) {
    const testo = orario(secondi, false);
    const w = g.measureText(testo).width;
    const da = allineamento === "left" ? x : allineamento === "right" ? x - w : x - w / 2;
    if (occupate.some(([a, b]) => da < b + 6 && da + w > a - 6)) continue;
    occupate.push([da, da + w]);
    g.textAlign = allineamento;
    g.fillText(testo, x, y_ore);
  }
  tela.dataset.area = JSON.stringify(area);
  tela.dataset.etichette = JSON.stringify(scritte);
  tela.dataset.evidenza = JSON.stringify(evidenza);
}

// Each run as a pink band over the plot's height, at least 3 pixels wide so that 2 s of an hour shows;
// returns the bands' [left, right] in pixels.
function disegna_fasce(g, profilo, area, corse) {
  const durata = profilo.larghezza * profilo.colonne.length;
  const fasce = [];
  for (const corsa of corse) {
    const fascia = fascia_nel_profilo(profilo, corsa);
    if (!fascia) continue;
    const da = area.x + (fascia[0] / durata) * area.w;
    const a = area.x + (fascia[1] / durata) * area.w;
    const mezzo = (da + a) / 2;
    const largo = Math.max(a - da, 3);
    fasce.push([mezzo - largo / 2, mezzo + largo / 2]);
  }
  g.fillStyle = "rgba(230, 0, 126, 0.35)";
  for (const [da, a] of fasce) g.fillRect(da, area.y, a - da, area.h);
  return fasce;
}

// The caption for the pointer at `x` over `tela`: time, speed and planing of the column there; empty
// off the plot.
function testo_suggerimento(tela, profilo, nodi, x) {
  if (!profilo || profilo.colonne.length === 0 || !tela.dataset.area) return "";
  const area = JSON.parse(tela.dataset.area);
  if (x < area.x || x > area.x + area.w) return "";
  const n = profilo.colonne.length;
  const i = Math.min(n - 1, Math.floor(((x - area.x) / area.w) * n));
  const c = profilo.colonne[i];
  const inizio = profilo.ora_inizio === null ? 0 : profilo.ora_inizio;
  const velocita = nodi ? c.testo_nodi + " nodi" : c.testo + " km/h";
  return orario(Math.floor(inizio + (i + 0.5) * profilo.larghezza), true) + "  " + velocita +
    (c.planata >= 0.5 ? "  in planata" : "");
}

