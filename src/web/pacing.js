// The step scheduler in the web shell decides each animation frame's steps from the frame's own
// timestamp, the one requestAnimationFrame hands its callbacks; Emscripten's main loop drops it.
// This keeps it where the shell reads it, for every frame the main loop asks for.
(function() {
  var requestFrame = Browser.requestAnimationFrame;
  Browser.requestAnimationFrame = function(func) {
    requestFrame(function(time) {
      Module['animationFrameTime'] = time;
      func(time);
    });
  };
})();
