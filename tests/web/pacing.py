"""The page paces its steps by the clock, not the display: with ?fps=20, early in a game, it takes
20 steps a second within 5 % over 5 seconds, while the browser's animation frames come at the
display's rate. When the browser itself stalls (an animation frame more than two step intervals
and 5 ms after the one before), the page rightly takes one step and does not catch up, so the
time a stall took beyond one step interval is not counted (on an idle machine there is none); a
window with less than 2 seconds left after that is measured again. An ?fps= the game cannot take is refused with the reason, and no game starts."""

import browser as b

STEPS_PER_SECOND = 20
WINDOW_MS = 5000
TOLERANCE = 0.05
INTERVAL_MS = 1000 / STEPS_PER_SECOND
LATE_MS = 2 * INTERVAL_MS + 5  # a longer gap in the browser's own frames is a stall
LEAST_COUNTED_MS = 2000
# Steps and animation frames over WINDOW_MS of the page's own clock, and the longest gap between
# animation frames.
MEASURE = """
return new Promise((done) => {
  const firstStep = spintunnel.frameCount();
  let frames = 0, stalls = 0, stalledMs = 0, start = null, previous = null;
  const each = (time) => {
    if (start === null) start = time;
    if (previous !== null && time - previous > %f) {
      stalls += 1;
      stalledMs += time - previous - %f;
    }
    previous = time;
    frames += 1;
    if (time - start < %d) {
      requestAnimationFrame(each);
    } else {
      done({steps: spintunnel.frameCount() - firstStep, frames: frames, ms: time - start,
            stalls: stalls, stalledMs: stalledMs});
    }
  };
  requestAnimationFrame(each);
});
""" % (LATE_MS, INTERVAL_MS, WINDOW_MS)
BAD_RATES = ["0", "1001", "abc", "2.5", ""]


def test(site):
    with b.session(site) as (driver, base):
        driver.set_script_timeout(WINDOW_MS / 1000 + 30)
        driver.get(f"{base}index.html?fps={STEPS_PER_SECOND}")
        b.wait_for_state(driver, "playing")
        b.wait_for_frames(driver, 5)
        disturbed = []

        def steady_window():
            window = driver.execute_script(MEASURE)
            if window["ms"] - window["stalledMs"] < LEAST_COUNTED_MS:
                disturbed.append(window)
                return None
            return window

        window = b.wait_for("5 seconds with 2 not stalled in the browser",
                            steady_window, 240, 0)
        rate = window["steps"] * 1000 / (window["ms"] - window["stalledMs"])
        print(f"{rate:.2f} steps a second over {window['ms']:.0f} ms "
              f"({window['stalls']} stalls, {window['stalledMs']:.0f} ms not counted), "
              f"{window['frames'] * 1000 / window['ms']:.1f} animation frames a second "
              f"({len(disturbed)} windows with stalls measured again)")
        b.check(abs(rate - STEPS_PER_SECOND) <= TOLERANCE * STEPS_PER_SECOND,
                f"?fps={STEPS_PER_SECOND} took {rate:.2f} steps a second: {window}")
        b.check(window["frames"] > window["steps"],
                "no more animation frames than steps: the display's own rate is not running")

        for bad in BAD_RATES:
            driver.get(f"{base}index.html?fps={bad}")
            b.wait_for_state(driver, "failed", 60)
            status = b.status_line(driver)
            b.check(status.startswith("?fps= takes game steps a second from 1 to 1000, or "
                                      "display, not "), f"?fps={bad}: status line {status!r}")
            b.check(b.game(driver, "loopFrames") == 0, f"?fps={bad} started a game")
        errors = b.console_errors(driver)
        b.check(not errors, "console errors: " + "; ".join(errors))


if __name__ == "__main__":
    b.run(test)
