"""What the page says to a new user: what to do before any run, which track is on show, that out.gpx is
ready to download rather than written, and an answer to whatever is dropped on it that is not one .gpx
file.
"""

import os
import time

from selenium.webdriver.common.by import By

from harness import FIGURES, cli_run, load

# Drops on the page the files named in arguments[0] ([name, text] pairs), as a file manager would.
DROP = """
const transfer = new DataTransfer();
for (const [name, text] of arguments[0]) transfer.items.add(new File([text], name));
document.body.dispatchEvent(new DragEvent("drop", { dataTransfer: transfer, bubbles: true, cancelable: true }));
"""


def text(driver, element_id):
    return driver.find_element(By.ID, element_id).text


def check_first_visit(driver, url, results, cli, folder, name):
    """Before any run the status line says to choose a GPX track; after one the track's name is on show,
    the status line names no written file, and the download is offered as "out.gpx pronto: Scarica"."""
    driver.get(url)
    status = text(driver, "lbl_risultato")
    results.check(status.startswith("Scegli una traccia GPX"), "first visit: status " + repr(status))
    results.check(not driver.find_element(By.ID, "cmd_scarica").is_displayed(), "first visit: download offered")
    report, _ = cli_run(cli, folder, name)
    results.check(load(driver, url, os.path.join(folder, name)), name + ": the page never finished")
    results.check(text(driver, "lbl_traccia") == "Traccia: " + name, "track name: " + repr(text(driver, "lbl_traccia")))
    status = text(driver, "lbl_risultato")
    results.check(status.startswith("Procedura eseguita") and report["file_out"] not in status,
                  "status after the run names a file: " + repr(status))
    deadline = time.time() + 30
    while not driver.find_element(By.ID, "cmd_scarica").is_displayed() and time.time() < deadline:
        time.sleep(0.05)
    line = text(driver, "scarico")
    results.check(line == "out.gpx pronto: Scarica", "download line: " + repr(line))


def check_drops(driver, url, results, cli, folder, name):
    """A picture, two tracks or no file at all dropped on the page: an Italian message in the status line
    and no run, the figures of the track on show kept; then one .gpx file dropped is repaired."""
    report, _ = cli_run(cli, folder, name)
    with open(os.path.join(folder, name), encoding="utf-8") as f:
        track = f.read()
    results.check(load(driver, url, os.path.join(folder, name)), name + ": the page never finished")
    shown = [text(driver, key) for key in FIGURES]
    cases = [
        ([["foto.jpg", "non una traccia"]], ["foto.jpg", "GPX"]),
        ([["a.gpx", track], ["b.gpx", track]], ["2 file", "uno solo"]),
        ([], ["Nessun file", ".gpx"]),
    ]
    for files, words in cases:
        driver.execute_script("document.body.dataset.stato = ''")
        driver.execute_script(DROP, files)
        status = text(driver, "lbl_risultato")
        error = "errore" in driver.find_element(By.ID, "lbl_risultato").get_attribute("class")
        results.check(all(w in status for w in words) and error, f"dropped {[f[0] for f in files]}: {status!r}")
        time.sleep(0.3)
        results.check(driver.execute_script("return document.body.dataset.stato") == "" and
                      [text(driver, key) for key in FIGURES] == shown,
                      f"dropped {[f[0] for f in files]}: a run started or the figures changed")
    driver.execute_script("document.body.dataset.stato = ''")
    driver.execute_script(DROP, [["trascinata.gpx", track]])
    deadline = time.time() + 60
    while driver.execute_script("return document.body.dataset.stato") != "concluso" and time.time() < deadline:
        time.sleep(0.05)
    figures = [text(driver, key) for key in FIGURES]
    name_shown = text(driver, "lbl_traccia")
    results.check(figures == [report[key] for key in FIGURES] and name_shown == "Traccia: trascinata.gpx",
                  f"one .gpx dropped: {figures}, {name_shown!r}")
