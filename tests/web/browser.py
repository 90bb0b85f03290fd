"""Shared by the web tests: the built site served on a free local port, one browser of the engine
the test was given, deadlines on every wait, and the few picture measurements the tests make. Both
the server and the browser are always shut down, whatever happens in the test.

Three engines, one way to drive them (`Page`): Chromium headless through chromedriver; WebKitGTK's
MiniBrowser through WebKitWebDriver; Firefox ESR through puppeteer-core over WebDriver BiDi, in a
node process (firefox.mjs) spoken to in JSON lines. Firefox and WebKit draw WebGL only with a
display, so their tests run under xvfb-run.

A test that cannot start its browser fails with the reason; it never skips.
"""

import base64
import contextlib
import functools
import glob
import http.server
import io
import json
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

from PIL import Image
from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

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
# webkit2gtk-driver's browser lives in the architecture's library folder.
WEBKIT_BROWSER = os.environ.get("SPINTUNNEL_WEBKIT_BROWSER", next(
    iter(sorted(glob.glob("/usr/lib/*/webkit2gtk-4.1/MiniBrowser"))),
    "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"))
WEBKIT_DRIVER = os.environ.get("SPINTUNNEL_WEBKIT_DRIVER", "/usr/bin/WebKitWebDriver")
FIREFOX = os.environ.get("SPINTUNNEL_FIREFOX", "/usr/bin/firefox-esr")
NODE = os.environ.get("SPINTUNNEL_NODE", shutil.which("node") or "/usr/bin/node")
TESTS_DIR = os.path.dirname(os.path.abspath(__file__))
ENGINES = ("chromium", "firefox", "webkit")
WINDOW_WIDTH = 800  # CSS pixels, as Chromium's --window-size
WINDOW_HEIGHT = 800
CANVAS_WIDTH = 640
CANVAS_HEIGHT = 480
# Chromium's mobile emulation of a phone: 390 x 844 CSS pixels, three device pixels to one, touch.
PHONE = {"deviceMetrics": {"width": 390, "height": 844, "pixelRatio": 3, "touch": True}}

# Keys by their DOM names, the same for every engine.
ARROW_LEFT = "ArrowLeft"
ARROW_RIGHT = "ArrowRight"
ARROW_DOWN = "ArrowDown"
SELENIUM_KEYS = {ARROW_LEFT: Keys.ARROW_LEFT, ARROW_RIGHT: Keys.ARROW_RIGHT,
                 ARROW_DOWN: Keys.ARROW_DOWN}


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


# The engine this run drives, from the command line.
engine = "chromium"


def run(test):
    """Runs test(site) and turns the outcome into an exit status and one line on standard error.
    Arguments: the site's folder, the test's budget in seconds, and the engine (chromium when left
    out); past the budget, or on SIGTERM, the test fails the ordinary way, so the browser and the
    server still go."""
    global engine
    if len(sys.argv) not in (3, 4) or (len(sys.argv) == 4 and sys.argv[3] not in ENGINES):
        print(f"usage: {sys.argv[0]} SITE_DIR SECONDS [{'|'.join(ENGINES)}]", file=sys.stderr)
        sys.exit(2)
    site = sys.argv[1]
    engine = sys.argv[3] if len(sys.argv) == 4 else "chromium"
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


# Collects what the page reports as errors, whatever the engine: uncaught exceptions, rejected
# promises nobody handled, and console.error. The page marks the exception that ends the game with
# exit() as handled, and that is no error; whether it did is known only once every listener has run.
ERROR_COLLECTOR = """
window.spintunnelErrors = [];
const spintunnelRecord = (event, text) => setTimeout(() => {
  if (!event.defaultPrevented) window.spintunnelErrors.push(text);
});
window.addEventListener('error', (event) => spintunnelRecord(event,
  event.error ? String(event.error.stack || event.error) : event.message));
window.addEventListener('unhandledrejection', (event) => spintunnelRecord(event,
  'unhandled rejection: ' + String(event.reason && event.reason.stack || event.reason)));
const spintunnelConsoleError = console.error.bind(console);
console.error = (...parts) => {
  window.spintunnelErrors.push(parts.map(String).join(' '));
  spintunnelConsoleError(...parts);
};
"""


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm"}

    def __init__(self, *args, page_script="", **kwargs):
        self.page_script = page_script
        super().__init__(*args, **kwargs)

    def do_GET(self):
        extra = EXTRA_FILES.get(self.path)
        if extra is not None:
            self.send_body(extra, "text/plain")
        elif self.path.split("?")[0] in ("/", "/index.html"):
            self.send_page()
        else:
            super().do_GET()

    def send_page(self):
        """The page as built, with the test's scripts run before anything of its own: the same
        in every engine, where only Chromium could add them through its DevTools."""
        with open(os.path.join(self.directory, "index.html"), "rb") as page:
            html = page.read()
        if html.count(b"<head>") != 1:
            self.send_error(500, "the page has no one <head> to put the test's scripts in")
            return
        # Each in a function of its own, so its names stay out of the page's.
        scripts = "".join(f"<script>(() => {{{script}}})();</script>"
                          for script in (ERROR_COLLECTOR, self.page_script) if script)
        scripts = f"<head>{scripts}".encode()
        self.send_body(html.replace(b"<head>", scripts), "text/html")

    def send_body(self, body, content_type):
        self.send_response(200)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


@contextlib.contextmanager
def served(site, page_script=""):
    """The site on http://127.0.0.1:PORT/, PORT chosen by the system, with EXTRA_FILES and
    page_script run first in the page; yields the base address."""
    handler = functools.partial(QuietHandler, directory=site, page_script=page_script)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    try:
        yield f"http://127.0.0.1:{server.server_address[1]}/"
    finally:
        server.shutdown()
        server.server_close()
        thread.join(timeout=10)


class Page:
    """What a test does with a browser, the same in every engine. Selectors are CSS selectors;
    keys are DOM key names (ARROW_LEFT, " ", "t")."""

    engine = ""

    def load(self, url):
        """Navigates and returns once the page's load event has fired."""
        raise NotImplementedError

    def evaluate(self, body):
        """Runs body as the body of an async function in the page and returns its result, which
        must survive JSON; a promise returned is waited for."""
        raise NotImplementedError

    def click(self, selector):
        """A real click of the left button in the element's centre."""
        raise NotImplementedError

    def send_keys(self, selector, *keys):
        """Focuses the element, then presses and releases each key in turn."""
        raise NotImplementedError

    def move_mouse(self, selector, dx, dy):
        """One mouse motion event, to (dx, dy) CSS pixels from the element's centre."""
        raise NotImplementedError

    def screenshot(self, selector):
        """What the element shows now, as PNG bytes."""
        raise NotImplementedError

    def engine_errors(self):
        """Errors the engine itself reports beside the page's own (Chromium: its console log)."""
        return []


def json_body(body):
    """Wraps a function body so its result crosses as JSON text, alike in every engine."""
    return (f"return (async () => {{ {body} }})()"
            ".then((value) => JSON.stringify(value === undefined ? null : value));")


class SeleniumPage(Page):
    def __init__(self, driver, engine):
        self.driver = driver
        self.engine = engine

    def __getattr__(self, name):
        # Tests of what only Chromium has (its DevTools protocol, mobile emulation) drive selenium
        # directly: whatever Page does not say is the driver's.
        return getattr(self.driver, name)

    def load(self, url):
        self.driver.get(url)

    def evaluate(self, body):
        return json.loads(self.driver.execute_script(json_body(body)))

    def element(self, selector):
        return self.driver.find_element("css selector", selector)

    def click(self, selector):
        self.element(selector).click()

    def send_keys(self, selector, *keys):
        self.element(selector).send_keys(*(SELENIUM_KEYS.get(key, key) for key in keys))

    def move_mouse(self, selector, dx, dy):
        ActionChains(self.driver, duration=0).move_to_element_with_offset(
            self.element(selector), dx, dy).perform()

    def screenshot(self, selector):
        return self.element(selector).screenshot_as_png


class ChromiumPage(SeleniumPage):
    def __init__(self, driver):
        super().__init__(driver, "chromium")

    def engine_errors(self):
        # Chromium's log also has what no page script sees: resources that failed to load, say.
        return [entry["message"] for entry in self.driver.get_log("browser")
                if entry["level"] == "SEVERE"]


class FirefoxPage(Page):
    """Firefox through firefox.mjs: one JSON request a line, one answer a line."""

    engine = "firefox"
    ANSWER_SECONDS = 180  # the longest one request may take; the test's own budget still holds

    def __init__(self, node, stderr):
        self.node = node
        self.stderr = stderr

    def request(self, op, **arguments):
        if op is not None:
            self.node.stdin.write((json.dumps({"op": op, **arguments}) + "\n").encode())
            self.node.stdin.flush()
        ready, _, _ = select.select([self.node.stdout], [], [], self.ANSWER_SECONDS)
        line = self.node.stdout.readline() if ready else b""
        if not line:
            fail(f"Firefox's driver gave no answer to {op or 'its start'}"
                 f"{' in time' if not ready else ''}: {self.driver_output()}")
        reply = json.loads(line)
        if not reply["ok"]:
            fail(f"Firefox: {op or 'start'}: {reply['error']}")
        return reply["value"]

    def driver_output(self):
        self.stderr.seek(0)
        return self.stderr.read().decode(errors="replace")[-2000:] or "(nothing on its stderr)"

    def load(self, url):
        self.request("load", url=url)

    def evaluate(self, body):
        return self.request("evaluate", body=body)

    def click(self, selector):
        self.request("click", selector=selector)

    def send_keys(self, selector, *keys):
        self.request("keys", selector=selector, keys=list(keys))

    def move_mouse(self, selector, dx, dy):
        self.request("move", selector=selector, dx=dx, dy=dy)

    def screenshot(self, selector):
        return base64.b64decode(self.request("screenshot", selector=selector))

    def engine_errors(self):
        return self.request("errors")


def descendants():
    """This process's descendants now, from /proc."""
    children = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as stat:
                    parent = int(stat.read().rsplit(")", 1)[1].split()[1])
            except (OSError, IndexError, ValueError):
                continue
            children.setdefault(parent, []).append(int(entry))
    found, pending = [], [os.getpid()]
    while pending:
        for child in children.get(pending.pop(), []):
            found.append(child)
            pending.append(child)
    return found


def end_processes(pids):
    for pid in pids:
        with contextlib.suppress(ProcessLookupError):
            os.kill(pid, signal.SIGKILL)


@contextlib.contextmanager
def leaving_no_process():
    """Whatever the browser leaves behind (its helpers, a driver that hung) goes at the end:
    every process started under this one, found before any is ended, so none escapes by being
    orphaned first."""
    try:
        yield
    finally:
        leftover = descendants()
        end_processes(leftover)
        for pid in leftover:
            with contextlib.suppress(ChildProcessError):
                os.waitpid(pid, os.WNOHANG)


def need_display():
    check(os.environ.get("DISPLAY"), f"cannot start {engine}: it draws WebGL only with a display; "
          "run the test under xvfb-run")


def need_programs(*programs):
    for program in programs:
        check(os.access(program, os.X_OK), f"cannot start {engine}: {program} is not installed")


@contextlib.contextmanager
def chromium(extra_flags=(), phone=None):
    """phone: a mobile emulation such as PHONE; by default SPINTUNNEL_WEB_PHONE=1 asks for PHONE."""
    if phone is None and os.environ.get("SPINTUNNEL_WEB_PHONE") == "1":
        phone = PHONE
    need_programs(CHROMIUM, CHROMEDRIVER)
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
        yield ChromiumPage(driver)
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)


@contextlib.contextmanager
def webkit():
    need_display()
    need_programs(WEBKIT_BROWSER, WEBKIT_DRIVER)
    options = webdriver.WebKitGTKOptions()
    options.binary_location = WEBKIT_BROWSER
    options.add_argument("--automation")
    try:
        driver = webdriver.WebKitGTK(executable_path=WEBKIT_DRIVER, options=options)
    except WebDriverException as error:
        fail(f"cannot start webkit: {error.msg or error}")
    try:
        driver.set_script_timeout(30)
        driver.set_window_size(WINDOW_WIDTH, WINDOW_HEIGHT)
        yield SeleniumPage(driver, "webkit")
    finally:
        driver.quit()


@contextlib.contextmanager
def firefox():
    need_display()
    need_programs(FIREFOX, NODE)
    script = os.path.join(TESTS_DIR, "firefox.mjs")
    check(os.path.isdir(os.path.join(TESTS_DIR, "node_modules", "puppeteer-core")),
          f"cannot start firefox: no puppeteer-core in {TESTS_DIR}/node_modules; "
          "run `npm ci` there (scripts/install-deps.sh does)")
    profile = tempfile.mkdtemp(prefix="spintunnel-web-test-")
    stderr = tempfile.TemporaryFile()
    node = subprocess.Popen(
        [NODE, script, FIREFOX, profile, str(WINDOW_WIDTH), str(WINDOW_HEIGHT)],
        stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=stderr)
    page = FirefoxPage(node, stderr)
    try:
        page.request(None)  # its start
        yield page
    finally:
        with contextlib.suppress(OSError, TestFailure):
            page.ANSWER_SECONDS = 30
            page.request("close")
        with contextlib.suppress(subprocess.TimeoutExpired):
            node.wait(timeout=10)
        stderr.close()
        shutil.rmtree(profile, ignore_errors=True)


BROWSERS = {"chromium": chromium, "firefox": firefox, "webkit": webkit}


@contextlib.contextmanager
def session(site, page_script="", **browser_options):
    """The served site, with page_script run first in the page, and a browser of the engine the
    test was given (with options as that engine's function takes them; only chromium() has any):
    yields (page, base address)."""
    with leaving_no_process(), served(site, page_script) as base, \
            BROWSERS[engine](**browser_options) as page:
        yield page, base


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
    return driver.evaluate(f"return window.spintunnel ? spintunnel.{expression} : null;")


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
    return driver.evaluate("return document.getElementById('status').textContent;")


def console_errors(driver):
    """What the page reported as errors since it loaded, and what the engine itself did."""
    errors = driver.evaluate("return window.spintunnelErrors || null;")
    check(errors is not None, "the page has no error collector: it was not served by served()")
    return errors + driver.engine_errors()


# How long a replay may take to reach its frame. Measured on the busy 2-core machine: WebKit drew 17
# frames a second at first and 7 by frame 200; a third of that is allowed, 0.4 s a frame.
REPLAY_START_SECONDS = 60
REPLAY_SECONDS_PER_FRAME = 0.4


def stopped_picture(driver, base, game_input, frame, seconds=None):
    """Loads the page replaying game_input (a path under the site) up to `frame` and returns the
    picture of that frame, read from the canvas while it was still the frame just drawn. The
    replay may take `seconds`, by default as long as its length allows."""
    driver.load(f"{base}index.html?input={game_input}&frames={frame}")
    if seconds is None:
        seconds = REPLAY_START_SECONDS + frame * REPLAY_SECONDS_PER_FRAME
    wait_for_state(driver, "stopped", seconds)
    check(game(driver, "frameCount()") == frame, f"stopped at frame "
          f"{game(driver, 'frameCount()')}, not {frame}")
    return decode_data_url(game(driver, "picture"))


def decode_data_url(url):
    check(url and url.startswith("data:image/png;base64,"), "the page kept no picture")
    return Image.open(io.BytesIO(base64.b64decode(url.split(",", 1)[1]))).convert("RGB")


def canvas_picture(driver):
    """What the page shows in the canvas now, as a screenshot of the element."""
    picture = Image.open(io.BytesIO(driver.screenshot("#canvas"))).convert("RGB")
    check(picture.size == (CANVAS_WIDTH, CANVAS_HEIGHT),
          f"the canvas shows {picture.size[0]} x {picture.size[1]} pixels, not 640 x 480")
    return picture


def lit_fraction(picture, floor=16):
    """The fraction of pixels with some channel above floor: the part of the frame not black."""
    pixels = list(picture.getdata())
    return sum(1 for pixel in pixels if max(pixel) > floor) / len(pixels)
