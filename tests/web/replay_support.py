"""Shared by the replay tests: the desktop capture tool's picture and state of a frame, and the
page's, reached through a replay link."""

import os
import struct
import subprocess

import browser as b
from PIL import Image, ImageChops

# The same tolerance as course_matches_native: two software rasterizers that differ a little along
# edges (measured 0.02 % to 0.04 % of pixels), while frames one step apart differ in over 5 %.
PIXEL_TOLERANCE = 8       # per channel, of 255
ALLOWED_FRACTION = 0.002
# A real desktop recording: the desktop game played live under Xvfb through xdotool (keys, arrows,
# clicks and a drag), recorded with SPINTUNNEL_RECORD.
DESKTOP_GAME = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data", "desktop-game.txt")


def as_float32(value):
    return struct.unpack("f", struct.pack("f", value))[0]


def last_frame(recording):
    """The frame stamped on a recording's last event."""
    frames = [int(line.split()[0]) for line in recording.splitlines()
              if line.strip() and not line.lstrip().startswith("#")]
    b.check(frames, "the recording holds no events")
    return max(frames)


def native_frame(input_path, frame, folder):
    """The capture tool's pictures of frame - 1 and frame, its frame count and its spin angle.
    Run from the native build folder."""
    b.check(os.access("spintunnel-capture", os.X_OK), "run from the native build folder")
    paths = [os.path.join(folder, f"native-{shot}.png") for shot in (frame - 1, frame)]
    command = ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24", "./spintunnel-capture",
               "--frames", str(frame), "--input", input_path, "--state",
               "--shot", f"{frame - 1}:{paths[0]}", "--shot", f"{frame}:{paths[1]}"]
    try:
        done = subprocess.run(command, check=True, timeout=180, capture_output=True, text=True)
    except (subprocess.SubprocessError, OSError) as error:
        b.fail(f"the capture tool failed on {input_path}: {error}")
    state = dict(line.split(" ", 1) for line in done.stdout.splitlines() if " " in line)
    b.check("frame_count" in state and "spin_angle" in state,
            f"the capture tool printed no state: {done.stdout!r}")
    pictures = [Image.open(path).convert("RGB") for path in paths]
    return pictures[0], pictures[1], int(state["frame_count"]), as_float32(float(state["spin_angle"]))


def differing_fraction(first, second):
    b.check(first.size == second.size, f"pictures of {first.size} and {second.size}")
    differences = ImageChops.difference(first, second).getdata()
    return sum(1 for pixel in differences if max(pixel) > PIXEL_TOLERANCE) / len(differences)


def open_fresh(driver, address):
    """Loads address as a new page: going from one link to another changes only the fragment,
    which a browser takes as the same page."""
    driver.get("about:blank")
    driver.get(address)


def link_for(driver, text):
    """The page's own encoder's link for a recording."""
    link = driver.execute_script("return spintunnel.linkFor(arguments[0]);", text)
    b.check(link and "#replay=" in link, f"no replay link: {link!r}")
    return link


def stopped_link_frame(driver, link, frame):
    """Replays a link to frame and returns that frame's picture, with the page's frame count and
    spin angle there."""
    open_fresh(driver, f"{link}&frames={frame}")
    b.wait_for_state(driver, "stopped")
    return (b.decode_data_url(b.game(driver, "picture")), b.game(driver, "frameCount()"),
            b.game(driver, "spinAngle()"))


def compare_with_native(what, web, previous, native):
    """The page's frame matches the capture tool's within the tolerance, and the tolerance is tight
    enough to tell the frame before apart."""
    same = differing_fraction(web, native)
    print(f"{what}: {same:.4%} of pixels differ from the native frame")
    b.check(same <= ALLOWED_FRACTION, f"{what}: {same:.2%} of pixels differ from the native frame, "
            f"more than {ALLOWED_FRACTION:.2%}")
    neighbour = differing_fraction(web, previous)
    b.check(neighbour > 10 * ALLOWED_FRACTION, f"{what}: the native frame before differs in only "
            f"{neighbour:.2%} of pixels; the comparison cannot tell frames apart")
