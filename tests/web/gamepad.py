"""A gamepad plays the game as the keys do: the page reads a stand-in navigator.getGamepads that
this test scripts, frame by frame, in the browser's standard mapping. Each press becomes its key
at the frame it was pressed (the d-pad and the left stick spin and stop, the bottom face button
and the right trigger fire, the top face button switches texturing); releases and a stick coming
back send nothing. The proof: the game's picture at the end is byte for byte the picture of a
replay of just those keys at just those frames, and a replay with one shot a frame later differs.
The page says the gamepad is connected."""

import json

import browser as b

STOP_FRAME = 70
# (frame whose poll sees the change, change to the pad, key it should press or None)
SCRIPT = [
    (10, {"button": 14, "down": True}, "z"),   # d-pad left
    (14, {"button": 14, "down": False}, None),
    (20, {"button": 13, "down": True}, "c"),   # d-pad down
    (22, {"button": 13, "down": False}, None),
    (25, {"axis": 0, "value": 0.9}, "x"),      # stick right
    (30, {"axis": 0, "value": 0.4}, None),     # still leaning
    (32, {"axis": 0, "value": 0.0}, None),
    (35, {"axis": 1, "value": 0.8}, "c"),      # stick down
    (38, {"axis": 1, "value": 0.0}, None),
    (40, {"axis": 0, "value": -0.9}, "z"),     # stick left
    (41, {"axis": 0, "value": 0.0}, None),
    (45, {"button": 3, "down": True}, "t"),    # top face button
    (47, {"button": 3, "down": False}, None),
    (50, {"button": 0, "down": True}, "space"),  # bottom face button
    (52, {"button": 0, "down": False}, None),
    (55, {"button": 7, "down": True}, "space"),  # right trigger
    (57, {"button": 7, "down": False}, None),
    (60, {"button": 3, "down": True}, "t"),
    (61, {"button": 3, "down": False}, None),
    (62, {"button": 13, "down": True}, "c"),
]

STAND_IN = """
(() => {
  const pad = {id: 'Test pad (standard)', index: 0, connected: true, mapping: 'standard',
               timestamp: 0, axes: [0, 0, 0, 0],
               buttons: Array.from({length: 17}, () => ({pressed: false, touched: false, value: 0}))};
  const script = %s;
  window.padSeenAt = [];
  Object.defineProperty(Navigator.prototype, 'getGamepads', {configurable: true, value: () => {
    const frame = window.spintunnel ? window.spintunnel.frameCount() : 0;
    while (script.length > 0 && frame >= script[0][0]) {
      const change = script.shift()[1];
      if ('button' in change) {
        pad.buttons[change.button] = {pressed: change.down, touched: change.down,
                                      value: change.down ? 1 : 0};
      } else {
        pad.axes[change.axis] = change.value;
      }
      window.padSeenAt.push(frame);
    }
    return [pad, null, null, null];
  }});
})();
"""


def replay_text(keys):
    return "".join(f"{frame} key {key}\n" for frame, key in keys).encode()


def test(site):
    with b.session(site) as (driver, base):
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {
            "source": STAND_IN % json.dumps([[frame, change] for frame, change, _ in SCRIPT])})
        # One step per animation frame, so the pad is read once before every frame.
        driver.get(f"{base}index.html?fps=display&frames={STOP_FRAME}")
        b.wait_for_state(driver, "stopped")
        gamepad_picture = b.decode_data_url(b.game(driver, "picture"))
        seen = driver.execute_script("return window.padSeenAt;")
        b.check(seen == [frame for frame, _, _ in SCRIPT],
                f"the page read the pad's changes before frames {seen}")
        line = driver.find_element("id", "gamepad").text
        b.check(line == "Gamepad connected: Test pad (standard)", f"the gamepad line: {line!r}")
        b.check(b.game(driver, "texturing()") == 1 and b.game(driver, "spinSpeed()") == 0,
                "texturing switched twice and the spin stopped: not what the game shows")
        b.check(not b.console_errors(driver), "console errors: " + "; ".join(
            b.console_errors(driver)))

        # A key read before frame F is applied before frame F + 1, as a key typed then would be.
        keys = [(frame + 1, key) for frame, _, key in SCRIPT if key]
        b.EXTRA_FILES["/test/gamepad.txt"] = replay_text(keys)
        replayed = b.stopped_picture(driver, base, "test/gamepad.txt", STOP_FRAME)
        b.check(replayed.tobytes() == gamepad_picture.tobytes(),
                f"the gamepad's game differs from a replay of {keys}")
        late_shot = [(frame + (1 if (frame, key) == keys[-3] else 0), key) for frame, key in keys]
        b.EXTRA_FILES["/test/gamepad-late.txt"] = replay_text(late_shot)
        other = b.stopped_picture(driver, base, "test/gamepad-late.txt", STOP_FRAME)
        b.check(other.tobytes() != gamepad_picture.tobytes(),
                "a shot one frame later gives the same picture: the comparison sees nothing")


b.run(test)
