"""What every check of the page needs: a static server for the page's folder, headless Chromium driven
through ChromeDriver, lurendo-cli's answer for a track, and a track chosen in the page as a user picks it.
"""

import functools
import http.server
import json
import os
import subprocess
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

FIGURES = ["lbl_tempo_tot", "lbl_dist_tot", "lbl_tempo_parz", "lbl_dist_parz"]

# Counts the workers a page starts and ends, whatever the page itself keeps: run before any script of it.
COUNT_WORKERS = """
window.workerCount = { started: 0, ended: 0 };
window.Worker = class extends window.Worker {
  constructor(...args) { super(...args); window.workerCount.started++; }
  terminate() { window.workerCount.ended++; super.terminate(); }
};
"""


class Results:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, condition, what):
        if condition:
            self.passed += 1
        else:
            self.failed += 1
            print("FALLITO: " + what, flush=True)


class Files(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm",
                      ".js": "text/javascript", ".webmanifest": "application/manifest+json"}

    def log_message(self, *args):
        pass


def serve(folder):
    handler = functools.partial(Files, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def browser(downloads, profile):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--disable-quic", "--user-data-dir=" + profile, "--window-size=1280,900", "--lang=it"]:
        options.add_argument(flag)
    options.add_experimental_option("prefs", {"download.default_directory": downloads,
                                              "download.prompt_for_download": False})
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.execute_cdp_cmd("Page.setDownloadBehavior", {"behavior": "allow", "downloadPath": downloads})
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": COUNT_WORKERS})
    return driver


def cli_run(cli, folder, name):
    """lurendo-cli --json on `name` inside `folder`, as the page sees it: a bare file name."""
    done = subprocess.run([cli, "--json", "-o", "cli-out.gpx", name], cwd=folder, capture_output=True)
    report = json.loads(done.stdout)
    out = os.path.join(folder, "cli-out.gpx")
    data = None
    if report["esito"] == "eseguito":
        with open(out, "rb") as f:
            data = f.read()
        os.remove(out)
    return report, data


def load(driver, url, path, timeout=300):
    driver.get(url)
    return pick(driver, path, timeout)


def pick(driver, path, timeout=300):
    """Chooses `path` in the page open, as the user does, also for a second track, and waits for the run."""
    driver.execute_script("document.body.dataset.stato = ''")
    driver.find_element(By.ID, "scelta_file").send_keys(path)
    deadline = time.time() + timeout
    while time.time() < deadline:
        if driver.execute_script("return document.body.dataset.stato") == "concluso":
            return True
        time.sleep(0.05)
    return False
