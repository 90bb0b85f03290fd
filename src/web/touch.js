// A touch screen: buttons under the canvas press the game's keys, and on the canvas one finger is
// the mouse. Touching the canvas presses the right button where the finger lands, which the game
// only notes as the mouse's position, so dragging then turns the world from there a degree per
// game pixel, as moving the mouse does; a tap (a touch that hardly moved) also clicks the left
// button where it ended, which fires. Touch on the canvas or the buttons never scrolls or zooms
// the page (the page's style says so too, with touch-action).
(function() {
  var TAP_SLOP_CSS_PIXELS = 10; // a touch that moved less than this is a tap
  var canvas = Module['canvas'];
  var controls = document.getElementById('touch');

  if (navigator.maxTouchPoints > 0 || window.matchMedia('(any-pointer: coarse)').matches) {
    document.documentElement.classList.add('touch');
  }

  // GLUT's own touch handler would turn every touch into a left-button press that fires; this
  // file's handlers take its place before glutInit registers it.
  GLUT.touchHandler = function() {};

  if (controls) {
    controls.addEventListener('pointerdown', function(event) {
      var button = event.target.closest('button[data-key]');
      if (!button) return;
      // No focus change, and no mouse events made up after it for GLUT to see.
      event.preventDefault();
      sendGameKey(button.getAttribute('data-key'));
    });
    controls.addEventListener('touchstart', function(event) { event.preventDefault(); },
                              {passive: false});
  }

  function inGamePixels(touch) {
    var rect = canvas.getBoundingClientRect();
    return {
      x: Math.floor((touch.clientX - rect.left) * canvas.width / rect.width),
      y: Math.floor((touch.clientY - rect.top) * canvas.height / rect.height),
    };
  }

  function ourTouch(event) {
    for (var i = 0; i < event.changedTouches.length; ++i) {
      if (drag && event.changedTouches[i].identifier === drag.id) return event.changedTouches[i];
    }
    return null;
  }

  var drag = null; // the finger that steers: {id, x, startX, startY (CSS pixels), tap}

  canvas.addEventListener('touchstart', function(event) {
    event.preventDefault();
    if (drag) return; // one finger steers; others are ignored
    var touch = event.changedTouches[0];
    var at = inGamePixels(touch);
    drag = {id: touch.identifier, x: at.x, startX: touch.clientX, startY: touch.clientY,
            tap: true};
    sendGameMouse(GAME_MOUSE_RIGHT, GAME_MOUSE_DOWN, at.x, at.y);
  }, {passive: false});

  canvas.addEventListener('touchmove', function(event) {
    event.preventDefault();
    var touch = ourTouch(event);
    if (!touch) return;
    if (Math.abs(touch.clientX - drag.startX) >= TAP_SLOP_CSS_PIXELS ||
        Math.abs(touch.clientY - drag.startY) >= TAP_SLOP_CSS_PIXELS) {
      drag.tap = false;
    }
    var at = inGamePixels(touch);
    if (at.x === drag.x) return; // the game turns only with x
    drag.x = at.x;
    sendGameMotion(at.x, at.y);
  }, {passive: false});

  function release(event) {
    event.preventDefault();
    var touch = ourTouch(event);
    if (!touch) return;
    var at = inGamePixels(touch);
    var tap = drag.tap && event.type === 'touchend';
    drag = null;
    sendGameMouse(GAME_MOUSE_RIGHT, GAME_MOUSE_UP, at.x, at.y);
    if (tap) {
      sendGameMouse(GAME_MOUSE_LEFT, GAME_MOUSE_DOWN, at.x, at.y);
      sendGameMouse(GAME_MOUSE_LEFT, GAME_MOUSE_UP, at.x, at.y);
    }
  }
  canvas.addEventListener('touchend', release, {passive: false});
  canvas.addEventListener('touchcancel', release, {passive: false});
})();
