// Gamepads, in the browser's standard mapping, polled once per animation frame before the frame's
// steps: each press becomes the key it stands for, stamped for the coming frame, as a key pressed
// at that moment would be. Only presses count: releasing a button or letting the stick go back to
// the middle sends nothing, so a spin goes on until the player stops it (down), just as it does
// after the spin keys.
(function() {
  // Button index in the standard mapping, and the key it presses.
  var BUTTON_KEYS = [
    [14, 'z'], // d-pad left: spin left
    [15, 'x'], // d-pad right: spin right
    [13, 'c'], // d-pad down: stop
    [0, ' '],  // bottom face button: fire
    [7, ' '],  // right trigger: fire
    [3, 't'],  // top face button: texturing
  ];
  // The left stick leans a way once past PRESS and lets go once back inside RELEASE.
  var STICK_PRESS = 0.5;
  var STICK_RELEASE = 0.3;
  var STICK_KEYS = {left: 'z', right: 'x', down: 'c'};

  var pads = {}; // by index: {id, buttons: [pressed...], lean: 'left'|'right'|'down'|null}
  var line = document.getElementById('gamepad');

  function say(text) {
    if (line) line.textContent = text;
  }

  function pressed(button) {
    return Boolean(button) && (button.pressed || button.value > 0.5);
  }

  function stickLean(pad, previous) {
    var x = pad.axes[0] || 0;
    var y = pad.axes[1] || 0;
    var leans = {left: -x, right: x, down: y};
    if (previous && leans[previous] > STICK_RELEASE) return previous;
    var best = null;
    for (var way in leans) {
      if (leans[way] > STICK_PRESS && (best === null || leans[way] > leans[best])) best = way;
    }
    return best;
  }

  function poll() {
    var list = navigator.getGamepads ? navigator.getGamepads() : [];
    var present = {};
    for (var i = 0; i < list.length; ++i) {
      var pad = list[i];
      if (!pad || pad.connected === false) continue;
      present[pad.index] = true;
      var known = pads[pad.index];
      if (!known || known.id !== pad.id) {
        // A pad's buttons held as it arrives are not presses.
        known = pads[pad.index] = {id: pad.id, buttons: [], lean: stickLean(pad, null)};
        BUTTON_KEYS.forEach(function(binding) {
          known.buttons[binding[0]] = pressed(pad.buttons[binding[0]]);
        });
        say('Gamepad connected: ' + pad.id);
      }
      BUTTON_KEYS.forEach(function(binding) {
        var down = pressed(pad.buttons[binding[0]]);
        if (down && !known.buttons[binding[0]]) sendGameKey(binding[1]);
        known.buttons[binding[0]] = down;
      });
      var lean = stickLean(pad, known.lean);
      if (lean && lean !== known.lean) sendGameKey(STICK_KEYS[lean]);
      known.lean = lean;
    }
    for (var index in pads) {
      if (!present[index]) {
        say('Gamepad disconnected: ' + pads[index].id);
        delete pads[index];
      }
    }
  }

  var pagePreMainLoop = Module['preMainLoop'];
  Module['preMainLoop'] = function() {
    poll();
    return pagePreMainLoop ? pagePreMainLoop() : undefined;
  };
})();
