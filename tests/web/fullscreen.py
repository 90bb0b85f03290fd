"""Full screen: the page's button gives the canvas the whole window, its drawing buffer the
window's size, and the game reshapes to it (the viewport follows; the projection is the game's
own); leaving full screen gives the game its 640 x 480 back. The game goes on throughout, and the
console stays clean."""

import browser as b

SHAPE = """
const canvas = document.getElementById('canvas');
const rect = canvas.getBoundingClientRect();
const viewport = Module.ctx.getParameter(Module.ctx.VIEWPORT);
return {full: document.fullscreenElement ? document.fullscreenElement.id : null,
        window: [innerWidth, innerHeight], shown: [rect.left, rect.top, rect.width, rect.height],
        buffer: [canvas.width, canvas.height], viewport: Array.from(viewport)};
"""


def shape(driver):
    return driver.execute_script(SHAPE)


def test(site):
    with b.session(site) as (driver, base):
        driver.get(base)
        b.wait_for_state(driver, "playing")
        b.wait_for_frames(driver, 5)
        b.check(shape(driver)["viewport"] == [0, 0, 640, 480], f"before: {shape(driver)}")

        driver.find_element("id", "fullscreen").click()

        def filled():
            now = shape(driver)
            width, height = now["window"]
            return now if (now["full"] == "stage" and now["shown"] == [0, 0, width, height]
                           and now["buffer"] == [width, height]
                           and now["viewport"] == [0, 0, width, height]) else None

        full = b.wait_for("the canvas to fill the window in full screen", filled, 30)
        b.check(full["window"] != [640, 480], f"full screen is the game's own size: {full}")
        frame = b.game(driver, "frameCount()")
        b.wait_for_frames(driver, frame + 3)
        b.check(b.game(driver, "state") == "playing", "the game stopped in full screen")

        driver.execute_script("return document.exitFullscreen();")
        b.wait_for("640 x 480 again", lambda: (lambda now: now["full"] is None
                   and now["buffer"] == [640, 480] and now["viewport"] == [0, 0, 640, 480])(
                       shape(driver)), 30)
        b.wait_for_frames(driver, b.game(driver, "frameCount()") + 3)
        errors = b.console_errors(driver)
        b.check(not errors, "console errors: " + "; ".join(errors))


b.run(test)
