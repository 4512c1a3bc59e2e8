"""The web page in a real browser: headless Chromium driven through ChromeDriver loads tracks through the
file input, as a user picks them, and what the page shows and offers for download must be exactly what
lurendo-cli gives for the same track. The track view, the runs behind the results, the messages to a new
user and the page offline are checked by track_checks, status_checks and offline_checks.

Usage: web_test.py --page DIR --cli LURENDO_CLI [--shared DIR] [--screens DIR] [--bench TRACK]
"""

import argparse
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from harness import FIGURES, Results, browser, cli_run, load, pick, serve
from offline_checks import check_manifest, check_offline
from status_checks import check_drops, check_first_visit
from track_checks import check_run_highlight, check_track_view

CORPUS_TRACKS = [
    "ws-motion-gpx10-20220716.gpx",  # device speeds in GPX 1.0
    "mapsource-mixed-crlf-cr.gpx",  # every kind of line end
    "garminconnect-activity.gpx",  # a slow track, extensions on their own lines
]

# What the page shows at the moment a run starts, taken once as its state turns "in_corso": after the
# handler of the choice has run and before the worker can answer.
SHOWN_AT_START = """
window.shownAtStart = null;
new MutationObserver(() => {
  if (document.body.dataset.stato !== "in_corso" || window.shownAtStart) return;
  const text = (id) => document.getElementById(id).textContent;
  const canvas = document.getElementById("profilo");
  const pixels = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
  window.shownAtStart = {
    figures: ["lbl_tempo_tot", "lbl_dist_tot", "lbl_tempo_parz", "lbl_dist_parz"].map(text).join(""),
    speeds: [...document.querySelectorAll("#tabella_velocita td")].map((td) => td.textContent).join(""),
    notes: ["fonte_velocita", "avviso_intervallo", "suggerimento_profilo"].map(text).join(""),
    profile_drawn: pixels.some((p) => p !== 0),
  };
}).observe(document.body, { attributes: true, attributeFilter: ["data-stato"] });
"""


def write_tracks(folder):
    """Two tracks at about 36 km/h: "doppler.gpx", points 1 s and 10 m apart with the receiver's 10 m/s;
    "posizioni.gpx", points 3 s and 30 m apart with no speed of the receiver."""
    doppler = "".join(
        f'<trkpt lat="45.{i * 90:06d}" lon="10.0"><time>2022-07-16T10:00:{i:02d}Z</time>'
        "<extensions><speed>10</speed></extensions></trkpt>\n" for i in range(30))
    positions = "".join(
        f'<trkpt lat="45.{i * 270:06d}" lon="10.0"><time>2022-07-16T10:{3 * i // 60:02d}:{3 * i % 60:02d}Z'
        "</time></trkpt>\n" for i in range(30))
    paths = {}
    for name, points in [("doppler.gpx", doppler), ("posizioni.gpx", positions)]:
        paths[name] = os.path.join(folder, name)
        with open(paths[name], "w") as f:
            f.write("<gpx><trk><trkseg>\n" + points + "</trkseg></trk></gpx>\n")
    return paths


def hover_profile(driver):
    """The caption under the profile with the pointer on the middle of the plot."""
    ActionChains(driver).move_to_element(driver.find_element(By.ID, "profilo")).perform()
    return driver.find_element(By.ID, "suggerimento_profilo").get_attribute("textContent")


def profile_labels(driver):
    labels = driver.execute_script("return document.getElementById('profilo').dataset.etichette")
    return json.loads(labels) if labels else []


def caption_speed(caption, unit):
    """The speed the profile's caption tells in `unit` ("36,1 km/h  in planata"), or None."""
    match = re.search(r"  (\d+,\d) " + re.escape(unit) + "  in planata$", caption)
    return float(match.group(1).replace(",", ".")) if match else None


def check_one_worker(driver, url, results, tracks):
    """Runs and unit switches share the page's one worker: none is left behind for the page to carry."""
    driver.get(url)
    for name in ["doppler.gpx", "posizioni.gpx", "doppler.gpx", "posizioni.gpx"]:
        results.check(pick(driver, tracks[name]), name + ": the page never finished")
        for _ in range(2):
            driver.find_element(By.ID, "titolo_velocita").click()
    count = driver.execute_script("return window.workerCount")
    results.check(count["started"] - count["ended"] == 1,
                  f"live workers after 4 runs and 8 unit switches: {count}")


def check_cleared_at_start(driver, url, results, tracks):
    """While a new track is read, nothing of the previous one is on show: figures, speeds, source,
    interval warning, profile and its caption."""
    driver.get(url)
    pick(driver, tracks["posizioni.gpx"])
    hover_profile(driver)
    driver.execute_script(SHOWN_AT_START)
    before = {key: driver.find_element(By.ID, key).text
              for key in ["lbl_dist_tot", "avviso_intervallo", "suggerimento_profilo"]}
    results.check(all(before.values()), "nothing on show to clear: " + str(before))
    pick(driver, tracks["doppler.gpx"])
    shown = driver.execute_script("return window.shownAtStart")
    results.check(shown == {"figures": "", "speeds": "", "notes": "", "profile_drawn": False},
                  "the previous track's figures stay on show as a run starts: " + str(shown))


def check_units_and_notes(driver, url, results, tracks):
    """In knots the profile's scale, planing line, unit and caption are in knots (18 / 1.852 = 9,7; 36
    km/h tops at 40, 19.4 knots at 20); the interval warning is on show under the table; each row tells
    the result from the positions only where the speeds are the receiver's."""
    driver.get(url)
    pick(driver, tracks["doppler.gpx"])
    kmh = caption_speed(hover_profile(driver), "km/h")
    results.check(kmh is not None and abs(kmh - 36) < 0.5, "profile caption in km/h: " + hover_profile(driver))
    labels = set(profile_labels(driver))
    results.check({"km/h", "18", "40"} <= labels, "km/h labels " + str(labels))
    driver.find_element(By.ID, "titolo_velocita").click()
    knots = caption_speed(hover_profile(driver), "nodi")
    results.check(knots is not None and kmh is not None and abs(knots - kmh / 1.852) < 0.08,
                  f"profile caption in knots: {hover_profile(driver)!r}, {kmh} km/h")
    labels = set(profile_labels(driver))
    results.check({"nodi", "9,7", "20"} <= labels and not labels & {"km/h", "18", "40"},
                  "knots labels " + str(labels))
    driver.find_element(By.ID, "titolo_velocita").click()  # back to km/h for the other checks

    rows = driver.find_elements(By.CSS_SELECTOR, "#tabella_velocita tr")[:7]
    tips = [row.get_attribute("title") for row in rows]
    results.check(len(tips) == 7 and all("Dalle posizioni: " in t for t in tips),
                  "Doppler track: rows without the positions' result " + str(tips))
    results.check(driver.find_element(By.ID, "avviso_intervallo").text == "", "1 s apart: interval warning shown")

    pick(driver, tracks["posizioni.gpx"])
    tips = [row.get_attribute("title") for row in driver.find_elements(By.CSS_SELECTOR, "#tabella_velocita tr")]
    results.check(not any("Dalle posizioni" in t for t in tips),
                  "positions only: rows tell the positions' result " + str(tips))
    warning = driver.find_element(By.ID, "avviso_intervallo")
    results.check(warning.is_displayed() and warning.text.startswith("Punti registrati ogni 3 s"),
                  "3 s apart: interval warning " + repr(warning.text))


def downloaded(driver, downloads, timeout=60):
    for name in os.listdir(downloads):
        os.remove(os.path.join(downloads, name))
    button = driver.find_element(By.ID, "cmd_scarica")
    deadline = time.time() + timeout
    while not button.is_displayed() and time.time() < deadline:
        time.sleep(0.05)
    button.click()
    target = os.path.join(downloads, "out.gpx")
    deadline = time.time() + timeout
    while time.time() < deadline:
        names = os.listdir(downloads)
        if "out.gpx" in names and not any(n.endswith(".crdownload") for n in names):
            with open(target, "rb") as f:
                return f.read()
        time.sleep(0.05)
    return None


def page_texts(driver):
    figures = {key: driver.find_element(By.ID, key).text for key in FIGURES}
    rows = driver.find_elements(By.CSS_SELECTOR, "#tabella_velocita tr")
    speeds = [row.find_element(By.TAG_NAME, "td").text for row in rows]
    return figures, speeds


def check_track(driver, url, results, cli, folder, name, downloads):
    report, expected = cli_run(cli, folder, name)
    if not load(driver, url, os.path.join(folder, name)):
        results.check(False, name + ": the page never finished")
        return
    status = driver.find_element(By.ID, "lbl_risultato").text
    results.check(status.startswith("Procedura eseguita."), name + ": status " + status)
    figures, speeds = page_texts(driver)
    for key in FIGURES:
        results.check(figures[key] == report[key], f"{name}: {key} {figures[key]!r} != {report[key]!r}")
    cli_speeds = list(report["lbl_velocita"].values())
    results.check(speeds[: len(cli_speeds)] == cli_speeds, f"{name}: speeds {speeds} != {cli_speeds}")
    results.check(driver.find_element(By.ID, "fonte_velocita").text != "", name + ": no source of the speeds")
    data = downloaded(driver, downloads)
    results.check(data is not None and data == expected,
                  f"{name}: downloaded out.gpx differs ({len(data or b'')} bytes, lurendo-cli {len(expected)})")


def check_empty(driver, url, results, cli, folder):
    name = "vuota.gpx"
    with open(os.path.join(folder, name), "wb"):
        pass
    report, _ = cli_run(cli, folder, name)
    results.check(load(driver, url, os.path.join(folder, name)), "empty file: the page never finished")
    status = driver.find_element(By.ID, "lbl_risultato").text
    results.check(status == report["lbl_risultato"], f"empty file: {status!r} != {report['lbl_risultato']!r}")
    time.sleep(0.5)  # out.gpx would follow the report
    results.check(not driver.find_element(By.ID, "cmd_scarica").is_displayed(), "empty file: download offered")
    figures, _ = page_texts(driver)
    results.check(all(v == "" for v in figures.values()), "empty file: figures shown " + str(figures))


def check_layout(driver, url, results, sample, screens):
    """Keyboard first, then the phone's width: the grid, the profile and the table one under the other,
    and the track within the width. The screenshots: the page as it first shows a track, then the track
    view with the 5×10 s runs chosen, on a desktop and on a phone."""
    driver.get(url)
    driver.find_element(By.TAG_NAME, "body").send_keys(Keys.TAB)
    focused = driver.execute_script("return document.activeElement.id")
    results.check(focused == "cmd_ripara", "Tab does not reach Ripara first: " + str(focused))
    load(driver, url, sample)
    if screens:
        driver.save_screenshot(os.path.join(screens, "web-desktop.png"))
    driver.set_window_size(360, 800)
    time.sleep(0.3)
    boxes = driver.execute_script(
        "return ['griglia', 'profilo', 'tabella_velocita'].map(id => document.getElementById(id)"
        ".getBoundingClientRect()).map(r => [r.left, r.top, r.right, r.bottom]);")
    stacked = boxes[0][3] <= boxes[1][1] and boxes[1][3] <= boxes[2][1]
    fits = all(box[2] <= 360 for box in boxes)
    results.check(stacked and fits, "at 360 px the results do not stack within the width: " + str(boxes))
    if screens:
        driver.save_screenshot(os.path.join(screens, "web-telefono.png"))
    driver.find_element(By.ID, "cmd_traccia").click()
    driver.find_element(By.CSS_SELECTOR, "#tabella_velocita tr[data-chiave='5x10s'] button").click()
    track = driver.execute_script("return document.getElementById('traccia').getBoundingClientRect().right")
    results.check(0 < track <= 360, f"at 360 px the track ends at {track}")
    if screens:
        driver.execute_script("document.getElementById('scelta_vista').scrollIntoView()")
        driver.save_screenshot(os.path.join(screens, "web-traccia-telefono.png"))
    driver.set_window_size(1280, 900)
    time.sleep(0.3)
    if screens:
        driver.execute_script("window.scrollTo(0, 0)")
        driver.save_screenshot(os.path.join(screens, "web-traccia.png"))


def bench(driver, url, cli, track, runs=3):
    """The page's run on `track` against lurendo-cli's, medians of `runs` each, and whether the page kept
    answering while the core worked."""
    folder = tempfile.mkdtemp()
    native = []
    try:
        for _ in range(runs):
            start = time.time()
            subprocess.run([cli, "-o", os.path.join(folder, "out.gpx"), track], check=True, capture_output=True)
            native.append(time.time() - start)
    finally:
        shutil.rmtree(folder)
    page = []
    stages = []
    slowest_answer = 0
    for _ in range(runs):
        driver.get(url)
        driver.find_element(By.ID, "scelta_file").send_keys(track)
        while driver.execute_script("return document.body.dataset.stato") != "concluso":
            asked = time.time()
            driver.execute_script("return document.getElementById('lbl_risultato').textContent")
            slowest_answer = max(slowest_answer, time.time() - asked)
            time.sleep(0.02)
        page.append(float(driver.execute_script("return document.body.dataset.durata")) / 1000)
        stages.append(driver.execute_script("return document.body.dataset.tempi"))
    page_s = statistics.median(page)
    native_s = statistics.median(native)
    print(f"page: {page_s:.2f} s from the choice to the figures (worker, ms: {stages[-1]}); "
          f"lurendo-cli: {native_s:.2f} s; ratio {page_s / native_s:.1f} (medians of {runs}); "
          f"slowest answer of the page while running: {slowest_answer * 1000:.0f} ms")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--page", required=True)
    parser.add_argument("--cli", required=True)
    parser.add_argument("--shared")
    parser.add_argument("--sample")
    parser.add_argument("--screens")
    parser.add_argument("--bench")
    args = parser.parse_args()

    results = Results()
    server = serve(args.page)
    url = f"http://127.0.0.1:{server.server_address[1]}/index.html"
    work = tempfile.mkdtemp(prefix="lurendo-web-")
    downloads = os.path.join(work, "scaricati")
    tracks = os.path.join(work, "tracce")
    os.makedirs(downloads)
    os.makedirs(tracks)
    driver = browser(downloads, os.path.join(work, "profilo"))
    try:
        if args.bench:
            bench(driver, url, args.cli, args.bench)
            return 0
        names = []
        if args.sample:
            shutil.copy(args.sample, tracks)
            names.append(os.path.basename(args.sample))
        corpus = os.path.join(args.shared or "", "gpx-corpus")
        if args.shared and os.path.isdir(corpus):
            for name in CORPUS_TRACKS:
                shutil.copy(os.path.join(corpus, name), tracks)
                names.append(name)
        else:
            print("corpus not found: its tracks are skipped")
        for name in names:
            check_track(driver, url, results, args.cli, tracks, name, downloads)
        check_empty(driver, url, results, args.cli, tracks)
        made = write_tracks(tracks)
        check_one_worker(driver, url, results, made)
        check_cleared_at_start(driver, url, results, made)
        check_units_and_notes(driver, url, results, made)
        check_first_visit(driver, url, results, args.cli, tracks, "doppler.gpx")
        check_drops(driver, url, results, args.cli, tracks, "doppler.gpx")
        if args.sample:
            sample = os.path.basename(args.sample)
            report = check_track_view(driver, url, results, args.cli, tracks, sample)
            check_run_highlight(driver, results, report)
            check_layout(driver, url, results, os.path.join(tracks, sample), args.screens)
        # Last: from here a service worker serves the page's origin.
        check_manifest(driver, url, results)
        check_offline(driver, args.page, results, args.cli, tracks, "doppler.gpx")
    finally:
        driver.quit()
        server.shutdown()
        shutil.rmtree(work, ignore_errors=True)
    print(f"web: {results.passed} passed, {results.failed} failed")
    return 0 if results.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
