"""The track view and the runs behind the speed results. What the page draws is held against lurendo-cli's
JSON for the same track ("percorso", "migliori"), and the canvas's pixels against where the page says it
put each vertex, so that a drawing that only claims to be right fails.
"""

import json
import math

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from harness import cli_run, load

PLANING_KMH = 18
YELLOW = (255, 255, 192)
PINK = (230, 0, 126)
GREEN = (0, 150, 60)

# The canvas's pixel as [r, g, b, a] at CSS pixel (x, y); a box's count of black pixels (the track's dark
# grey casing is not black).
PIXEL = """
const canvas = document.getElementById(arguments[0]);
const scale = window.devicePixelRatio || 1;
return [...canvas.getContext("2d").getImageData(Math.round(arguments[1] * scale),
                                                Math.round(arguments[2] * scale), 1, 1).data];
"""
DARK_IN_BOX = """
const canvas = document.getElementById(arguments[0]);
const scale = window.devicePixelRatio || 1;
const [x, y, w, h] = arguments[1].map((v) => Math.round(v * scale));
const data = canvas.getContext("2d").getImageData(x, y, w, h).data;
let dark = 0;
for (let i = 0; i < data.length; i += 4) if (data[i + 3] > 200 && data[i] + data[i + 1] + data[i + 2] < 30) ++dark;
return dark;
"""


def clock(seconds):
    """hh:mm:ss of a time of day in seconds, with the tenths where there are any."""
    tenths = round(seconds * 10)
    whole, tenth = divmod(tenths, 10)
    text = f"{whole // 3600 % 24:02d}:{whole // 60 % 60:02d}:{whole % 60:02d}"
    return text + (f",{tenth}" if tenth else "")


def runs_of(best, key):
    runs = best.get(key)
    if runs is None:
        return []
    return [r for r in runs if r] if isinstance(runs, list) else [runs]


def covered_vertices(shape, run):
    """The vertices at both ends of every drawn stretch that shares points with the run: the stretch into
    vertex k spans points punto[k-1]..punto[k] and is drawn unless k starts a line."""
    starts = set(shape["inizio_linee"])
    points = shape["punto"]
    found = set()
    for k in range(1, len(points)):
        if k not in starts and max(points[k - 1], run["da_punto"]) < min(points[k], run["a_punto"]):
            found.update((k - 1, k))
    return found


def to_pixels(shape, transform):
    x0, y0, k = transform
    return [(x0 + e * k, y0 - n * k) for e, n in zip(shape["est"], shape["nord"])]


def distance_to_segment(p, a, b):
    ax, ay = a
    dx, dy = b[0] - ax, b[1] - ay
    length2 = dx * dx + dy * dy
    t = 0 if length2 == 0 else max(0, min(1, ((p[0] - ax) * dx + (p[1] - ay) * dy) / length2))
    return math.hypot(p[0] - ax - t * dx, p[1] - ay - t * dy)


def clear_midpoints(shape, xy, min_length, boxes):
    """The stretches at least `min_length` pixels long whose midpoint no other drawn stretch comes within
    5 pixels of (the casing is 5 pixels wide), outside `boxes` ([left, top, right, bottom], where marks are
    drawn): there the stretch's own colour shows. Yields (k, midpoint)."""
    starts = set(shape["inizio_linee"])
    drawn = [k for k in range(1, len(xy)) if k not in starts]
    for k in drawn:
        a, b = xy[k - 1], xy[k]
        if math.dist(a, b) < min_length:
            continue
        mid = ((a[0] + b[0]) / 2, (a[1] + b[1]) / 2)
        if any(left <= mid[0] <= right and top <= mid[1] <= bottom for left, top, right, bottom in boxes):
            continue
        if all(distance_to_segment(mid, xy[j - 1], xy[j]) > 5 for j in drawn if j != k):
            yield k, mid


def near(colour, expected, tolerance=12):
    return all(abs(c - e) <= tolerance for c, e in zip(colour, expected)) and colour[3] == 255


def data(driver, element_id, name):
    text = driver.find_element(By.ID, element_id).get_attribute("data-" + name)
    return json.loads(text) if text else None


def check_track_view(driver, url, results, cli, folder, name):
    """The Traccia view of `name`: every vertex of lurendo-cli's shape drawn at one scale across and up
    and filling the canvas, planing stretches yellow and slower ones not, the start green, a north arrow
    and a scale bar of 1, 2 or 5 × 10^n metres as long as it says. Returns the cli's report."""
    report, _ = cli_run(cli, folder, name)
    shape = report["percorso"]
    results.check(load(driver, url, f"{folder}/{name}"), name + ": the page never finished")
    results.check(not driver.find_element(By.ID, "traccia").is_displayed(), "the track shows before Traccia")
    driver.find_element(By.ID, "cmd_traccia").click()
    width, height = driver.execute_script("const c = document.getElementById('traccia'); "
                                          "return [c.clientWidth, c.clientHeight]")
    drawn = data(driver, "traccia", "vertici")
    results.check(drawn == len(shape["est"]), f"track: {drawn} vertices drawn, shape has {len(shape['est'])}")
    bounds = [min(shape["est"]), max(shape["est"]), min(shape["nord"]), max(shape["nord"])]
    shown = data(driver, "traccia", "limiti")
    results.check(shown is not None and all(abs(a - b) < 1e-6 for a, b in zip(shown, bounds)),
                  f"track bounds {shown} != {bounds}")
    transform = data(driver, "traccia", "trasformazione")
    if transform is None:
        results.check(False, "track: no transformation")
        return report
    xy = to_pixels(shape, transform)
    inside = all(0 <= x <= width and 0 <= y <= height for x, y in xy)
    fill = max((bounds[1] - bounds[0]) * transform[2] / width, (bounds[3] - bounds[2]) * transform[2] / height)
    results.check(inside and fill > 0.8, f"track: inside the canvas {inside}, fills {fill:.2f} of it")

    wrong = []
    checked = 0
    marks = [[xy[0][0] - 10, xy[0][1] - 10, xy[0][0] + 70, xy[0][1] + 10], [width - 34, 0, width, 44]]
    for k, (x, y) in clear_midpoints(shape, xy, 6, marks):
        speed = shape["velocita"][k]
        if speed == PLANING_KMH:
            continue
        colour = driver.execute_script(PIXEL, "traccia", x, y)
        yellow = near(colour, YELLOW)
        # From light grey to blue: blue never below green, green never below red.
        grey_to_blue = colour[3] == 255 and colour[2] >= colour[1] - 2 and colour[1] >= colour[0] - 2
        checked += 1
        if (speed > PLANING_KMH and not yellow) or (speed < PLANING_KMH and (yellow or not grey_to_blue)):
            wrong.append((k, speed, colour))
    results.check(checked >= 10 and not wrong, f"track colours: {checked} stretches checked, wrong {wrong[:5]}")
    start = driver.execute_script(PIXEL, "traccia", *xy[0])
    results.check(near(start, GREEN, 20), f"track: start at {xy[0]} is {start}, not green")
    arrow = driver.execute_script(DARK_IN_BOX, "traccia", [width - 30, 4, 26, 40])
    results.check(arrow > 30, f"track: north arrow missing ({arrow} dark pixels at the top right)")

    metres = data(driver, "traccia", "scala")
    mantissa = metres / 10 ** math.floor(math.log10(metres)) if metres else 0
    bar = metres * transform[2] if metres else 0
    results.check(round(mantissa, 6) in (1, 2, 5) and width / 10 <= bar <= width / 4,
                  f"scale bar of {metres} m is {bar:.0f} px on {width}")
    ends = [driver.execute_script(PIXEL, "traccia", x, height - 12) for x in (11, 10 + bar - 1, 10 + bar + 4)]
    results.check(ends[0][:3] == [0, 0, 0] and ends[1][:3] == [0, 0, 0] and ends[2][:3] != [0, 0, 0],
                  f"scale bar not drawn {bar:.0f} px long: {ends}")
    return report


def choose(driver, key, how):
    button = driver.find_element(By.CSS_SELECTOR, f"#tabella_velocita tr[data-chiave='{key}'] button")
    if how == "click":
        driver.find_element(By.CSS_SELECTOR, f"#tabella_velocita tr[data-chiave='{key}'] td").click()
    else:
        button.send_keys(Keys.ENTER if how == "enter" else Keys.SPACE)


def check_run_highlight(driver, results, report):
    """With the Traccia view open on the track of `report`: each result's row, clicked or pressed with
    Enter or Space, highlights the stretches of its runs (all five for 5×10 s) in pink in the track and
    their time spans in the profile, and tells the runs' times under the table and in the row's title; a
    second click takes it all away. The rows are reached with Tab."""
    shape, best = report["percorso"], report["migliori"]
    xy = to_pixels(shape, data(driver, "traccia", "trasformazione"))
    profile = driver.execute_script("return profilo")
    span = profile["larghezza"] * len(profile["colonne"])
    keys = [key for key in best if runs_of(best, key)]
    results.check({"2s", "10s", "5x10s", "500m"} <= set(keys), "runs missing from the report: " + str(keys))
    for number, key in enumerate(keys):
        runs = runs_of(best, key)
        choose(driver, key, ["click", "enter", "space"][number % 3])
        expected = set().union(*(covered_vertices(shape, run) for run in runs))
        inside = {i for run in runs for i, p in enumerate(shape["punto"]) if run["da_punto"] < p < run["a_punto"]}
        shown = set(data(driver, "traccia", "evidenziati") or [])
        results.check(shown == expected and inside <= shown and shown,
                      f"{key}: highlighted {sorted(shown)[:12]}, expected {sorted(expected)[:12]}")
        longest = max(((math.dist(xy[k - 1], xy[k]), k) for k in expected if k - 1 in expected), default=None)
        if longest:
            k = longest[1]
            colour = driver.execute_script(PIXEL, "traccia", (xy[k - 1][0] + xy[k][0]) / 2,
                                           (xy[k - 1][1] + xy[k][1]) / 2)
            results.check(near(colour, PINK), f"{key}: highlighted stretch {k} is {colour}, not pink")

        times = [clock(r["inizio"]) + "–" + clock(r["fine"]) for r in runs]
        caption = driver.find_element(By.ID, "lbl_corsa").text
        row = driver.find_element(By.CSS_SELECTOR, f"#tabella_velocita tr[data-chiave='{key}']")
        title = row.get_attribute("title") or ""
        results.check(all(t in caption and t in title for t in times) and caption.count("–") == len(runs),
                      f"{key}: times {times} not in caption {caption!r} / title {title!r}")
        pressed = [b.get_attribute("aria-pressed") for b in driver.find_elements(By.CSS_SELECTOR, "button.corsa")]
        results.check(pressed.count("true") == 1, f"{key}: pressed buttons {pressed}")

        area = data(driver, "profilo", "area")
        bands = data(driver, "profilo", "evidenza") or []
        centres = []
        for r in runs:
            since = (r["inizio"] - profile["ora_inizio"]) % 86400
            centres.append(area["x"] + (since + (r["fine"] - r["inizio"]) / 2) / span * area["w"])
        results.check(len(bands) == len(runs) and all(abs((a + b) / 2 - c) < 0.5 for (a, b), c in zip(bands, centres)),
                      f"{key}: profile bands {bands} for centres {centres}")
        for centre in centres:
            colour = driver.execute_script(PIXEL, "profilo", centre, area["y"] + 1)
            results.check(colour[3] > 0 and colour[0] > 150 and colour[1] < 100,
                          f"{key}: profile at {centre:.0f} is {colour}, not shaded")
        choose(driver, key, "click")
        cleared = (data(driver, "traccia", "evidenziati"), data(driver, "profilo", "evidenza"),
                   driver.find_element(By.ID, "lbl_corsa").text)
        results.check(cleared == ([], [], ""), f"{key}: a second click leaves {cleared}")

    driver.execute_script("document.getElementById('cmd_ripara').focus()")
    reached = False
    for _ in range(30):
        driver.switch_to.active_element.send_keys(Keys.TAB)
        if driver.execute_script("return document.activeElement.classList.contains('corsa')"):
            reached = True
            break
    results.check(reached, "Tab never reaches a result's row")
