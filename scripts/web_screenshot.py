#!/usr/bin/python3
"""The README's pictures of the game in a browser: the page in headless Chromium, replaying the
orbs game up to frame 900, and watching a replay link of a desktop game paused after a jump to
frame 250, each cropped to the page's content.

usage: scripts/web_screenshot.py [SITE_DIR [PICTURE [REPLAY_PICTURE]]]
       (defaults: build-web/site, docs/images/web.png, docs/images/web-replay.png)
"""

import io
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import browser  # noqa: E402
import replay_support  # noqa: E402
from PIL import Image  # noqa: E402

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
site = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build-web", "site")
picture = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, "docs", "images", "web.png")
replay_picture = sys.argv[3] if len(sys.argv) > 3 else os.path.join(root, "docs", "images",
                                                                     "web-replay.png")
REPLAY_FRAME = 250


def save_page(driver, path):
    main = driver.find_element("tag name", "main")
    shot = Image.open(io.BytesIO(driver.get_screenshot_as_png())).convert("RGB")
    box = main.rect
    margin = 16
    shot.crop((int(box["x"]) - margin, int(box["y"]) - margin,
               int(box["x"] + box["width"]) + margin, int(box["y"] + box["height"]) + margin)
              ).save(path, optimize=True)
    print(f"wrote {path}")


with browser.session(site) as (driver, base):
    driver.set_window_size(800, 1000)  # room for the whole page
    browser.stopped_picture(driver, base, "games/orbs.txt", 900)
    save_page(driver, picture)

    with open(replay_support.DESKTOP_GAME, encoding="utf-8") as file:
        link = replay_support.link_for(driver, file.read())
    replay_support.open_fresh(driver, f"{link}&jump={REPLAY_FRAME}")
    browser.wait_for("the jump", lambda: browser.game(driver, "jumpedTo") == REPLAY_FRAME, 120)
    save_page(driver, replay_picture)
