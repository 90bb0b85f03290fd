"""Keys sent to the canvas play the game: the arrows spin the world (the ship banks the way the
world turns), the mouse turns it a degree a pixel, space fires (a blue shot appears), t switches texturing (the walls lose their
detail), and q ends the game with the game-over line and status 42; the button plays again from
frame 0. Keys sent elsewhere on the page do not reach the game, and the keys the game uses do not
scroll the page while it has them."""

import time

import browser as b
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

SPIN_DEGREES_PER_FRAME = 7
# The ship's wings are the only saturated red; a bank lifts one and lowers the other. Measured:
# the left wing sits 2 pixels lower than the right when level, 12 lower banked one way and 8 higher
# banked the other.
BANK_PIXELS = 5
SHIP_TOP = 320   # the ship lies below this row
SHIP_LEFT = 200  # and this far in from either side
# The shot is the only strongly blue thing: about 50 pixels just after firing, none before.
SHOT_PIXELS = 20
# Mean brightness step between neighbouring pixels: 1.9 textured, 0.9 untextured.
UNTEXTURED_DETAIL = 0.7


def wing_tilt(picture):
    """Mean height of the left wing's red pixels minus the right wing's (positive: left lower),
    looked for only round the ship."""
    heights = {True: [], False: []}
    pixels = picture.load()
    for y in range(SHIP_TOP, b.CANVAS_HEIGHT):
        for x in range(SHIP_LEFT, b.CANVAS_WIDTH - SHIP_LEFT):
            red, green, blue = pixels[x, y]
            if red > 180 and green < 80 and blue < 80:
                heights[x < b.CANVAS_WIDTH // 2].append(y)
    b.check(heights[True] and heights[False], "no ship's wings in the picture")
    return sum(heights[True]) / len(heights[True]) - sum(heights[False]) / len(heights[False])


def shot_pixels(picture):
    return sum(1 for red, green, blue in picture.getdata()
               if blue > 90 and blue > 2 * red and blue > 1.6 * green)


def detail(picture):
    grey = picture.convert("L")
    pixels = grey.load()
    steps = sum(abs(pixels[x, y] - pixels[x - 1, y])
                for y in range(0, b.CANVAS_HEIGHT, 2) for x in range(1, b.CANVAS_WIDTH))
    return steps / ((b.CANVAS_WIDTH - 1) * (b.CANVAS_HEIGHT // 2))


def settled_angle(driver):
    """The spin angle once it stays the same over two frames."""
    def unchanged():
        angle = b.game(driver, "spinAngle()")
        b.wait_for_frames(driver, b.game(driver, "frameCount()") + 2)
        return (angle,) if angle == b.game(driver, "spinAngle()") else None

    return b.wait_for("the spin to stop", unchanged, 30)[0]


def scrolled(driver):
    return driver.execute_script("return window.scrollY;")


def at_rest(driver):
    """Whether the page stays where it is for a while: a smooth scroll takes a few frames."""
    before = scrolled(driver)
    time.sleep(0.3)
    return scrolled(driver) == before


def test(site):
    with b.session(site) as (driver, base):
        driver.get(base)
        b.wait_for_state(driver, "playing")
        b.wait_for_frames(driver, 60)
        canvas = driver.find_element("id", "canvas")
        # Room to scroll, so a key that scrolled the page would show.
        driver.execute_script("document.body.style.height = '4000px';")

        # Not focused: the keys stay with the page, which scrolls.
        driver.execute_script("document.getElementById('canvas').blur();")
        driver.find_element("tag name", "body").send_keys(Keys.ARROW_LEFT, Keys.ARROW_DOWN)
        b.wait_for("the page to scroll", lambda: scrolled(driver) > 0, 10)
        b.check(b.game(driver, "spinAngle()") == 0, "keys reached the game without the focus")
        # Back to the top once the scroll has come to rest.
        b.wait_for("the scroll to end", lambda: at_rest(driver), 10)
        driver.execute_script("window.scrollTo({top: 0, behavior: 'instant'});")
        b.wait_for("the page back at the top", lambda: at_rest(driver) and scrolled(driver) == 0,
                   10)

        level = wing_tilt(b.canvas_picture(driver))
        for key, sign in ((Keys.ARROW_LEFT, 1), (Keys.ARROW_RIGHT, -1)):
            before = b.game(driver, "spinAngle()")
            canvas.send_keys(key)
            b.wait_for("the world to turn", lambda: sign * (b.game(driver, "spinAngle()") - before)
                       >= 3 * SPIN_DEGREES_PER_FRAME, 30)
            tilt = wing_tilt(b.canvas_picture(driver))
            b.check(sign * (tilt - level) > BANK_PIXELS,
                    f"spinning {'left' if sign > 0 else 'right'}, the ship tilts {tilt:.1f} "
                    f"pixels against {level:.1f} level")
            canvas.send_keys(Keys.ARROW_DOWN)
        stopped = settled_angle(driver)
        b.check(stopped % SPIN_DEGREES_PER_FRAME == 0, f"spin angle {stopped} after whole turns")
        b.check(scrolled(driver) == 0, "the arrow keys scrolled the page while the game had them")

        # The mouse turns the world by a degree a pixel, against the direction it moves; each
        # move here is one motion event.
        angles = []
        for offset in (0, 50, -30):  # from the canvas's centre
            ActionChains(driver, duration=0).move_to_element_with_offset(canvas, offset, 0).perform()
            b.wait_for_frames(driver, b.game(driver, "frameCount()") + 2)
            angles.append(b.game(driver, "spinAngle()"))
        turns = [later - earlier for earlier, later in zip(angles, angles[1:])]
        b.check(turns == [-50, 80], f"the mouse moved by 50 and -80 pixels; the world turned by "
                f"{turns} degrees")

        b.check(shot_pixels(b.canvas_picture(driver)) < SHOT_PIXELS, "a shot before firing")
        canvas.send_keys(" ")
        b.wait_for("a shot", lambda: shot_pixels(b.canvas_picture(driver)) >= SHOT_PIXELS, 30,
                   interval=0)
        b.check(scrolled(driver) == 0, "space scrolled the page while the game had it")

        textured = detail(b.canvas_picture(driver))
        canvas.send_keys("t")
        b.wait_for("texturing off", lambda: b.game(driver, "texturing()") == 0, 30)
        b.wait_for_frames(driver, b.game(driver, "frameCount()") + 2)
        untextured = detail(b.canvas_picture(driver))
        b.check(untextured < UNTEXTURED_DETAIL * textured,
                f"walls as detailed untextured ({untextured:.2f}) as textured ({textured:.2f})")

        canvas.send_keys("q")
        b.wait_for_state(driver, "over", 30)
        b.check(b.status_line(driver) == "Game over (exit status 42)",
                f"status line after q: {b.status_line(driver)!r}")
        frame = b.game(driver, "frameCount()")
        b.wait_for("a few animation frames", lambda: driver.execute_script(
            "return new Promise((done) => requestAnimationFrame(() => "
            "requestAnimationFrame(() => done(true))));"), 10)
        b.check(b.game(driver, "frameCount()") == frame, "frames still run after the game ended")
        errors = b.console_errors(driver)
        b.check(not errors, "console errors: " + "; ".join(errors))

        again = driver.find_element("id", "again")
        b.check(again.is_displayed(), "no button to play again")
        again.click()
        b.wait_for_state(driver, "playing")
        b.check(b.game(driver, "frameCount()") < frame, "playing again did not start a new game")
        b.check(b.game(driver, "spinAngle()") == 0 and b.game(driver, "texturing()") == 1,
                "the new game did not start from the beginning")


b.run(test)
