"""The page paces its steps by the clock, not the display: with ?fps=20, early in a game, it takes
20 steps a second within 5 % over 5 seconds, while the browser's animation frames come at the
display's rate. A window in which the browser itself stalled (an animation frame more than two
step intervals late, which the page rightly does not catch up) says nothing about the pacing and is
measured again. An ?fps= the game cannot take is refused with the reason, and no game starts."""

import browser as b

STEPS_PER_SECOND = 20
WINDOW_MS = 5000
TOLERANCE = 0.05
LATE_MS = 2 * 1000 / STEPS_PER_SECOND  # a gap this long in the browser's own frames is a stall
# Steps and animation frames over WINDOW_MS of the page's own clock, and the longest gap between
# animation frames.
MEASURE = """
return new Promise((done) => {
  const firstStep = spintunnel.frameCount();
  let frames = 0, longestGap = 0, start = null, previous = null;
  const each = (time) => {
    if (start === null) start = time;
    if (previous !== null) longestGap = Math.max(longestGap, time - previous);
    previous = time;
    frames += 1;
    if (time - start < %d) {
      requestAnimationFrame(each);
    } else {
      done({steps: spintunnel.frameCount() - firstStep, frames: frames, ms: time - start,
            longestGap: longestGap});
    }
  };
  requestAnimationFrame(each);
});
""" % WINDOW_MS
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
            if window["longestGap"] > LATE_MS:
                disturbed.append(window)
                return None
            return window

        window = b.wait_for("5 seconds without a stall in the browser", steady_window, 240, 0)
        rate = window["steps"] * 1000 / window["ms"]
        print(f"{rate:.2f} steps a second over {window['ms']:.0f} ms, "
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
