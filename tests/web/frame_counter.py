"""One game step per animation frame with ?fps=display, and the same course every time: after the
page has run N animation frames the game's frame counter is N; whatever the pacing, a replay stops
exactly at the frame asked for, and loading the same input again gives the same pictures, byte for
byte."""

import browser as b

FRAMES = 150
# Counts the animation-frame callbacks the page runs, from before any of its own scripts.
COUNT_ANIMATION_FRAMES = """
window.animationFramesRun = 0;
const request = window.requestAnimationFrame.bind(window);
window.requestAnimationFrame = (callback) => request((time) => {
  window.animationFramesRun += 1;
  callback(time);
});
"""
REPLAYS = [("burst", 196), ("untextured", 60)]


def test(site):
    with b.session(site, COUNT_ANIMATION_FRAMES) as (driver, base):
        # One step per animation frame, whatever the display: the count below is exact.
        driver.load(f"{base}index.html?input=games/tunnel.txt&frames={FRAMES}&fps=display")
        b.wait_for_state(driver, "stopped",
                         b.REPLAY_START_SECONDS + FRAMES * b.REPLAY_SECONDS_PER_FRAME)
        b.check(b.game(driver, "frameCount()") == FRAMES,
                f"stopped at frame {b.game(driver, 'frameCount()')}, not {FRAMES}")
        picture = b.decode_data_url(b.game(driver, "picture"))
        counted = driver.evaluate("return window.animationFramesRun;")
        b.check(counted == FRAMES, f"{counted} animation frames ran for {FRAMES} game frames")
        b.check(b.game(driver, "loopFrames") == FRAMES,
                f"the main loop ran {b.game(driver, 'loopFrames')} times for {FRAMES} frames")
        b.check(b.lit_fraction(picture) > 0.5, "the stopped frame is mostly black")

        for game, frame in REPLAYS:
            first = b.stopped_picture(driver, base, f"games/{game}.txt", frame)
            second = b.stopped_picture(driver, base, f"games/{game}.txt", frame)
            b.check(first.tobytes() == second.tobytes(),
                    f"{game} frame {frame}: two replays of the same input drew different pictures")
            other = b.stopped_picture(driver, base, f"games/{game}.txt", frame - 1)
            b.check(other.tobytes() != first.tobytes(),
                    f"{game}: frames {frame - 1} and {frame} look the same")
        errors = b.console_errors(driver)
        b.check(not errors, "console errors: " + "; ".join(errors))


b.run(test)
