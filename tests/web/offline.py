"""Offline and installable: once the page has been visited, its service worker keeps the site's
files, so with the network gone (the DevTools protocol's offline mode, and the server shut down)
a reload plays the game, replays included. The manifest names the game, its icon at 192 and 512
pixels, landscape and full screen, and Chromium finds nothing stopping an install. The cache is
named after the build, as sw.js names it."""

import functools
import http.server
import os
import re
import shutil
import tempfile
import threading

import browser as b

CACHES = "return caches.keys();"
WORKER_READY = """
return navigator.serviceWorker.ready.then(() => navigator.serviceWorker.controller !== null);
"""
IMAGE_SIZE = """
return fetch(arguments[0]).then((r) => r.blob()).then(createImageBitmap)
  .then((image) => [image.width, image.height]);
"""


class Server:
    """The site on a fixed local port that can go away and come back."""

    def __init__(self, folder, port=0):
        handler = functools.partial(b.QuietHandler, directory=folder)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()
        self.thread.join(timeout=10)


def build_cache(folder):
    with open(os.path.join(folder, "sw.js"), encoding="utf-8") as worker:
        return re.search(r"const CACHE = '([^']+)'", worker.read()).group(1)


def plays(driver, address):
    driver.get(address)
    b.wait_for_state(driver, "playing")
    frame = b.game(driver, "frameCount()")
    b.wait_for_frames(driver, frame + 5)


def test(site):
    folder = tempfile.mkdtemp(prefix="spintunnel-site-")
    server = None
    try:
        copy = os.path.join(folder, "site")
        shutil.copytree(site, copy)
        server = Server(copy)
        base = f"http://127.0.0.1:{server.port}/"
        with b.chromium() as driver:
            plays(driver, base)
            b.wait_for("the service worker to control the page",
                       lambda: driver.execute_script(WORKER_READY), 60)
            cache = build_cache(copy)
            b.wait_for(f"the cache {cache}", lambda: driver.execute_script(CACHES) == [cache], 60)

            manifest = driver.execute_script(
                "return fetch(document.querySelector('link[rel=manifest]').href)"
                ".then((r) => r.json());")
            b.check((manifest["name"], manifest["orientation"], manifest["display"]) ==
                    ("spintunnel", "landscape", "fullscreen"), f"the manifest: {manifest}")
            for icon in manifest["icons"]:
                size = driver.execute_script(IMAGE_SIZE, icon["src"])
                b.check(icon["sizes"] == f"{size[0]}x{size[1]}",
                        f"the icon {icon['src']} says {icon['sizes']} and is {size}")
            b.check(sorted(icon["sizes"] for icon in manifest["icons"]) ==
                    ["192x192", "512x512"], f"the icons: {manifest['icons']}")
            errors = driver.execute_cdp_cmd("Page.getInstallabilityErrors", {})
            b.check(errors.get("installabilityErrors") == [],
                    f"Chromium would not install the page: {errors}")

            # The network goes: the browser's, and the server itself.
            driver.execute_cdp_cmd("Network.enable", {})
            driver.execute_cdp_cmd("Network.emulateNetworkConditions", {
                "offline": True, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})
            server.stop()
            server = None
            plays(driver, base)
            b.check(b.status_line(driver) == "Playing", f"offline: {b.status_line(driver)!r}")
            gone = driver.execute_script(
                "return fetch('never-built.txt').then(() => false, () => true);")
            b.check(gone, "a file the site never had was fetched: the network is not gone")
            picture = b.stopped_picture(driver, base, "games/tunnel.txt", 110)
            b.check(b.lit_fraction(picture) > 0.5, "offline, the replay drew a dark frame")
            errors = [e for e in b.console_errors(driver) if "never-built.txt" not in e]
            b.check(not errors, "console errors: " + "; ".join(errors))

    finally:
        if server is not None:
            server.stop()
        shutil.rmtree(folder, ignore_errors=True)


b.run(test)
