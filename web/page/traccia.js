// The track seen from above, drawn from the report's shape ("percorso": metres east and north of the first
// point): the same metres per pixel across and up, north at the top, each stretch coloured by its speed,
// the start marked, a scale bar and a north arrow; the stretches of the chosen runs stand out. What was
// drawn goes to the canvas's data attributes: vertici (vertices drawn), limiti ([west, east, south, north]
// in metres), trasformazione ([x, y, pixels per metre]: x + est·k, y − nord·k), scala (the bar in metres),
// evidenziati (the vertices where highlighted stretches arrive).
"use strict";

const GIALLO_PLANATA = "rgb(255, 255, 192)";
const COLORE_CORSA = "rgb(230, 0, 126)";
const BORDO_TRACCIA = "rgb(40, 40, 40)";

// Planing stretches (faster than the threshold, as the totals count them) in the profile's yellow;
// slower ones from light grey (standing) to blue (near planing).
function colore_velocita(kmh, soglia) {
  if (kmh > soglia) return GIALLO_PLANATA;
  const t = Math.max(0, kmh) / soglia;
  const tra = (a, b) => Math.round(a + (b - a) * t);
  return `rgb(${tra(215, 20)}, ${tra(215, 80)}, ${tra(215, 210)})`;
}

// The longest bar of 1, 2 or 5 × 10^n metres that is at most `massimo` metres.
function metri_della_scala(massimo) {
  const passo = Math.pow(10, Math.floor(Math.log10(massimo)));
  for (const multiplo of [5, 2]) if (multiplo * passo <= massimo) return multiplo * passo;
  return passo;
}

function testo_metri(metri) {
  return metri >= 1000 ? metri / 1000 + " km" : metri + " m";
}

function svuota_traccia(tela) {
  for (const chiave of ["vertici", "limiti", "trasformazione", "scala", "evidenziati"]) delete tela.dataset[chiave];
}

// Draws `percorso` on `tela` with `corse` (runs) highlighted; `soglia` is the planing speed in km/h.
function disegna_traccia(tela, percorso, corse, soglia) {
  const { g, larghezza, altezza } = prepara_tela(tela);
  svuota_traccia(tela);
  if (!percorso || percorso.est.length === 0 || larghezza === 0) return;

  const { est, nord, velocita } = percorso;
  const n = est.length;
  const limiti = [Math.min(...est), Math.max(...est), Math.min(...nord), Math.max(...nord)];
  const margine = 28;
  const ampio = Math.max(limiti[1] - limiti[0], 1);
  const alto = Math.max(limiti[3] - limiti[2], 1);
  const k = Math.max(Math.min((larghezza - 2 * margine) / ampio, (altezza - 2 * margine) / alto), 1e-6);
  // The track's middle at the canvas's middle.
  const x0 = larghezza / 2 - ((limiti[0] + limiti[1]) / 2) * k;
  const y0 = altezza / 2 + ((limiti[2] + limiti[3]) / 2) * k;
  const x = (i) => x0 + est[i] * k;
  const y = (i) => y0 - nord[i] * k;
  const inizi = new Set(percorso.inizio_linee);

  g.fillStyle = "#fff";
  g.fillRect(0, 0, larghezza, altezza);
  g.lineCap = "round";
  g.lineJoin = "round";
  const tratto = (i, colore, spessore) => {
    g.strokeStyle = colore;
    g.lineWidth = spessore;
    g.beginPath();
    g.moveTo(x(i - 1), y(i - 1));
    g.lineTo(x(i), y(i));
    g.stroke();
  };
  // The dark casing under every stretch first, so the pale colours show on white.
  for (let i = 1; i < n; ++i) if (!inizi.has(i)) tratto(i, BORDO_TRACCIA, 5);
  for (let i = 1; i < n; ++i) if (!inizi.has(i)) tratto(i, colore_velocita(velocita[i], soglia), 3);

  // The chosen runs over the rest, each ringed so that a run of a few metres is found at a glance; the
  // five runs of 5×10 s numbered.
  const evidenziati = [];
  corse.forEach((corsa, numero) => {
    const tratti = tratti_della_corsa(percorso, corsa);
    for (const i of tratti) tratto(i, BORDO_TRACCIA, 9);
    for (const i of tratti) tratto(i, COLORE_CORSA, 6);
    for (const i of tratti) evidenziati.push(i - 1, i);
    if (tratti.length === 0) return;
    const centro = tratti[Math.floor(tratti.length / 2)];
    const cx = (x(centro - 1) + x(centro)) / 2;
    const cy = (y(centro - 1) + y(centro)) / 2;
    g.strokeStyle = COLORE_CORSA;
    g.lineWidth = 2;
    g.beginPath();
    g.arc(cx, cy, 14, 0, 2 * Math.PI);
    g.stroke();
    if (corse.length > 1) {
      g.font = "bold 12px 'Liberation Sans', Arial, sans-serif";
      g.fillStyle = COLORE_CORSA;
      g.textAlign = "left";
      g.textBaseline = "bottom";
      g.fillText(String(numero + 1), cx + 11, cy - 9);
    }
  });

  // The start: a green dot with a white ring.
  g.fillStyle = "rgb(0, 150, 60)";
  g.strokeStyle = "#fff";
  g.lineWidth = 2;
  g.beginPath();
  g.arc(x(0), y(0), 6, 0, 2 * Math.PI);
  g.fill();
  g.stroke();
  g.font = "12px 'Liberation Sans', Arial, sans-serif";
  g.fillStyle = "#000";
  g.textAlign = "left";
  g.textBaseline = "middle";
  g.fillText("Partenza", Math.min(x(0) + 10, larghezza - g.measureText("Partenza").width - 2), y(0));

  const metri = disegna_scala(g, k, altezza);
  disegna_nord(g, larghezza);

  tela.dataset.vertici = String(n);
  tela.dataset.limiti = JSON.stringify(limiti);
  tela.dataset.trasformazione = JSON.stringify([x0, y0, k]);
  tela.dataset.scala = String(metri);
  tela.dataset.evidenziati = JSON.stringify([...new Set(evidenziati)].sort((a, b) => a - b));
}

// The scale bar at the bottom left, at most a quarter of the width; returns its metres.
function disegna_scala(g, k, altezza) {
  const larghezza = g.canvas.clientWidth;
  const metri = metri_della_scala(Math.max(larghezza / 4, 40) / k);
  const lungo = metri * k;
  const x = 10;
  const y = altezza - 12;
  g.strokeStyle = "#000";
  g.lineWidth = 2;
  g.lineCap = "butt";
  g.beginPath();
  g.moveTo(x, y - 5);
  g.lineTo(x, y);
  g.lineTo(x + lungo, y);
  g.lineTo(x + lungo, y - 5);
  g.stroke();
  g.fillStyle = "#000";
  g.textAlign = "left";
  g.textBaseline = "bottom";
  g.fillText(testo_metri(metri), x + 4, y - 3);
  return metri;
}

// An arrow to the top of the canvas with an N over it, at the top right.
function disegna_nord(g, larghezza) {
  const x = larghezza - 18;
  g.fillStyle = "#000";
  g.beginPath();
  g.moveTo(x, 20);
  g.lineTo(x - 6, 38);
  g.lineTo(x, 33);
  g.lineTo(x + 6, 38);
  g.closePath();
  g.fill();
  g.font = "bold 12px 'Liberation Sans', Arial, sans-serif";
  g.textAlign = "center";
  g.textBaseline = "bottom";
  g.fillText("N", x, 19);
}
