"""Watching a replay: the page shows the frame, the recording's last frame and a progress bar while
a replay link runs. Pause holds the frame count; at x4 each animation frame takes exactly 4 game
steps; a jump ahead arrives at its frame and pauses there with the same picture as a replay
stopped at that frame, and a jump back starts the replay again and arrives the same way. Live input
waits while the replay runs (even q); at the recording's last frame the player takes over, at the
ordinary speed, and the recording goes on from there.

usage: replay_controls.py SITE_DIR SECONDS
"""

import browser as b
import replay_support as r
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

HELD_FRAMES = 20       # animation frames that run while paused
FAST_FRAMES = 12       # animation frames counted at x4
SPEED = 4
JUMP_AHEAD_MARGIN = 40  # the forward jump lands this far before the recording's end
JUMP_BACK_TO = 150


def counters(driver):
    """The animation frames run and the game's frame count, read together between two frames."""
    return driver.execute_script(
        "return [spintunnel.animationFrames, spintunnel.frameCount()];")


def click(driver, element_id):
    driver.find_element("id", element_id).click()


def speed_button(driver, speed):
    return driver.find_element("css selector", f"#watch button[data-speed='{speed}']")


def jump(driver, frame):
    field = driver.find_element("id", "jump-frame")
    field.clear()
    field.send_keys(str(frame))
    click(driver, "jump")
    b.wait_for(f"the jump to frame {frame}", lambda: b.game(driver, "jumpedTo") == frame, 120)
    b.check(b.game(driver, "frameCount()") == frame,
            f"jumped to frame {b.game(driver, 'frameCount()')}, not {frame}")
    b.check(b.game(driver, "replay.paused()"), f"not paused after the jump to {frame}")
    return b.decode_data_url(b.game(driver, "picture"))


def test(site):
    with open(r.DESKTOP_GAME, encoding="utf-8") as file:
        recording = file.read()
    last = r.last_frame(recording)
    with b.session(site) as (driver, base):
        driver.get(base)
        b.wait_for_state(driver, "playing")
        # One ordinary step per animation frame, so a speed is exactly that many steps a frame
        # whatever the machine's display and load.
        link = r.link_for(driver, recording).replace("index.html#", "index.html?fps=display#")
        r.open_fresh(driver, link)
        b.wait_for_state(driver, "playing")
        click(driver, "replay-play")  # pause as early as the page lets us
        b.check(b.game(driver, "replay.running()"), "the link's replay is not running")
        watch = driver.find_element("id", "watch")
        b.check(watch.is_displayed(), "no replay controls while the replay runs")
        b.check(b.status_line(driver) == "Watching a replay", f"status: {b.status_line(driver)!r}")

        # Pause holds the frame count while the animation frames go on.
        b.check(b.game(driver, "replay.paused()"), "Pause did not pause")
        loops, frame = counters(driver)
        b.wait_for("animation frames while paused",
                   lambda: counters(driver)[0] >= loops + HELD_FRAMES, 30)
        b.check(counters(driver)[1] == frame, f"paused at frame {frame}, the game went on to "
                f"{counters(driver)[1]}")
        position = driver.find_element("id", "replay-position").text
        b.check(position == f"Frame {frame} of {last}", f"the controls show {position!r}")
        progress = float(driver.find_element("id", "replay-progress").get_attribute("value"))
        b.check(abs(progress - frame / last) < 1e-6, f"progress {progress} at frame {frame}")

        # x4: four game steps to every animation frame.
        speed_button(driver, SPEED).click()
        click(driver, "replay-play")
        b.check(speed_button(driver, SPEED).get_attribute("aria-pressed") == "true",
                "the x4 button does not show as chosen")
        b.wait_for("the replay to run", lambda: counters(driver)[1] > frame, 30)
        start = counters(driver)
        b.wait_for("animation frames at x4",
                   lambda: counters(driver)[0] >= start[0] + FAST_FRAMES, 30)
        end = counters(driver)
        b.check(end[1] < last, "the replay ended before x4 could be measured")
        b.check(end[1] - start[1] == SPEED * (end[0] - start[0]),
                f"{end[0] - start[0]} animation frames took {end[1] - start[1]} steps at x{SPEED}")
        click(driver, "replay-play")  # pause again

        # A jump ahead, and one back, each to the picture of a replay stopped there. Going back
        # loads the replay again.
        ahead = last - JUMP_AHEAD_MARGIN
        b.check(ahead > b.game(driver, "frameCount()"), "no room left to jump ahead")
        jumped = {ahead: jump(driver, ahead)}
        b.check(b.game(driver, "replay.running()"), "the replay ended at a jump before its end")
        jumped[JUMP_BACK_TO] = jump(driver, JUMP_BACK_TO)
        b.check(b.game(driver, "loopFrames") < ahead, "the jump back did not start again")

        # Live input waits while the replay runs: keys, the quit key and the mouse on the canvas.
        canvas = driver.find_element("id", "canvas")
        ActionChains(driver, duration=0).move_to_element_with_offset(canvas, 50, 0).click() \
            .perform()
        driver.execute_script("arguments[0].focus();", canvas)
        canvas.send_keys(Keys.ARROW_LEFT, " q")
        b.check(b.state(driver) == "playing",
                f"live input reached the game during the replay: {b.status_line(driver)!r}")

        speed_button(driver, 8).click()
        click(driver, "replay-play")

        # Played to its end: the player takes over at the recording's last frame, at x1.
        b.wait_for("the replay's end", lambda: not b.game(driver, "replay.running()"), 60)
        b.check(b.game(driver, "replay.speed()") == 1, "the game after the replay runs at "
                f"x{b.game(driver, 'replay.speed()')}")
        b.check(not driver.find_element("id", "watch").is_displayed(),
                "replay controls after the replay ended")
        b.check(b.status_line(driver) == f"The replay ended at frame {last}: the game is yours",
                f"status after the replay: {b.status_line(driver)!r}")
        b.check(b.game(driver, "recording()") == recording,
                "the replay's recording is not the recording replayed: live input got in")
        canvas.send_keys("z")
        b.wait_for("the player's key in the recording",
                   lambda: b.game(driver, "recording()") != recording, 30)
        added = b.game(driver, "recording()")[len(recording):].split()
        b.check(len(added) == 3 and added[1:] == ["key", "z"] and int(added[0]) > last,
                f"after the replay the recording went on with {added}")

        for frame, picture in jumped.items():
            stopped, stopped_at, _ = r.stopped_link_frame(driver, link, frame)
            b.check(stopped_at == frame, f"stopped at {stopped_at}, not {frame}")
            b.check(picture.tobytes() == stopped.tobytes(), f"the jump to frame {frame} shows "
                    "another picture than a replay stopped there")
        errors = b.console_errors(driver)
        b.check(not errors, "console errors: " + "; ".join(errors))


b.run(test)
