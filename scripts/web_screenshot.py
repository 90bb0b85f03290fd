#!/usr/bin/python3
"""The README's picture of the game in a browser: the page in headless Chromium, replaying the
orbs game up to frame 900, cropped to the page's content.

usage: scripts/web_screenshot.py [SITE_DIR [PICTURE]]   (defaults: build-web/site, docs/images/web.png)
"""

import io
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import browser  # noqa: E402
from PIL import Image  # noqa: E402

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
site = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build-web", "site")
picture = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, "docs", "images", "web.png")

with browser.session(site) as (driver, base):
    driver.set_window_size(800, 1000)  # room for the whole page
    browser.stopped_picture(driver, base, "games/orbs.txt", 900)
    main = driver.find_element("tag name", "main")
    shot = Image.open(io.BytesIO(driver.get_screenshot_as_png())).convert("RGB")
    box = main.rect
    margin = 16
    shot.crop((int(box["x"]) - margin, int(box["y"]) - margin,
               int(box["x"] + box["width"]) + margin, int(box["y"] + box["height"]) + margin)
              ).save(picture, optimize=True)
print(f"wrote {picture}")
