// The worker that runs the core, so that the page keeps answering during a long run. It receives one track
// as the File the user chose ({file}); the core reads it block by block as it goes. The worker posts the
// line count as the run goes ({tipo: "avanzamento", testo}), at the end the report ({tipo: "fine",
// resoconto}) and, when a repaired track was made, out.gpx as a Blob ({tipo: "uscita", uscita}); or
// {tipo: "errore"} when the core itself failed. A file that cannot be read is the core's own read error,
// told as the window tells it.
"use strict";

importScripts("lurendo.js");
const modulo = creaLurendo();

function stringa(m, testo) {
  const lunghezza = m.lengthBytesUTF8(testo) + 1;
  const indirizzo = m._malloc(lunghezza);
  m.stringToUTF8(testo, indirizzo, lunghezza);
  return indirizzo;
}

// The reader the core calls for the next bytes of `file` (see read_track in web_entry.cpp): it fills
// `destinazione` and returns the count, 0 at the end. The File is read with FileReaderSync 16 MB at a
// time, since each read has a fixed cost of its own; the whole file is never held in memory.
function lettore(file) {
  let letti = 0;
  let da = 0;
  let fetta = null;
  return (destinazione) => {
    if (!fetta || letti >= da + fetta.length) {
      const fino = letti + Math.max(destinazione.length, 16 << 20);
      fetta = new Uint8Array(new FileReaderSync().readAsArrayBuffer(file.slice(letti, fino)));
      da = letti;
    }
    const dati = fetta.subarray(letti - da, Math.min(fetta.length, letti - da + destinazione.length));
    destinazione.set(dati);
    letti += dati.length;
    return dati.length;
  };
}

onmessage = async (evento) => {
  try {
    const inizio_lavoro = performance.now();
    const m = await modulo;
    const { file } = evento.data;
    m.leggi_traccia = lettore(file);
    const indirizzo_nome = stringa(m, file.name);
    const pronto = performance.now();
    const risposta = m._lurendo_ripara(indirizzo_nome, file.size);
    const riparata = performance.now();
    const resoconto = JSON.parse(m.UTF8ToString(risposta));
    m._free(indirizzo_nome);
    m.leggi_traccia = null;
    // Where the time went, in milliseconds, for the page's own measurements.
    const tempi = { avvio: pronto - inizio_lavoro, riparazione: riparata - pronto,
                    resoconto: performance.now() - riparata };
    postMessage({ tipo: "fine", resoconto, tempi });
    // The figures first; out.gpx follows as soon as its copy is made.
    const inizio = m._lurendo_out_gpx();
    const byte = m._lurendo_out_gpx_byte();
    if (byte > 0) {
      const uscita = new Blob([m.HEAPU8.subarray(inizio, inizio + byte)], { type: "application/gpx+xml" });
      postMessage({ tipo: "uscita", uscita });
    }
  } catch (errore) {
    postMessage({ tipo: "errore", messaggio: String(errore) });
  }
};
