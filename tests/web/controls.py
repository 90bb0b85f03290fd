"""Keys sent to the canvas play the game: the arrows spin the world (the ship banks the way the
world turns), the mouse turns it a degree a pixel, t switches texturing (the walls lose their
detail), space fires (in a fresh game, a blue shot appears in the frames after it), and q ends the
game with the game-over line and status 42; the button plays again from frame 0. Keys sent elsewhere on the page do not reach the game, and the keys the game uses do not
scroll the page while it has them."""

import time

import browser as b

SPIN_DEGREES_PER_FRAME = 7
# The ship's wings are the only saturated red; a bank lifts one and lowers the other. Measured:
# the left wing sits 2 pixels lower than the right when level, 12 lower banked one way and 8 higher
# banked the other.
BANK_PIXELS = 5
SHIP_TOP = 320   # the ship lies below this row
SHIP_LEFT = 200  # and this far in from either side
# The shot is the only strongly blue thing: none before firing; measured in the frames after the
# key, 1 pixel in the first, 74 in the fifth, 30 in the tenth, 17 in the twentieth, as it goes away.
SHOT_PIXELS = 20
# The frames after the key that the page keeps: a screenshot can take longer than the shot stays
# big (2 s in Firefox under load, 40 frames), so the page keeps them itself, each just after the
# game has drawn it, as it does for a stopped frame.
FRAMES_AFTER_FIRING = 20
# An orb can take the shot before it shows. The first orb appears in frame 118, 19.8 units away, and
# comes 0.2 closer a frame; in the frames kept the shot gets no further than 9.3 away, and an orb
# must be within 2 of it to take it: not before frame 161. So the shot is fired in a game of its own,
# early, and the test makes sure the frames kept end before that.
FIRST_ORB_IN_REACH = 161
KEEP_FRAMES_AFTER_SPACE = f"""
window.framesAfterSpace = [];
let firing = false;
window.addEventListener('keydown', (event) => {{
  if (event.key !== ' ' || firing) return;
  firing = true;
  window.spaceReached = document.activeElement.id;
  window.firedInFrame = window.spintunnel.frameCount();
  setTimeout(() => {{ window.spaceTaken = event.defaultPrevented; }});
  const keep = () => {{
    window.framesAfterSpace.push(document.getElementById('canvas').toDataURL('image/png'));
    if (window.framesAfterSpace.length < {FRAMES_AFTER_FIRING}) requestAnimationFrame(keep);
  }};
  requestAnimationFrame(keep);
}}, {{capture: true}});
"""
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
    return driver.evaluate("return window.scrollY;")


def at_rest(driver):
    """Whether the page stays where it is for a while: a smooth scroll takes a few frames."""
    before = scrolled(driver)
    time.sleep(0.3)
    return scrolled(driver) == before


def test(site):
    with b.session(site, KEEP_FRAMES_AFTER_SPACE) as (driver, base):
        driver.load(base)
        b.wait_for_state(driver, "playing")
        b.wait_for_frames(driver, 60)
        # Room to scroll, so a key that scrolled the page would show.
        driver.evaluate("document.body.style.height = '4000px';")

        # Not focused: the keys stay with the page, which scrolls.
        driver.evaluate("document.getElementById('canvas').blur();")
        driver.send_keys("body", b.ARROW_LEFT, b.ARROW_DOWN)
        b.wait_for("the page to scroll", lambda: scrolled(driver) > 0, 10)
        b.check(b.game(driver, "spinAngle()") == 0, "keys reached the game without the focus")
        # Back to the top once the scroll has come to rest.
        b.wait_for("the scroll to end", lambda: at_rest(driver), 10)
        driver.evaluate("window.scrollTo({top: 0, behavior: 'instant'});")
        b.wait_for("the page back at the top", lambda: at_rest(driver) and scrolled(driver) == 0,
                   10)

        level = wing_tilt(b.canvas_picture(driver))
        for key, sign in ((b.ARROW_LEFT, 1), (b.ARROW_RIGHT, -1)):
            before = b.game(driver, "spinAngle()")
            driver.send_keys("#canvas", key)
            b.wait_for("the world to turn", lambda: sign * (b.game(driver, "spinAngle()") - before)
                       >= 3 * SPIN_DEGREES_PER_FRAME, 30)
            tilt = wing_tilt(b.canvas_picture(driver))
            b.check(sign * (tilt - level) > BANK_PIXELS,
                    f"spinning {'left' if sign > 0 else 'right'}, the ship tilts {tilt:.1f} "
                    f"pixels against {level:.1f} level")
            driver.send_keys("#canvas", b.ARROW_DOWN)
        stopped = settled_angle(driver)
        b.check(stopped % SPIN_DEGREES_PER_FRAME == 0, f"spin angle {stopped} after whole turns")
        b.check(scrolled(driver) == 0, "the arrow keys scrolled the page while the game had them")

        # The mouse turns the world by a degree a pixel, against the direction it moves; each
        # move here is one motion event.
        angles = []
        for offset in (0, 50, -30):  # from the canvas's centre
            driver.move_mouse("#canvas", offset, 0)
            b.wait_for_frames(driver, b.game(driver, "frameCount()") + 2)
            angles.append(b.game(driver, "spinAngle()"))
        turns = [later - earlier for earlier, later in zip(angles, angles[1:])]
        b.check(turns == [-50, 80], f"the mouse moved by 50 and -80 pixels; the world turned by "
                f"{turns} degrees")

        textured = detail(b.canvas_picture(driver))
        driver.send_keys("#canvas", "t")
        b.wait_for("texturing off", lambda: b.game(driver, "texturing()") == 0, 30)
        b.wait_for_frames(driver, b.game(driver, "frameCount()") + 2)
        untextured = detail(b.canvas_picture(driver))
        b.check(untextured < UNTEXTURED_DETAIL * textured,
                f"walls as detailed untextured ({untextured:.2f}) as textured ({textured:.2f})")

        errors = b.console_errors(driver)
        b.check(not errors, "console errors: " + "; ".join(errors))

        # Firing in a game of its own, early, before any orb is near.
        driver.load(base)
        b.wait_for_state(driver, "playing")
        b.wait_for_frames(driver, 10)
        driver.evaluate("document.body.style.height = '4000px';")
        b.check(shot_pixels(b.canvas_picture(driver)) < SHOT_PIXELS, "a shot before firing")
        driver.send_keys("#canvas", " ")
        b.wait_for("the frames after firing", lambda: driver.evaluate(
            f"return window.framesAfterSpace.length >= {FRAMES_AFTER_FIRING};"), 30)
        fired = driver.evaluate("return window.firedInFrame;")
        b.check(fired + FRAMES_AFTER_FIRING < FIRST_ORB_IN_REACH,
                f"fired after frame {fired}, too late to be sure no orb takes the shot")
        shots = [shot_pixels(b.decode_data_url(url))
                 for url in driver.evaluate("return window.framesAfterSpace;")]
        b.check(max(shots) >= SHOT_PIXELS,
                f"no shot in the {FRAMES_AFTER_FIRING} frames after space: {shots} blue pixels "
                f"(focus on {driver.evaluate('return window.spaceReached;')!r}, the game took "
                f"the key: {driver.evaluate('return window.spaceTaken;')})")
        b.check(scrolled(driver) == 0, "space scrolled the page while the game had it")

        driver.send_keys("#canvas", "q")
        b.wait_for_state(driver, "over", 30)
        b.check(b.status_line(driver) == "Game over (exit status 42)",
                f"status line after q: {b.status_line(driver)!r}")
        frame = b.game(driver, "frameCount()")
        b.wait_for("a few animation frames", lambda: driver.evaluate(
            "return new Promise((done) => requestAnimationFrame(() => "
            "requestAnimationFrame(() => done(true))));"), 10)
        b.check(b.game(driver, "frameCount()") == frame, "frames still run after the game ended")
        errors = b.console_errors(driver)
        b.check(not errors, "console errors: " + "; ".join(errors))

        shown = driver.evaluate(
            "const button = document.getElementById('again');"
            "const style = getComputedStyle(button);"
            "return style.display !== 'none' && style.visibility === 'visible' && "
            "Number(style.opacity) > 0 && button.offsetWidth > 0 && button.offsetHeight > 0;")
        b.check(shown, "no button to play again")
        driver.click("#again")
        b.wait_for_state(driver, "playing")
        b.check(b.game(driver, "frameCount()") < frame, "playing again did not start a new game")
        b.check(b.game(driver, "spinAngle()") == 0 and b.game(driver, "texturing()") == 1,
                "the new game did not start from the beginning")


b.run(test)
