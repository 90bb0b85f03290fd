"""The web page's own work per frame, in each browser engine: the page's main-thread milliseconds
per game frame (median and 99th percentile) and the frames per second, over frames 700 to 900 of
the textured and untextured scripted games, when the tunnel and the enemy ring are full. Each
figure is the median over several runs; then the size of the site's files.

The page keeps the figures itself (spintunnel.frameWork, spintunnel.frameStart), timed from
Module.preMainLoop to Module.postMainLoop, so any browser driver reads them the same way.

usage: bench_web.py [--site SITE_DIR] [--runs N] [--engines chromium,...]
"""

import argparse
import os
import signal
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                "tests", "web"))
import browser as b  # noqa: E402

FIRST_FRAME = 700  # by now the tunnel and the enemy ring are full
LAST_FRAME = 900
GAMES = ["orbs", "untextured"]  # the scripted games, texturing on and off
SITE_FILES = ["index.html", "index.js", "index.wasm", "index.data"]
SECONDS_PER_RUN = 600  # a loaded 2-core machine may run the page at a few frames a second

# Engine name -> a context manager that yields a fresh browser's page (firefox and webkit need a
# display: make bench-web runs this under xvfb-run).
ENGINES = b.BROWSERS


def percentile(values, fraction):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(fraction * len(ordered)))]


def one_run(driver, base, game):
    """Median and 99th percentile milliseconds per frame, and frames per second, over the window."""
    # One step per animation frame, so every frame's time is one step's, whatever the display.
    driver.load(f"{base}index.html?input=games/{game}.txt&frames={LAST_FRAME}&fps=display")
    b.wait_for_state(driver, "stopped", seconds=SECONDS_PER_RUN)
    work = b.game(driver, f"frameWork.slice({FIRST_FRAME}, {LAST_FRAME + 1})")
    start = b.game(driver, f"frameStart.slice({FIRST_FRAME}, {LAST_FRAME + 1})")
    b.check(work and len(work) == LAST_FRAME - FIRST_FRAME + 1 and None not in work,
            f"{game}: the page kept no time for some frame of {FIRST_FRAME} to {LAST_FRAME}")
    fps = (LAST_FRAME - FIRST_FRAME) / ((start[-1] - start[0]) / 1000.0)
    return statistics.median(work), percentile(work, 0.99), fps


def site_bytes(site):
    """The main files by name, then everything else the site holds (icons, manifest, service
    worker, the scripted games) together."""
    sizes = {name: os.path.getsize(os.path.join(site, name)) for name in SITE_FILES}
    rest = 0
    for folder, _, names in os.walk(site):
        for name in names:
            path = os.path.join(folder, name)
            if os.path.relpath(path, site) not in SITE_FILES:
                rest += os.path.getsize(path)
    sizes["the rest"] = rest
    return sizes


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--site", default=os.path.join(here, "build-web", "site"))
    parser.add_argument("--runs", type=int, default=int(os.environ.get("BENCH_WEB_RUNS", "3")))
    parser.add_argument("--engines", default=os.environ.get("BENCH_WEB_ENGINES", ",".join(ENGINES)))
    options = parser.parse_args()
    engines = options.engines.split(",")
    for engine in engines:
        if engine not in ENGINES:
            sys.exit(f"unknown engine {engine}; known: {', '.join(ENGINES)}")
    if not os.path.isfile(os.path.join(options.site, "index.html")):
        sys.exit(f"no web build in {options.site}: run `make web` first")

    signal.signal(signal.SIGALRM, b.give_up)
    signal.signal(signal.SIGTERM, b.give_up)
    signal.alarm(SECONDS_PER_RUN * options.runs * len(GAMES) * len(engines) + 120)
    print(f"frames {FIRST_FRAME}-{LAST_FRAME}, median of {options.runs} runs; "
          "page main-thread ms per frame")
    print(f"{'engine':10} {'game':11} {'median ms':>10} {'p99 ms':>8} {'fps':>6}")
    try:
        for engine in engines:
            with b.served(options.site) as base, b.leaving_no_process(), ENGINES[engine]() as driver:
                for game in GAMES:
                    runs = [one_run(driver, base, game) for _ in range(options.runs)]
                    median, p99, fps = (statistics.median(column) for column in zip(*runs))
                    print(f"{engine:10} {game:11} {median:10.2f} {p99:8.2f} {fps:6.1f}", flush=True)
    except b.TestFailure as failure:
        sys.exit(f"bench-web: {failure}")
    sizes = site_bytes(options.site)
    for name, size in sizes.items():
        print(f"{name:12} {size:9,} bytes")
    total = sum(sizes.values())
    print(f"{'in all':12} {total:9,} bytes ({(total + 512) // 1024} KiB)")


if __name__ == "__main__":
    main()
