#!/usr/bin/env python3
"""Every corpus track through lurendo-cli, and its out.gpx through the independent four_figures.py: the
raw totals must agree. Exit 77 (skipped) without the corpus.

Usage: check_corpus.py LURENDO_CLI CORPUS_DIR"""
import json
import os
import pathlib
import subprocess
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import four_figures  # noqa: E402

KEYS = ("tempo_tot", "dist_tot", "tempo_parz", "dist_parz")


def main(cli, corpus):
    tracks = sorted(pathlib.Path(corpus).glob("*.gpx"))
    if not tracks:
        print(f"no GPX corpus at {corpus}")
        return 77
    failures = 0
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, "out.gpx")
        for track in tracks:
            run = subprocess.run([cli, "--json", "-o", out, str(track)], capture_output=True, text=True)
            result = json.loads(run.stdout)
            if result["esito"] != "eseguito":
                continue  # nothing written: nothing to check
            with open(out, encoding="latin-1") as f:
                expected = four_figures.four_figures(f.read())
            wrong = [k for k in KEYS if abs(result[k] - expected[k]) > 1e-9 * max(1.0, abs(expected[k]))]
            for k in wrong:
                print(f"{track.name}: {k} {result[k]!r}, expected {expected[k]!r}")
            failures += bool(wrong)
    print(f"{len(tracks)} tracks, {failures} with other figures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
