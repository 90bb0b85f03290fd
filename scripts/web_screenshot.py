#!/usr/bin/python3
"""The README's pictures of the game in a browser, in headless Chromium: the page replaying the
orbs game up to frame 900, cropped to the page's content; the same page on a phone (Chromium's
mobile emulation, 390 x 844 CSS pixels, touch), top to bottom as the phone shows it; and watching
a replay link of a desktop game paused after a jump to frame 250, cropped to the page's content.

usage: scripts/web_screenshot.py [SITE_DIR [PICTURE [PHONE_PICTURE [REPLAY_PICTURE]]]]
       (defaults: build-web/site, docs/images/web.png, docs/images/web-phone.png,
        docs/images/web-replay.png; - skips one)
"""

import io
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import browser  # noqa: E402
import replay_support  # noqa: E402
from PIL import Image  # noqa: E402

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
images = os.path.join(root, "docs", "images")
site = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build-web", "site")
picture = sys.argv[2] if len(sys.argv) > 2 else os.path.join(images, "web.png")
phone_picture = sys.argv[3] if len(sys.argv) > 3 else os.path.join(images, "web-phone.png")
replay_picture = sys.argv[4] if len(sys.argv) > 4 else os.path.join(images, "web-replay.png")

FRAME = 900
REPLAY_FRAME = 250
SECONDS = 900  # software WebGL on a busy machine can take minutes for 900 frames


def replay_orbs(driver, base):
    driver.get(f"{base}index.html?input=games/orbs.txt&frames={FRAME}")
    browser.wait_for_state(driver, "stopped", SECONDS)


def save_page(driver, path):
    main = driver.find_element("tag name", "main")
    shot = Image.open(io.BytesIO(driver.get_screenshot_as_png())).convert("RGB")
    box = main.rect
    margin = 16
    shot.crop((int(box["x"]) - margin, int(box["y"]) - margin,
               int(box["x"] + box["width"]) + margin, int(box["y"] + box["height"]) + margin)
              ).save(path, optimize=True)


def desktop(path):
    with browser.session(site) as (driver, base):
        driver.set_window_size(800, 1000)  # room for the whole page
        replay_orbs(driver, base)
        save_page(driver, path)


def phone(path):
    with browser.session(site, phone=browser.PHONE) as (driver, base):
        replay_orbs(driver, base)
        # The phone's whole screen at one CSS pixel to a picture pixel, as the page lays it out.
        shot = Image.open(io.BytesIO(driver.get_screenshot_as_png())).convert("RGB")
        width, height = driver.execute_script("return [innerWidth, innerHeight];")
        shot.resize((width, height), Image.LANCZOS).save(path, optimize=True)


def replay(path):
    with browser.session(site) as (driver, base):
        driver.set_window_size(800, 1000)
        driver.get(base)
        browser.wait_for_state(driver, "playing")
        with open(replay_support.DESKTOP_GAME, encoding="utf-8") as file:
            link = replay_support.link_for(driver, file.read())
        replay_support.open_fresh(driver, f"{link}&jump={REPLAY_FRAME}")
        browser.wait_for("the jump", lambda: browser.game(driver, "jumpedTo") == REPLAY_FRAME,
                         SECONDS)
        save_page(driver, path)


for take, path in ((desktop, picture), (phone, phone_picture), (replay, replay_picture)):
    if path != "-":
        take(path)
        print(f"wrote {path}")
