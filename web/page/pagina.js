// The page: picks or receives a track, hands it to the worker, and lays out the run's report as the window
// does. Every figure's text comes from the report; this script only places it.
"use strict";

const $ = (id) => document.getElementById(id);
const CHIAVE_NODI = "lurendo.nodi";

let lavoratore = null;
let in_corso = false;
let voci = [];
let profilo = null;
let indirizzo_uscita = null;  // the Blob URL of the last out.gpx, while one may be downloaded

function voce(chiave) {
  return voci.find((v) => v.chiave === chiave);
}

function in_nodi() {
  try {
    return localStorage.getItem(CHIAVE_NODI) === "1";
  } catch {
    return false;  // storage may be refused (a file:// page, private windows): km/h then
  }
}

function mostra_stato(testo, errore) {
  $("lbl_risultato").textContent = testo;
  $("lbl_risultato").classList.toggle("errore", Boolean(errore));
}

// The grid, the table, the interval warning and the profile from the entries of the report; empty
// without entries.
function mostra_voci() {
  $("suggerimento_profilo").textContent = "";
  for (const chiave of ["tempo_tot", "dist_tot", "tempo_parz", "dist_parz"]) {
    const v = voce(chiave);
    $("lbl_" + chiave).textContent = v ? v.testo : "";
  }
  const nodi = in_nodi();
  $("titolo_velocita").textContent = nodi ? "Velocità (nodi)" : "Velocità (km/h)";
  const fonte = voce("fonte_velocita");
  $("fonte_velocita").textContent = fonte ? fonte.testo : "";
  const intervallo = voce("intervallo_mediano_s");
  $("avviso_intervallo").textContent = intervallo ? intervallo.testo : "";
  const corpo = $("tabella_velocita").tBodies[0];
  corpo.replaceChildren();
  for (const v of voci.length ? voci : righe_vuote) {
    if (v.tipo !== "velocita" && v.tipo !== "quota") continue;
    const riga = corpo.insertRow();
    const nome = document.createElement("th");
    nome.scope = "row";
    nome.textContent = v.titolo;
    riga.appendChild(nome);
    const valore = riga.insertCell();
    valore.textContent = v.tipo === "velocita" && nodi ? v.nodi : v.testo;
    if (v.tipo === "velocita" && fonte && fonte.numero !== "posizioni")
      riga.title = "Dalle posizioni: " + (nodi ? v.posizioni_nodi : v.posizioni) + (nodi ? " nodi" : " km/h");
  }
  disegna_profilo();
}

// The table's rows before any run: captions, no values.
const righe_vuote = ["2 s", "10 s", "5×10 s", "500 m", "Alpha 500", "Miglio", "1 ora"]
  .map((titolo) => ({ tipo: "velocita", titolo, testo: "", nodi: "" }))
  .concat([{ tipo: "quota", titolo: "Planata %", testo: "" }]);

function orario(secondi, con_secondi) {
  const s = ((Math.floor(secondi) % 86400) + 86400) % 86400;
  const due = (n) => String(n).padStart(2, "0");
  const testo = due(Math.floor(s / 3600)) + ":" + due(Math.floor(s / 60) % 60);
  return con_secondi ? testo + ":" + due(s % 60) : testo;
}

// Speed over the time of day, in the unit the table shows: planing columns in the grid's yellow, the
// dashed planing line, red triangles under the axis where GPS spikes were dropped. Labels are placed only
// where they do not touch another; the unit and the speed labels drawn go to the canvas's data-etichette.
function disegna_profilo() {
  const tela = $("profilo");
  const scala = window.devicePixelRatio || 1;
  const larghezza = tela.clientWidth;
  const altezza = tela.clientHeight;
  tela.width = Math.round(larghezza * scala);
  tela.height = Math.round(altezza * scala);
  const g = tela.getContext("2d");
  g.setTransform(scala, 0, 0, scala, 0, 0);
  g.clearRect(0, 0, larghezza, altezza);
  delete tela.dataset.area;
  delete tela.dataset.etichette;
  if (!profilo || profilo.colonne.length === 0) return;

  g.font = "11px 'Liberation Sans', Arial, sans-serif";
  const alto_testo = 11;
  const colonne = profilo.colonne;
  const nodi = in_nodi();
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

  // Planing columns, then the curve of the mean speed.
  g.fillStyle = "rgb(255, 255, 192)";
  colonne.forEach((c, i) => {
    if (c.planata >= 0.5) g.fillRect(x_di(i), y_di(c.v_media), Math.max(1, x_di(i + 1) - x_di(i)), area.y + area.h - y_di(c.v_media));
  });
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
}

function suggerimento_profilo(evento) {
  const uscita = $("suggerimento_profilo");
  if (!profilo || profilo.colonne.length === 0 || !$("profilo").dataset.area) {
    uscita.textContent = "";
    return;
  }
  const area = JSON.parse($("profilo").dataset.area);
  const x = evento.offsetX;
  if (x < area.x || x > area.x + area.w) {
    uscita.textContent = "";
    return;
  }
  const n = profilo.colonne.length;
  const i = Math.min(n - 1, Math.floor(((x - area.x) / area.w) * n));
  const c = profilo.colonne[i];
  const inizio = profilo.ora_inizio === null ? 0 : profilo.ora_inizio;
  const velocita = in_nodi() ? c.testo_nodi + " nodi" : c.testo + " km/h";
  uscita.textContent = orario(inizio + (i + 0.5) * profilo.larghezza, true) + "  " + velocita +
    (c.planata >= 0.5 ? "  in planata" : "");
}

function togli_scarico() {
  if (indirizzo_uscita) URL.revokeObjectURL(indirizzo_uscita);
  indirizzo_uscita = null;
  $("cmd_scarica").hidden = true;
}

function concludi(dati) {
  in_corso = false;
  $("cmd_ripara").disabled = false;
  if (dati.tipo !== "fine") {
    termina_lavoratore();
    voci = [];
    profilo = null;
    mostra_stato("Errore: errore imprevisto (" + dati.messaggio + ")", true);
    mostra_voci();
    return;
  }
  const { resoconto } = dati;
  document.body.dataset.tempi = JSON.stringify(dati.tempi || {});
  const risultato = resoconto.risultato;
  const ok = risultato.esito === "eseguito";
  // No figures beside an error about the input, as in the window.
  voci = resoconto.voci.some((v) => v.chiave === "dist_tot") ? resoconto.voci : [];
  profilo = voci.length ? resoconto.profilo : null;
  mostra_stato(resoconto.voci.find((v) => v.chiave === "lbl_risultato").testo, !ok);
  mostra_voci();
  $("cmd_ripara").focus();
  document.body.dataset.durata = String(performance.now() - Number(document.body.dataset.inizio));
  document.body.dataset.stato = "concluso";
}

// A worker whose module failed (did not load, or aborted in a run) is of no further use: it is ended, and
// the next run starts another. Otherwise one worker serves every run of the page.
function termina_lavoratore() {
  if (lavoratore) lavoratore.terminate();
  lavoratore = null;
}

function nuovo_lavoratore() {
  const w = new Worker("lavoro.js");
  w.onmessage = (evento) => {
    const dati = evento.data;
    if (dati.tipo === "avanzamento") {
      mostra_stato(dati.testo, false);
    } else if (dati.tipo === "uscita") {
      // Offered only for the run whose report is on show.
      if (!in_corso) {
        indirizzo_uscita = URL.createObjectURL(dati.uscita);
        $("cmd_scarica").hidden = false;
      }
    } else {
      concludi(dati);
    }
  };
  w.onerror = (evento) => {
    evento.preventDefault();
    concludi({ tipo: "errore", messaggio: evento.message || "il modulo non si carica" });
  };
  return w;
}

function ripara(file) {
  if (in_corso || !file) return;
  in_corso = true;
  document.body.dataset.inizio = String(performance.now());
  document.body.dataset.stato = "in_corso";
  $("cmd_ripara").disabled = true;
  togli_scarico();
  // No figure of the previous track stays beside the new one's status line.
  voci = [];
  profilo = null;
  mostra_voci();
  mostra_stato("Righe elaborate: 0", false);
  try {
    if (!lavoratore) lavoratore = nuovo_lavoratore();
    lavoratore.postMessage({ file });
  } catch (errore) {
    // Some browsers start no worker for a page opened from a file: the page must come from a server.
    in_corso = false;
    $("cmd_ripara").disabled = false;
    mostra_stato("Errore: questo browser non esegue la pagina aperta come file; aprirla da un server web", true);
    document.body.dataset.stato = "concluso";
  }
}

function scarica() {
  if (!indirizzo_uscita) return;
  const a = document.createElement("a");
  a.href = indirizzo_uscita;
  a.download = "out.gpx";
  document.body.appendChild(a);
  a.click();
  a.remove();
}

$("cmd_ripara").addEventListener("click", () => $("scelta_file").click());
$("scelta_file").addEventListener("change", () => {
  const file = $("scelta_file").files[0];
  $("scelta_file").value = "";  // the same file may be picked again
  ripara(file);
});
$("cmd_scarica").addEventListener("click", scarica);
$("titolo_velocita").addEventListener("click", () => {
  try {
    localStorage.setItem(CHIAVE_NODI, in_nodi() ? "0" : "1");
  } catch {
    // the choice then lasts only while it is shown
  }
  mostra_voci();
});
$("profilo").addEventListener("mousemove", suggerimento_profilo);
$("profilo").addEventListener("mouseleave", () => ($("suggerimento_profilo").textContent = ""));
window.addEventListener("resize", disegna_profilo);

// One .gpx file dropped anywhere on the page starts the same run.
document.addEventListener("dragover", (evento) => {
  evento.preventDefault();
  document.body.classList.add("trascinando");
});
document.addEventListener("dragleave", () => document.body.classList.remove("trascinando"));
document.addEventListener("drop", (evento) => {
  evento.preventDefault();
  document.body.classList.remove("trascinando");
  const file = evento.dataTransfer.files[0];
  if (evento.dataTransfer.files.length === 1 && /\.gpx$/i.test(file.name)) ripara(file);
});

mostra_voci();
// The worker and its WebAssembly start with the page, while the user picks a track.
try {
  lavoratore = nuovo_lavoratore();
} catch {
  lavoratore = null;  // a page opened from file:// may not start workers: ripara() tries again and says so
}
