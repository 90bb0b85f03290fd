"""Shared by the web tests: the built site served on a free local port, one headless Chromium
driven through chromedriver, deadlines on every wait, and the few picture measurements the tests
make. Both the server and the browser are always shut down, whatever happens in the test.

A test that cannot start its browser fails with the reason; it never skips.
"""

import base64
import contextlib
import functools
import http.server
import io
import os
import shutil
import signal
import sys
import tempfile
import threading
import time

from PIL import Image
from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service

CHROMIUM = os.environ.get("SPINTUNNEL_CHROMIUM", "/usr/bin/chromium")
CHROMEDRIVER = os.environ.get("SPINTUNNEL_CHROMEDRIVER", "/usr/bin/chromedriver")
# Software WebGL, no network, nothing carried over from an earlier run.
CHROMIUM_FLAGS = [
    "--headless",
    "--no-sandbox",
    "--use-angle=swiftshader",
    "--enable-unsafe-swiftshader",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    "--no-first-run",
    "--disable-quic",
    "--window-size=800,800",
]
CANVAS_WIDTH = 640
CANVAS_HEIGHT = 480
# Chromium's mobile emulation of a phone: 390 x 844 CSS pixels, three device pixels to one, touch.
PHONE = {"deviceMetrics": {"width": 390, "height": 844, "pixelRatio": 3, "touch": True}}


class TestFailure(Exception):
    pass


def fail(message):
    raise TestFailure(message)


def check(condition, message):
    if not condition:
        fail(message)


def give_up(signal_number, _frame):
    if signal_number == signal.SIGALRM:
        fail("the test ran past its deadline")
    fail(f"stopped by signal {signal_number}")


def run(test):
    """Runs test(site) and turns the outcome into an exit status and one line on standard error.
    Arguments: the site's folder, then the test's budget in seconds; past it, or on SIGTERM, the
    test fails the ordinary way, so the browser and the server still go."""
    if len(sys.argv) != 3:
        print(f"usage: {sys.argv[0]} SITE_DIR SECONDS", file=sys.stderr)
        sys.exit(2)
    site = sys.argv[1]
    signal.signal(signal.SIGALRM, give_up)
    signal.signal(signal.SIGTERM, give_up)
    signal.alarm(int(sys.argv[2]))
    try:
        if not os.path.isfile(os.path.join(site, "index.html")):
            fail(f"no web build in {site}: run `make web` first")
        test(site)
    except TestFailure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        sys.exit(1)
    print("PASS")


# Files a test adds to the site for one run, by path: the site's own folder stays as built.
EXTRA_FILES = {"/test/malformed.txt": b"1 key space\nnot an input line\n"}


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm"}

    def do_GET(self):
        extra = EXTRA_FILES.get(self.path)
        if extra is None:
            super().do_GET()
            return
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(extra)))
        self.end_headers()
        self.wfile.write(extra)

    def log_message(self, *args):
        pass


@contextlib.contextmanager
def served(site):
    """The site on http://127.0.0.1:PORT/, PORT chosen by the system, with EXTRA_FILES; yields the
    base address."""
    handler = functools.partial(QuietHandler, directory=site)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    try:
        yield f"http://127.0.0.1:{server.server_address[1]}/"
    finally:
        server.shutdown()
        server.server_close()
        thread.join(timeout=10)


@contextlib.contextmanager
def chromium(extra_flags=(), phone=None):
    """phone: a mobile emulation such as PHONE; by default SPINTUNNEL_WEB_PHONE=1 asks for PHONE."""
    if phone is None and os.environ.get("SPINTUNNEL_WEB_PHONE") == "1":
        phone = PHONE
    for program in (CHROMIUM, CHROMEDRIVER):
        check(os.access(program, os.X_OK), f"cannot start the browser: {program} is not installed")
    profile = tempfile.mkdtemp(prefix="spintunnel-web-test-")
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in CHROMIUM_FLAGS:
        options.add_argument(flag)
    options.add_argument(f"--user-data-dir={profile}")
    for flag in extra_flags:
        options.add_argument(flag)
    if phone:
        options.add_experimental_option("mobileEmulation", phone)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    try:
        driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    except WebDriverException as error:
        shutil.rmtree(profile, ignore_errors=True)
        fail(f"cannot start the browser: {error.msg or error}")
    try:
        driver.set_script_timeout(30)
        yield driver
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)


@contextlib.contextmanager
def session(site, **browser_options):
    """The served site and a browser (options as chromium() takes them): yields (driver, base
    address)."""
    with served(site) as base, chromium(**browser_options) as driver:
        yield driver, base


def wait_for(description, condition, seconds=90, interval=0.1):
    """Polls condition() until it returns something true, and returns that; fails at the deadline."""
    deadline = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            fail(f"waited {seconds}s for {description}")
        time.sleep(interval)


def game(driver, expression):
    """Evaluates an expression over the page's `spintunnel` object."""
    return driver.execute_script(f"return window.spintunnel ? spintunnel.{expression} : null;")


def state(driver):
    return game(driver, "state")


def wait_for_state(driver, wanted, seconds=120):
    def reached():
        now = state(driver)
        if now == "failed" and wanted != "failed":
            fail(f"the page failed: {status_line(driver)}")
        return now == wanted

    wait_for(f"the page to be {wanted}", reached, seconds)


def wait_for_frames(driver, frames, seconds=90):
    wait_for(f"frame {frames}", lambda: (game(driver, "frameCount()") or 0) >= frames, seconds)


def status_line(driver):
    return driver.execute_script("return document.getElementById('status').textContent;")


def console_errors(driver):
    return [entry["message"] for entry in driver.get_log("browser") if entry["level"] == "SEVERE"]


def stopped_picture(driver, base, game_input, frame, seconds=600):
    """Loads the page replaying game_input (a path under the site) up to `frame` and returns the
    picture of that frame, read from the canvas while it was still the frame just drawn."""
    driver.get(f"{base}index.html?input={game_input}&frames={frame}")
    wait_for_state(driver, "stopped", seconds)
    check(game(driver, "frameCount()") == frame, f"stopped at frame "
          f"{game(driver, 'frameCount()')}, not {frame}")
    return decode_data_url(game(driver, "picture"))


def decode_data_url(url):
    check(url and url.startswith("data:image/png;base64,"), "the page kept no picture")
    return Image.open(io.BytesIO(base64.b64decode(url.split(",", 1)[1]))).convert("RGB")


def canvas_picture(driver):
    """What the page shows in the canvas now, as a screenshot of the element."""
    canvas = driver.find_element("id", "canvas")
    picture = Image.open(io.BytesIO(canvas.screenshot_as_png)).convert("RGB")
    check(picture.size == (CANVAS_WIDTH, CANVAS_HEIGHT),
          f"the canvas shows {picture.size[0]} x {picture.size[1]} pixels, not 640 x 480")
    return picture


def lit_fraction(picture, floor=16):
    """The fraction of pixels with some channel above floor: the part of the frame not black."""
    pixels = list(picture.getdata())
    return sum(1 for pixel in pixels if max(pixel) > floor) / len(pixels)
