"""WebGL trouble. In a Chromium without WebGL the status line says plainly that this browser
cannot draw with WebGL and what to try, no frame is attempted and the console has no error. When
a running game loses its WebGL context, it stops with a message and a button that starts a new
game."""

import time

import browser as b

NO_WEBGL = ("This browser cannot draw with WebGL, which the game needs. Turn on hardware "
            "acceleration in the browser's settings (or WebGL, if it was turned off), or try "
            "another browser.")
LOST = ("The game lost its WebGL drawing context (the graphics driver was reset, or the browser "
        "needed it back) and has stopped.")


def test(site):
    with b.session(site, extra_flags=["--disable-webgl", "--disable-3d-apis"]) as (driver, base):
        driver.get(base)
        b.wait_for_state(driver, "failed", 60)
        b.check(b.status_line(driver) == NO_WEBGL, f"status line: {b.status_line(driver)!r}")
        # Long enough for the runtime to load and, were it to start, for frames to run.
        b.wait_for("the runtime to load", lambda: driver.execute_script(
            "return typeof Module._spintunnelFrameCount === 'function' && "
            "Module.calledRun === true;"), 60)
        time.sleep(1)
        b.check(b.game(driver, "loopFrames") == 0 and b.game(driver, "frameCount()") == 0,
                "frames ran without WebGL")
        errors = b.console_errors(driver)
        b.check(not errors, "console errors without WebGL: " + "; ".join(errors))

    with b.session(site) as (driver, base):
        driver.get(base)
        b.wait_for_state(driver, "playing")
        b.wait_for_frames(driver, 5)
        driver.execute_script("Module.ctx.getExtension('WEBGL_lose_context').loseContext();")
        b.wait_for_state(driver, "lost", 30)
        b.check(b.status_line(driver) == LOST, f"status line: {b.status_line(driver)!r}")
        again = driver.find_element("id", "again")
        b.check(again.is_displayed() and again.text == "Start again",
                f"the button after a lost context: {again.text!r}")
        frame = b.game(driver, "frameCount()")
        b.wait_for("a few animation frames", lambda: driver.execute_script(
            "return new Promise((done) => requestAnimationFrame(() => "
            "requestAnimationFrame(() => done(true))));"), 10)
        b.check(b.game(driver, "frameCount()") == frame, "frames still run without a context")
        errors = b.console_errors(driver)
        b.check(not errors, "console errors after losing the context: " + "; ".join(errors))
        again.click()
        b.wait_for_state(driver, "playing")
        b.wait_for_frames(driver, 5)


b.run(test)
