"""The browser plays the native game's course: replaying the repo's scripted games, the page's
picture of a frame matches the desktop capture tool's picture of the same frame, pixel for pixel
within a tolerance for the two software rasterizers (Mesa's llvmpipe under Xvfb, SwiftShader in
Chromium; Firefox and WebKit draw with Mesa's llvmpipe themselves, under Xvfb). The same comparison against the neighbouring frame must fail, so the tolerance is tight
enough to see an orb or the tunnel one step out of place.

Measured on the tunnel at frame 110, before any orb: 0.02 % of the pixels differ by more than 8 of
255 in some channel (61 pixels, along edges); the mean difference is 0.7. With orbs and a burst
(orbs 900, burst 196) it is 0.04 %. Frames one step apart differ in far more than 5 % of pixels.

usage: course_matches_native.py SITE_DIR SECONDS [ENGINE]  (run from the native build folder)
"""

import os
import subprocess
import tempfile

import browser as b
from PIL import Image, ImageChops

PIXEL_TOLERANCE = 8       # per channel, of 255
ALLOWED_FRACTION = 0.002  # ten times the measured difference of the two renderers
SECONDS_PER_GAME = 400    # 900 frames at the 3 a second a loaded 2-core machine may give
SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

#        game             frame  what it shows
CASES = [("tunnel", 110),      # the tunnel alone, textured
         ("untextured", 900),  # plain lit colours, orbs on the way
         ("orbs", 900),        # orbs of both kinds streaming in, all 25 enemy slots in use
                               # (the 25th orb comes in frame 578, the 53rd by frame 900)
         ("burst", 196)]       # a shot has hit: the wedges fly apart


def native_pictures(game, frame, folder):
    """The capture tool's pictures of frame - 1 and frame."""
    paths = [os.path.join(folder, f"{game}-{shot}.png") for shot in (frame - 1, frame)]
    command = ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24", "./spintunnel-capture",
               "--frames", str(frame),
               "--input", os.path.join(SOURCE_DIR, "docs", "screenshots", f"{game}.txt"),
               "--shot", f"{frame - 1}:{paths[0]}", "--shot", f"{frame}:{paths[1]}"]
    try:
        subprocess.run(command, check=True, timeout=180, capture_output=True)
    except (subprocess.SubprocessError, OSError) as error:
        b.fail(f"the capture tool failed on {game}: {error}")
    return [Image.open(path).convert("RGB") for path in paths]


def differing_fraction(first, second):
    b.check(first.size == second.size, f"pictures of {first.size} and {second.size}")
    differences = ImageChops.difference(first, second).getdata()
    return sum(1 for pixel in differences if max(pixel) > PIXEL_TOLERANCE) / len(differences)


def test(site):
    b.check(os.access("spintunnel-capture", os.X_OK), "run from the native build folder")
    with tempfile.TemporaryDirectory() as folder, b.session(site) as (driver, base):
        for game, frame in CASES:
            previous, native = native_pictures(game, frame, folder)
            web = b.stopped_picture(driver, base, f"games/{game}.txt", frame, SECONDS_PER_GAME)
            same = differing_fraction(web, native)
            print(f"{game} frame {frame}: {same:.4%} of pixels differ from the native frame")
            b.check(same <= ALLOWED_FRACTION,
                    f"{game} frame {frame}: {same:.2%} of pixels differ from the native frame, "
                    f"more than {ALLOWED_FRACTION:.2%}")
            neighbour = differing_fraction(web, previous)
            b.check(neighbour > 10 * ALLOWED_FRACTION,
                    f"{game} frame {frame}: the native frame before it differs in only "
                    f"{neighbour:.2%} of pixels; the comparison cannot tell frames apart")
            errors = b.console_errors(driver)
            b.check(not errors, f"{game}: console errors: " + "; ".join(errors))


b.run(test)
