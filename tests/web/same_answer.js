// One answer everywhere: every track of a folder goes through the WebAssembly core in node and through
// lurendo-cli --json, and the "risultato" object of the page's report must be the cli's object: every
// text equal, every number equal to the last bit, and out.gpx byte for byte.
//
// Usage: node same_answer.js --modulo build-web/page/lurendo.js --cli build/bin/lurendo-cli --tracce DIR
//
// The cli runs in a scratch folder on a link to the track named as the page names it, writing out.gpx
// there as the page does, so that file_in, file_out and the status line compare as they are.
"use strict";

const fs = require("fs");
const os = require("os");
const path = require("path");
const { spawnSync } = require("child_process");

function options(argv) {
  const found = {};
  for (let i = 0; i + 1 < argv.length; i += 2) {
    if (!argv[i].startsWith("--")) throw new Error("unexpected argument " + argv[i]);
    found[argv[i].slice(2)] = argv[i + 1];
  }
  for (const name of ["modulo", "cli", "tracce"])
    if (!found[name]) throw new Error("missing --" + name);
  return found;
}

function c_string(m, text) {
  const size = m.lengthBytesUTF8(text) + 1;
  const address = m._malloc(size);
  m.stringToUTF8(text, address, size);
  return address;
}

// The core's report on `track`, read with fs as the worker reads a File, and its out.gpx (null when it
// wrote none).
function core_run(m, track) {
  const fd = fs.openSync(track, "r");
  const name = c_string(m, path.basename(track));
  try {
    m.leggi_traccia = (destinazione) => fs.readSync(fd, destinazione, 0, destinazione.length, null);
    const report = m.UTF8ToString(m._lurendo_ripara(name, fs.fstatSync(fd).size));
    const start = m._lurendo_out_gpx();
    const size = m._lurendo_out_gpx_byte();
    return { report, out: size > 0 ? Buffer.from(m.HEAPU8.subarray(start, start + size)) : null };
  } finally {
    m.leggi_traccia = null;
    m._free(name);
    fs.closeSync(fd);
  }
}

function cli_run(cli, scratch, track) {
  const name = path.basename(track);
  fs.symlinkSync(path.resolve(track), path.join(scratch, name));
  try {
    const done = spawnSync(cli, ["--json", "-o", "out.gpx", name], { cwd: scratch, maxBuffer: 64 << 20 });
    if (done.error) throw done.error;
    const out_path = path.join(scratch, "out.gpx");
    const out = fs.existsSync(out_path) ? fs.readFileSync(out_path) : null;
    return { text: done.stdout.toString("utf8"), out };
  } finally {
    fs.rmSync(path.join(scratch, name), { force: true });
    fs.rmSync(path.join(scratch, "out.gpx"), { force: true });
  }
}

// The "risultato" member of the report's text, laid out as the cli prints an object of its own: the
// report is indented one level deeper, and its member ends at the first line that closes that level.
function result_text(report) {
  const lines = report.split("\n");
  if (lines[1] !== '    "risultato": {') return null;
  const end = lines.indexOf("    },", 2);
  if (end < 0) return null;
  return ["{", ...lines.slice(2, end).map((line) => line.slice(4)), "}"].join("\n");
}

// Where two parsed values differ, as "key.key: cli … core …"; numbers compared with Object.is, which
// tells every bit of a double apart (JSON texts of the two sides round-trip to the doubles printed).
function differences(cli, core, where, found) {
  const is_object = (v) => v !== null && typeof v === "object";
  if (is_object(cli) && is_object(core) && Array.isArray(cli) === Array.isArray(core)) {
    const cli_keys = Object.keys(cli);
    const core_keys = Object.keys(core);
    if (cli_keys.join("\n") !== core_keys.join("\n"))
      found.push(`${where || "(object)"}: keys cli [${cli_keys}] core [${core_keys}]`);
    for (const key of cli_keys)
      if (key in core) differences(cli[key], core[key], where ? where + "." + key : key, found);
  } else if (!Object.is(cli, core)) {
    found.push(`${where}: cli ${JSON.stringify(cli)} core ${JSON.stringify(core)}`);
  }
  return found;
}

function compare(cli, core) {
  let cli_object;
  let core_object;
  try {
    cli_object = JSON.parse(cli.text);
    core_object = JSON.parse(core.report).risultato;
  } catch (error) {
    return [`not JSON: ${error.message}`];
  }
  const found = differences(cli_object, core_object, "", []);
  const core_text = result_text(core.report);
  if (found.length === 0 && core_text !== cli.text.trimEnd())
    found.push("the texts differ where the values do not: " + JSON.stringify(core_text));
  const size = (out) => (out ? out.length + " bytes" : "none");
  if ((cli.out === null) !== (core.out === null) || (cli.out && !cli.out.equals(core.out)))
    found.push(`out.gpx: cli ${size(cli.out)}, core ${size(core.out)}`);
  return found;
}

async function main() {
  const started = Date.now();
  const args = options(process.argv.slice(2));
  // The module's bytes handed over: this Emscripten would fetch() a file path where node has fetch.
  const wasm = fs.readFileSync(args.modulo.replace(/\.js$/, ".wasm"));
  const m = await require(path.resolve(args.modulo))({ wasmBinary: wasm });
  const tracks = fs.readdirSync(args.tracce).filter((n) => /\.gpx$/i.test(n)).sort();
  if (tracks.length === 0) throw new Error("no .gpx file in " + args.tracce);
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), "lurendo-same-answer-"));
  const different = [];
  try {
    for (const name of tracks) {
      const track = path.join(args.tracce, name);
      const found = compare(cli_run(path.resolve(args.cli), scratch, track), core_run(m, track));
      if (found.length === 0) continue;
      different.push(name);
      console.log(`DIFFERENT ${name}`);
      for (const line of found) console.log("  " + line);
    }
  } finally {
    fs.rmSync(scratch, { recursive: true, force: true });
  }
  const seconds = ((Date.now() - started) / 1000).toFixed(1);
  console.log(`same answer: ${tracks.length - different.length} of ${tracks.length} tracks (${seconds} s)`);
  return different.length === 0 ? 0 : 1;
}

main().then(
  (code) => process.exit(code),
  (error) => {
    console.error(error);
    process.exit(2);
  }
);
