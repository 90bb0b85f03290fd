"""A game played in the page is kept exactly: played with keys, the mouse and touch, its recording
(spintunnel.recording(), and the same text as the "Save recording" download) replays in the
desktop capture tool and through the page's own replay link to the same frame, past its last
event: the same picture within the renderers' tolerance, the same frame count and spin angle
exactly, and the replay records the very same text again. The other way round, a recording made by
the desktop game, turned into a link by the page's encoder, replays to the capture tool's frame.

usage: replay_round_trip.py SITE_DIR SECONDS  (run from the native build folder)
"""

import os
import re
import tempfile
import time

import browser as b
import replay_support as r
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

FRAMES_PAST_LAST_EVENT = 40
FILE_NAME = re.compile(r"^spintunnel-\d{8}-\d{6}\.txt$")


def keys(driver, canvas, text):
    canvas.send_keys(text)


def point(driver, canvas, offset):
    """The mouse to a point offset from the canvas's centre: one motion event."""
    ActionChains(driver, duration=0).move_to_element_with_offset(canvas, *offset).perform()


def click(driver, canvas, offset):
    ActionChains(driver, duration=0).move_to_element_with_offset(canvas, *offset).click().perform()


def drag(driver, canvas, offsets):
    """Press at the first point, move through the rest, release: motion with a button down."""
    chain = ActionChains(driver, duration=0).move_to_element_with_offset(canvas, *offsets[0])
    chain.click_and_hold()
    for offset in offsets[1:]:
        chain.move_to_element_with_offset(canvas, *offset)
    chain.release().perform()


def touch(driver, points):
    """One touch: down at the first point (viewport CSS pixels), through the rest, and up."""
    driver.execute_cdp_cmd("Input.dispatchTouchEvent",
                           {"type": "touchStart", "touchPoints": [dict(zip("xy", points[0]))]})
    for x, y in points[1:]:
        driver.execute_cdp_cmd("Input.dispatchTouchEvent",
                               {"type": "touchMove", "touchPoints": [{"x": x, "y": y}]})
    driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})


def centre(element):
    box = element.rect
    return box["x"] + box["width"] / 2, box["y"] + box["height"] / 2


def touch_button(driver, canvas, key):
    """A tap on the touch control that stands for key."""
    touch(driver, [centre(driver.find_element("css selector", f"#touch button[data-key='{key}']"))])


def touch_drag(driver, canvas, offsets):
    """A finger down on the canvas, dragged through points offset from its centre, and lifted."""
    x, y = centre(canvas)
    touch(driver, [(x + dx, y + dy) for dx, dy in offsets])


# A few hundred frames of play: each step waits for its frame, then acts.
#       from frame  action  argument                   what the game does
PLAY = [(20, keys, Keys.ARROW_LEFT),                   # spins left
        (50, point, (60, 0)),                          # turns by the mouse
        (70, keys, " "),                               # fires
        (90, click, (-40, 20)),                        # turns, fires with the button
        (110, touch_button, "x"),                      # the touch control spins right
        (120, keys, "x"),                              # spins right
        (135, touch_drag, [(30, 0), (0, 4), (-50, 8)]),  # the finger turns the world
        (150, drag, [(-20, 0), (10, 5), (45, 10)]),    # fires, turns while held
        (180, keys, Keys.ARROW_DOWN),                  # stops spinning
        (200, keys, "t"),                              # texturing off
        (215, touch_button, " "),                      # the touch control fires
        (230, keys, "  z"),                            # two shots, spins left
        (260, keys, Keys.ARROW_RIGHT)]                 # spins right
# Each kind of event the play above must have recorded.
RECORDED_KINDS = ("key", "special", "mouse", "motion")


def play(driver):
    # A touch screen as well as a mouse, so the page shows its touch controls too.
    driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True,
                                                                  "maxTouchPoints": 1})
    driver.get(driver.base)
    b.wait_for_state(driver, "playing")
    canvas = driver.find_element("id", "canvas")
    for frame, action, argument in PLAY:
        b.wait_for_frames(driver, frame)
        action(driver, canvas, argument)
    b.wait_for("the last input in the recording", lambda: r.last_frame(
        b.game(driver, "recording()")) >= PLAY[-1][0], 30)
    return b.game(driver, "recording()")


def saved_recording(driver, folder):
    """The file "Save recording" downloads: its name and its text."""
    driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                           {"behavior": "allow", "downloadPath": folder})
    driver.find_element("id", "save-recording").click()

    def downloaded():
        names = [name for name in os.listdir(folder) if not name.endswith(".crdownload")]
        return names[0] if names else None

    name = b.wait_for("the download", downloaded, 30)
    time.sleep(0.2)  # a finished download is renamed after its last write
    with open(os.path.join(folder, name), encoding="utf-8") as file:
        return name, file.read()


def test(site):
    with tempfile.TemporaryDirectory() as folder, b.session(site) as (driver, base):
        driver.base = base
        recording = play(driver)
        events = [line.split()[1] for line in recording.splitlines()[1:] if line.strip()]
        for kind in RECORDED_KINDS:
            b.check(kind in events, f"no {kind} event in the recording:\n{recording}")
        b.check(recording.startswith("# spintunnel input recording"),
                f"not the desktop recorder's format:\n{recording[:200]}")

        name, saved = saved_recording(driver, os.path.join(folder, "downloads"))
        b.check(FILE_NAME.match(name), f"the download is called {name!r}")
        b.check(saved == b.game(driver, "recording()"), "the download is not the recording")

        link = driver.execute_script("return spintunnel.replayLink();")
        driver.find_element("id", "copy-link").click()
        b.wait_for("the link shown", lambda: driver.find_element("id", "replay-link")
                   .get_attribute("value"), 30)
        b.check(driver.find_element("id", "replay-link").get_attribute("value") == link,
                "Copy replay link shows another link than spintunnel.replayLink()")
        b.check(link.startswith(base + "index.html#replay="), f"the link: {link[:80]}")

        path = os.path.join(folder, "played.txt")
        with open(path, "w", encoding="utf-8") as file:
            file.write(recording)
        games = [("the page's game", path, recording, link),
                 ("the desktop game", r.DESKTOP_GAME, None, None)]
        for what, input_path, text, game_link in games:
            if text is None:
                with open(input_path, encoding="utf-8") as file:
                    text = file.read()
                open_page = base + "index.html"
                r.open_fresh(driver, open_page)
                b.wait_for_state(driver, "playing")
                game_link = r.link_for(driver, text)
            frame = r.last_frame(text) + FRAMES_PAST_LAST_EVENT
            previous, native, native_frames, native_angle = r.native_frame(input_path, frame,
                                                                           folder)
            web, web_frames, web_angle = r.stopped_link_frame(driver, game_link, frame)
            r.compare_with_native(f"{what} at frame {frame}", web, previous, native)
            b.check(web_frames == native_frames == frame,
                    f"{what}: frame {web_frames} in the page, {native_frames} on the desktop")
            b.check(web_angle == native_angle,
                    f"{what}: spin angle {web_angle} in the page, {native_angle} on the desktop")
            b.check(b.game(driver, "recording()") == text,
                    f"{what}: the replay recorded another text than it replayed:\n"
                    f"{b.game(driver, 'recording()')}")
            errors = b.console_errors(driver)
            b.check(not errors, f"{what}: console errors: " + "; ".join(errors))


b.run(test)
