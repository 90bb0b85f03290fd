"""The page loads with a clean console, shows its favicon and the controls, and within a deadline
its canvas shows the tunnel: most of the picture is not black. A replay of a missing or malformed
input file says so on the status line and starts no game."""

import browser as b

TUNNEL_IN_FRAME = 100  # by now the tunnel's rings reach from the far plane to the viewer
NOT_BLACK_FLOOR = 8    # a channel above this (of 255) counts as lit
MOST_PIXELS = 0.5      # measured: about 0.9 of the canvas is lit once the tunnel is in


def test(site):
    with b.session(site) as (driver, base):
        driver.load(base)
        b.wait_for_state(driver, "playing")
        b.check(b.status_line(driver) == "Playing", f"status line: {b.status_line(driver)!r}")
        b.wait_for_frames(driver, TUNNEL_IN_FRAME)

        # WebKit's screenshot now and then comes back with a band of the canvas still black
        # (measured: the top 160 rows, half the canvas lit, in 2 runs of 4); a later one shows the
        # whole frame.
        b.wait_for("the tunnel: more than half the canvas lit", lambda: b.lit_fraction(
            b.canvas_picture(driver), NOT_BLACK_FLOOR) > MOST_PIXELS, 60, interval=0.5)

        icon = driver.evaluate(
            "const link = document.querySelector('link[rel=icon]');"
            "return link ? fetch(link.href).then((r) => r.ok ? r.headers.get('content-type') : "
            "r.status) : null;")
        b.check(icon == "image/png", f"the page's icon: {icon!r}")
        controls = driver.evaluate("return document.querySelector('ul').innerText;")
        for key in ("space", "t", "q"):
            b.check(key in controls, f"the controls do not mention {key!r}")

        errors = b.console_errors(driver)
        b.check(not errors, "console errors: " + "; ".join(errors))

        # A replay whose file is not there says so instead of starting a game.
        driver.load(base + "index.html?input=games/no-such-game.txt")
        b.wait_for_state(driver, "failed", 60)
        b.check(b.status_line(driver).startswith("Cannot read games/no-such-game.txt: 404"),
                f"status line for a missing input file: {b.status_line(driver)!r}")
        b.check(b.game(driver, "loopFrames") == 0, "a game ran without its input file")
        # One the game cannot read names the line, as the desktop game does.
        driver.load(base + "index.html?input=test/malformed.txt")
        b.wait_for_state(driver, "failed", 60)
        b.check(b.status_line(driver).startswith("The game could not start: spintunnel: ")
                and ":2" in b.status_line(driver),
                f"status line for a malformed input file: {b.status_line(driver)!r}")
        b.check(b.game(driver, "loopFrames") == 0, "a game ran with a malformed input file")


b.run(test)
