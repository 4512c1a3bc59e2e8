// The page: picks or receives a track, hands it to the worker, and lays out the run's report as the window
// does. Every figure's text comes from the report; this script only places it. The profile, the track
// and the runs are drawn by profilo.js, traccia.js and corse.js, on canvases that tela.js makes ready.
"use strict";

const $ = (id) => document.getElementById(id);
const CHIAVE_NODI = "lurendo.nodi";
const TESTO_INIZIALE = "Scegli una traccia GPX: premi Ripara o trascina il file .gpx sulla pagina.";

let lavoratore = null;
let in_corso = false;
let voci = [];
let profilo = null;
let migliori = null;  // the runs behind the speed results
let percorso = null;  // the track's shape
let scelta = null;  // the key of the result whose runs are highlighted
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

// The grid, the table, the interval warning, the profile and the track from the entries of the report;
// empty without entries. A result with runs behind it is a button in its row.
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
    riga.appendChild(nome);
    const valore = riga.insertCell();
    valore.textContent = v.tipo === "velocita" && nodi ? v.nodi : v.testo;
    const suggerimenti = [];
    const corse = v.tipo === "velocita" ? corse_di(migliori, v.chiave) : [];
    if (corse.length) {
      suggerimenti.push(testo_corse(corse));
      const bottone = document.createElement("button");
      bottone.type = "button";
      bottone.className = "corsa";
      bottone.textContent = v.titolo;
      bottone.setAttribute("aria-pressed", String(v.chiave === scelta));
      nome.appendChild(bottone);
      riga.classList.toggle("scelta", v.chiave === scelta);
      riga.dataset.chiave = v.chiave;
      riga.addEventListener("click", () => scegli(v.chiave));
    } else {
      nome.textContent = v.titolo;
    }
    if (v.tipo === "velocita" && fonte && fonte.numero !== "posizioni")
      suggerimenti.push("Dalle posizioni: " + (nodi ? v.posizioni_nodi : v.posizioni) + (nodi ? " nodi" : " km/h"));
    if (suggerimenti.length) riga.title = suggerimenti.join("\n");
  }
  mostra_scelta();
}

// The table's rows before any run: captions, no values.
const righe_vuote = ["2 s", "10 s", "5×10 s", "500 m", "Alpha 500", "Miglio", "1 ora"]
  .map((titolo) => ({ tipo: "velocita", titolo, testo: "", nodi: "" }))
  .concat([{ tipo: "quota", titolo: "Planata %", testo: "" }]);

// A click on a result's row highlights its runs, a second click takes the highlight away.
function scegli(chiave) {
  scelta = scelta === chiave ? null : chiave;
  for (const riga of $("tabella_velocita").rows) {
    const scelta_qui = riga.dataset.chiave !== undefined && riga.dataset.chiave === scelta;
    riga.classList.toggle("scelta", scelta_qui);
    const bottone = riga.querySelector("button");
    if (bottone) bottone.setAttribute("aria-pressed", String(scelta_qui));
  }
  mostra_scelta();
}

// The chosen result's runs: their times under the table, their spans in the profile, their stretches in
// the track.
function mostra_scelta() {
  const corse = scelta ? corse_di(migliori, scelta) : [];
  const v = scelta ? voce(scelta) : null;
  const separa = corse.length > 1 ? ":\n" : ": ";
  $("lbl_corsa").textContent = corse.length && v ? v.titolo + separa + testo_corse(corse) : "";
  disegna_viste();
}

function disegna_viste() {
  const corse = scelta ? corse_di(migliori, scelta) : [];
  disegna_profilo($("profilo"), profilo, in_nodi(), corse);
  disegna_traccia($("traccia"), percorso, corse, profilo ? profilo.soglia : 0);
  const soglia = profilo ? (in_nodi() ? profilo.soglia_testo_nodi + " nodi" : profilo.soglia_testo + " km/h") : "";
  $("legenda_traccia").textContent = percorso
    ? "Giallo: in planata (oltre " + soglia + "); da grigio a blu: più lento. Un clic su un risultato lo mostra in rosa."
    : "La traccia compare qui dopo la riparazione.";
}

// "Traccia" shows the track over the profile, "Profilo" the profile alone, as the page first shows it.
function mostra_vista(traccia) {
  $("cmd_profilo").setAttribute("aria-pressed", String(!traccia));
  $("cmd_traccia").setAttribute("aria-pressed", String(traccia));
  $("vista_traccia").hidden = !traccia;
  disegna_viste();
}

function togli_scarico() {
  if (indirizzo_uscita) URL.revokeObjectURL(indirizzo_uscita);
  indirizzo_uscita = null;
  $("scarico").hidden = true;
}

// The page writes no file: out.gpx is ready to be downloaded, which the line under the status tells. The
// core's status names the file it wrote ("File: out.gpx"), which is left out here.
function testo_eseguito(testo, uscita) {
  const nome = " File: " + uscita;
  return uscita && testo.endsWith(nome) ? testo.slice(0, -nome.length) : testo;
}

function concludi(dati) {
  in_corso = false;
  $("cmd_ripara").disabled = false;
  if (dati.tipo !== "fine") {
    termina_lavoratore();
    voci = [];
    profilo = null;
    migliori = null;
    percorso = null;
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
  migliori = voci.length ? risultato.migliori : null;
  percorso = voci.length ? risultato.percorso : null;
  const stato = resoconto.voci.find((v) => v.chiave === "lbl_risultato").testo;
  mostra_stato(ok ? testo_eseguito(stato, risultato.file_out) : stato, !ok);
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
        $("scarico").hidden = false;
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
  $("lbl_traccia").textContent = "Traccia: " + file.name;
  // No figure of the previous track stays beside the new one's status line.
  voci = [];
  profilo = null;
  migliori = null;
  percorso = null;
  scelta = null;
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
$("profilo").addEventListener("mousemove", (evento) => {
  $("suggerimento_profilo").textContent = testo_suggerimento($("profilo"), profilo, in_nodi(), evento.offsetX);
});
$("profilo").addEventListener("mouseleave", () => ($("suggerimento_profilo").textContent = ""));
window.addEventListener("resize", disegna_viste);
$("cmd_profilo").addEventListener("click", () => mostra_vista(false));
$("cmd_traccia").addEventListener("click", () => mostra_vista(true));

// What was dropped, when it is not one .gpx file: a message instead of a run; null when it is one.
function rifiuto_trascinati(files) {
  if (files.length === 0) return "Nessun file: trascina sulla pagina un file .gpx dal computer.";
  if (files.length > 1) return "Hai trascinato " + files.length + " file: trascinane uno solo, una traccia .gpx.";
  if (!/\.gpx$/i.test(files[0].name)) return "«" + files[0].name + "» non è una traccia GPX: serve un file .gpx.";
  return null;
}

// One .gpx file dropped anywhere on the page starts the same run.
document.addEventListener("dragover", (evento) => {
  evento.preventDefault();
  document.body.classList.add("trascinando");
});
document.addEventListener("dragleave", () => document.body.classList.remove("trascinando"));
document.addEventListener("drop", (evento) => {
  evento.preventDefault();
  document.body.classList.remove("trascinando");
  if (in_corso) return;  // the running track's progress stays on show
  const files = evento.dataTransfer.files;
  const rifiuto = rifiuto_trascinati(files);
  if (rifiuto) mostra_stato(rifiuto, true);
  else ripara(files[0]);
});

mostra_voci();
mostra_stato(TESTO_INIZIALE, false);
// The page's own files are kept for use without network; a page opened as a file has none to keep.
if ("serviceWorker" in navigator && /^https?:$/.test(location.protocol))
  navigator.serviceWorker.register("servizio.js").catch(() => {});
// The worker and its WebAssembly start with the page, while the user picks a track.
try {
  lavoratore = nuovo_lavoratore();
} catch {
  lavoratore = null;  // a page opened from file:// may not start workers: ripara() tries again and says so
}
