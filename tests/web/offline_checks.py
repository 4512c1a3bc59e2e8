"""The page as an installed app: its manifest as Chromium reads it, its icons, and a visit with the server
gone, where the service worker must bring back the page and the core and a track must still be repaired.
"""

import json
import os
import struct
import urllib.error
import urllib.parse
import urllib.request

from selenium.common.exceptions import WebDriverException
from selenium.webdriver.common.by import By

from harness import FIGURES, cli_run, pick, serve

# The address of the service worker once one is active ("none" after 20 s without), and every address in
# the page's caches, by cache.
WAIT_ACTIVE = """
const done = arguments[arguments.length - 1];
setTimeout(() => done("none"), 20000);
navigator.serviceWorker.ready.then((r) => done(r.active.scriptURL)).catch((e) => done("error " + e));
"""
CACHED = """
const done = arguments[arguments.length - 1];
caches.keys().then((names) => Promise.all(names.map((name) => caches.open(name).then((cache) =>
  cache.keys().then((requests) => [name, requests.map((r) => r.url)]))))).then(done, (e) => done(String(e)));
"""


def fetch(address):
    with urllib.request.urlopen(address, timeout=10) as answer:
        return answer.read()


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", data[16:24])


def check_manifest(driver, url, results):
    """The manifest the page links: Lurendo, Italian, standalone, a start address that is the page, and
    icons of 192 and 512 pixels that are PNG files of those sizes; Chromium finds no error in it and
    nothing that stops installing the page."""
    driver.get(url)
    link = driver.execute_script("const l = document.querySelector('link[rel=manifest]'); return l && l.href")
    if not link:
        results.check(False, "the page links no manifest")
        return
    manifest = json.loads(fetch(link))
    results.check(manifest.get("name") == "Lurendo" and manifest.get("short_name") and
                  manifest.get("display") == "standalone" and manifest.get("lang") == "it",
                  "manifest fields: " + str({k: manifest.get(k) for k in ["name", "short_name", "display", "lang"]}))
    start = urllib.parse.urljoin(link, manifest.get("start_url", ""))
    results.check(b"<title>Lurendo</title>" in fetch(start), "start_url is not the page: " + start)
    sizes = {}
    for icon in manifest.get("icons", []):
        sizes[icon["sizes"]] = png_size(fetch(urllib.parse.urljoin(link, icon["src"])))
    results.check(sizes.get("192x192") == (192, 192) and sizes.get("512x512") == (512, 512),
                  "manifest icons: " + str(sizes))
    read = driver.execute_cdp_cmd("Page.getAppManifest", {})
    results.check(read.get("url") == link and not read.get("errors"), "Chromium reads the manifest: " + str(read))
    # Installability is judged once the service worker is in charge.
    driver.set_script_timeout(30)
    driver.execute_async_script(WAIT_ACTIVE)
    driver.get(url)
    blockers = driver.execute_cdp_cmd("Page.getInstallabilityErrors", {}).get("installabilityErrors")
    results.check(blockers == [], "Chromium would not install the page: " + str(blockers))


def check_offline(driver, page, results, cli, folder, name):
    """A first visit with the server up; then the server stops and the page is opened again: it comes
    back whole, the core runs and gives lurendo-cli's figures for `name`. The caches hold every file of
    the page's folder but the service worker itself, and nothing else."""
    server = serve(page)
    url = f"http://127.0.0.1:{server.server_address[1]}/index.html"
    try:
        driver.get(url)
        driver.set_script_timeout(30)
        worker = driver.execute_async_script(WAIT_ACTIVE)
        results.check(str(worker).endswith("/servizio.js"), "service worker: " + str(worker))
        cached = driver.execute_async_script(CACHED)
        names = [n for n, _ in cached] if isinstance(cached, list) else cached
        files = {os.path.basename(u) for _, urls in cached for u in urls} if isinstance(cached, list) else set()
        expected = set(os.listdir(page)) - {"servizio.js"}
        results.check(len(names) == 1 and files == expected,
                      f"cached {names}: {sorted(files)}; the page has {sorted(expected)}")
    finally:
        server.shutdown()
        server.server_close()
    try:
        fetch(url)
        results.check(False, "the server still answers")
    except (urllib.error.URLError, ConnectionError):
        pass
    report, _ = cli_run(cli, folder, name)
    # Only the service worker may bring the page back: not the browser's HTTP cache.
    driver.execute_cdp_cmd("Network.clearBrowserCache", {})
    try:
        driver.get(url)
    except WebDriverException as error:
        results.check(False, "offline: the page does not open: " + error.msg)
        return
    status = driver.find_element(By.ID, "lbl_risultato").text
    results.check(status.startswith("Scegli una traccia GPX"), "offline: the page's script did not run: " + status)
    results.check(pick(driver, os.path.join(folder, name), timeout=60), "offline: the run never finished")
    figures = {key: driver.find_element(By.ID, key).text for key in FIGURES}
    results.check(all(figures[key] == report[key] for key in FIGURES) and figures["lbl_dist_tot"],
                  f"offline: figures {figures}")
