"""The page on a phone (Chromium's mobile emulation, 390 x 844 CSS pixels, touch): it fits any
width from 320 CSS pixels up with no sideways scrolling, the canvas shown at 4:3 and never larger
than 640 x 480, its drawing buffer 640 x 480 at every size. The touch buttons spin, stop, fire and
switch texturing; a drag on the canvas turns the world a degree per game pixel, a tap fires, and
neither scrolls the page. The mouse, on the canvas shown smaller, is mapped to game pixels too."""

import browser as b

SPIN_DEGREES_PER_FRAME = 7
# (width, height, device pixels per CSS pixel) of the viewports the page must fit.
VIEWPORTS = [(320, 568, 2), (390, 844, 3), (1200, 900, 1)]


def layout(driver):
    return driver.execute_script("""
        const canvas = document.getElementById('canvas');
        const rect = canvas.getBoundingClientRect();
        const touch = document.getElementById('touch');
        return {scrollWidth: document.documentElement.scrollWidth, innerWidth: innerWidth,
                left: rect.left, top: rect.top, width: rect.width, height: rect.height,
                bufferWidth: canvas.width, bufferHeight: canvas.height,
                touchShown: touch.getBoundingClientRect().height > 0};""")


def check_fits(driver, viewport):
    width = viewport[0]
    shape = b.wait_for(f"the page laid out {width} wide",
                       lambda: (lambda s: s if s["innerWidth"] == width else None)(layout(driver)),
                       10)
    b.check(shape["scrollWidth"] <= shape["innerWidth"],
            f"{width} wide: the page scrolls sideways ({shape['scrollWidth']} CSS pixels)")
    b.check(shape["left"] >= 0 and shape["left"] + shape["width"] <= width,
            f"{width} wide: the canvas runs off the page: {shape}")
    b.check(abs(shape["height"] * 4 - shape["width"] * 3) <= 2,
            f"{width} wide: the canvas is shown at {shape['width']} x {shape['height']}, not 4:3")
    b.check(shape["width"] <= b.CANVAS_WIDTH, f"{width} wide: the canvas is scaled up past 640")
    b.check(width < 700 or shape["width"] == b.CANVAS_WIDTH,
            f"{width} wide: the canvas is shown {shape['width']} wide, not 640")
    b.check((shape["bufferWidth"], shape["bufferHeight"]) == (b.CANVAS_WIDTH, b.CANVAS_HEIGHT),
            f"{width} wide: the drawing buffer is {shape['bufferWidth']} x "
            f"{shape['bufferHeight']}")
    return shape


def touch(driver, kind, points):
    driver.execute_cdp_cmd("Input.dispatchTouchEvent", {
        "type": kind, "touchPoints": [{"x": x, "y": y} for x, y in points]})


def tap(driver, x, y):
    touch(driver, "touchStart", [(x, y)])
    touch(driver, "touchEnd", [])


def tap_button(driver, key):
    box = driver.execute_script(
        "const r = document.querySelector(`#touch button[data-key=\"${arguments[0]}\"]`)"
        ".getBoundingClientRect(); return [r.left + r.width / 2, r.top + r.height / 2];", key)
    tap(driver, box[0], box[1])


def game_x(shape, css_x):
    """The game pixel a touch at css_x lands on: the canvas's 640 pixels over its shown width."""
    return int((css_x - shape["left"]) * b.CANVAS_WIDTH // shape["width"])


def steady(driver, what):
    """What `what` reads once it stays the same over two game frames."""
    def unchanged():
        before = b.game(driver, what)
        b.wait_for_frames(driver, b.game(driver, "frameCount()") + 2)
        return (before,) if before == b.game(driver, what) else None

    return b.wait_for(f"{what} to settle", unchanged, 60)[0]


def test(site):
    with b.session(site, phone=b.PHONE) as (driver, base):
        driver.get(base)
        b.wait_for_state(driver, "playing")
        b.wait_for_frames(driver, 5)
        for width, height, ratio in VIEWPORTS:
            driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                "width": width, "height": height, "deviceScaleFactor": ratio, "mobile": True})
            check_fits(driver, (width, height))
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": 390, "height": 844, "deviceScaleFactor": 3, "mobile": True})
        shape = check_fits(driver, (390, 844))
        b.check(shape["touchShown"], "no touch controls on a touch screen")
        # Room to scroll, so a touch that scrolled the page would show.
        driver.execute_script("document.body.style.height = '4000px';")

        # The buttons: the keys they stand for, through the game's own handlers.
        for key, speed in (("z", SPIN_DEGREES_PER_FRAME), ("c", 0), ("x", -SPIN_DEGREES_PER_FRAME)):
            tap_button(driver, key)
            b.wait_for(f"spin speed {speed}", lambda: b.game(driver, "spinSpeed()") == speed, 30)
            if speed != 0:
                before = b.game(driver, "spinAngle()")
                b.wait_for("the world to turn", lambda: (b.game(driver, "spinAngle()") - before)
                           * speed >= 2 * SPIN_DEGREES_PER_FRAME ** 2, 60)
        tap_button(driver, "c")
        b.wait_for("the spin to stop", lambda: b.game(driver, "spinSpeed()") == 0, 30)
        stopped = steady(driver, "spinAngle()")
        b.check(stopped % SPIN_DEGREES_PER_FRAME == 0, f"spin angle {stopped} after whole turns")

        b.check(b.game(driver, "shotsInFlight()") == 0, "a shot before firing")
        tap_button(driver, " ")
        b.wait_for("a shot", lambda: b.game(driver, "shotsInFlight()") == 1, 30)
        tap_button(driver, "t")
        b.wait_for("texturing off", lambda: b.game(driver, "texturing()") == 0, 30)

        # A drag across the canvas, down and sideways: the world turns by the drag's length in
        # game pixels, against it, and nothing is fired.
        shots = b.game(driver, "shotsInFlight()")
        start, end = shape["left"] + 40, shape["left"] + 250
        middle_y = shape["top"] + shape["height"] / 2
        touch(driver, "touchStart", [(start, middle_y)])
        for step in range(1, 8):
            x = start + (end - start) * step / 7
            touch(driver, "touchMove", [(x, middle_y + 10 * step)])
        touch(driver, "touchEnd", [])
        turn = game_x(shape, end) - game_x(shape, start)
        b.wait_for("the drag to reach the game", lambda: b.game(driver, "spinAngle()") != stopped,
                   30)
        b.check(steady(driver, "spinAngle()") == stopped - turn,
                f"a drag of {turn} game pixels turned the world from {stopped} to "
                f"{b.game(driver, 'spinAngle()')}")
        b.check(b.game(driver, "shotsInFlight()") <= shots, "the drag fired")

        # A tap on the canvas fires and turns nothing.
        b.wait_for("the shot to go", lambda: b.game(driver, "shotsInFlight()") == 0, 120)
        tap(driver, shape["left"] + 100, middle_y)
        b.wait_for("a shot from a tap", lambda: b.game(driver, "shotsInFlight()") == 1, 30)
        b.check(b.game(driver, "spinAngle()") == stopped - turn, "a tap turned the world")
        b.check(driver.execute_script("return window.scrollY;") == 0,
                "touch on the canvas or the buttons scrolled the page")

        # The mouse over the canvas shown smaller: GLUT maps it to game pixels as well. The tap
        # left the game's mouse x where it landed.
        angle = b.game(driver, "spinAngle()")
        tapped = game_x(shape, shape["left"] + 100)
        for css_x in (shape["left"] + 50, shape["left"] + 130):
            driver.execute_cdp_cmd("Input.dispatchMouseEvent",
                                   {"type": "mouseMoved", "x": css_x, "y": middle_y})
        turned = game_x(shape, shape["left"] + 130) - tapped
        b.wait_for("the mouse to turn the world", lambda: b.game(driver, "spinAngle()") != angle,
                   30)
        settled = steady(driver, "spinAngle()")
        b.check(settled == angle - turned,
                f"the mouse moved {turned} game pixels in all; the world turned from {angle} to "
                f"{settled}")

        errors = b.console_errors(driver)
        b.check(not errors, "console errors: " + "; ".join(errors))


b.run(test)
