// A canvas made ready for a new drawing: its pixels sized to its place on the page at the screen's
// resolution, cleared, and drawn on in CSS pixels. Returns the context and the size in CSS pixels.
"use strict";

function prepara_tela(tela) {
  const scala = window.devicePixelRatio || 1;
  const larghezza = tela.clientWidth;
  const altezza = tela.clientHeight;
  tela.width = Math.round(larghezza * scala);
  tela.height = Math.round(altezza * scala);
  const g = tela.getContext("2d");
  g.setTransform(scala, 0, 0, scala, 0, 0);
  g.clearRect(0, 0, larghezza, altezza);
  return { g, larghezza, altezza };
}
