#!/usr/bin/python3
"""How long a replay link gets: steady play for 1 and 5 minutes (3,600 and 18,000 frames at 60
steps a second), written as the recorder writes it and turned into a link by the page's own
encoder in headless Chromium. The page must take each link back (it starts the replay).

Steady play, the same every run (a fixed seed):
- a spin key every second or so (z, x, c or an arrow key);
- a burst of 2 to 5 shots every 2 to 3 seconds, a few frames apart;
- a mouse drag every 4 seconds or so: press, half a second of motion a few pixels a frame, release.

usage: scripts/replay_link_lengths.py [SITE_DIR]   (default: build-web/site)
"""

import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import browser  # noqa: E402
import replay_support  # noqa: E402

HEADER = "# spintunnel input recording: FRAME EVENT, replay with spintunnel-capture\n"
SPIN_KEYS = ["key z", "key x", "key c", "special left", "special right", "special down"]
GAMES = [("1 minute", 3600), ("5 minutes", 18000)]


def steady_play(frames, seed=1):
    rng = random.Random(seed)
    events = []
    frame = 30
    while frame < frames:
        events.append((frame, rng.choice(SPIN_KEYS)))
        frame += rng.randint(45, 75)
    frame = 90
    while frame < frames:
        for shot in range(rng.randint(2, 5)):
            events.append((frame + shot * rng.randint(4, 8), "key space"))
        frame += rng.randint(120, 180)
    frame = 200
    x = 320
    while frame < frames:
        y = rng.randint(200, 280)
        events.append((frame, f"mouse left down {x} {y}"))
        for step in range(1, 31):
            x = max(0, min(639, x + rng.choice((-1, 1)) * rng.randint(2, 9)))
            events.append((frame + step, f"motion {x} {y + rng.randint(-3, 3)}"))
        events.append((frame + 31, f"mouse left up {x} {y}"))
        frame += rng.randint(200, 280)
    events = sorted((event for event in events if event[0] < frames), key=lambda e: e[0])
    return HEADER + "".join(f"{frame} {what}\n" for frame, what in events), len(events)


site = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "build-web", "site")
with browser.session(site) as (driver, base):
    driver.get(base)
    browser.wait_for_state(driver, "playing")
    for what, frames in GAMES:
        text, events = steady_play(frames)
        link = replay_support.link_for(driver, text)
        code = link.split("#replay=", 1)[1]
        replay_support.open_fresh(driver, link + "&frames=1")
        browser.wait_for_state(driver, "stopped")
        driver.get(base)
        browser.wait_for_state(driver, "playing")
        print(f"{what} ({frames} frames): {events} events, {len(text)} bytes of text, "
              f"{len(code)} characters after #replay=, {len(link)} in the whole link from {base}")
