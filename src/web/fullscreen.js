// Full screen: the canvas (with the touch buttons over it) takes the whole screen, its drawing
// buffer takes the screen's size, and the game reshapes to it as a desktop window does: the
// viewport follows and the horizontal field of view widens. Leaving full screen gives the game its
// 640 x 480 again. Only the picture's size changes: no input and no step is added.
(function() {
  var WINDOW_WIDTH = 640;
  var WINDOW_HEIGHT = 480;
  var canvas = Module['canvas'];
  var stage = document.getElementById('stage');
  var button = document.getElementById('fullscreen');
  if (!stage || !button) return;
  if (!stage.requestFullscreen) {
    button.style.display = 'none';
    return;
  }

  function resize() {
    var full = document.fullscreenElement === stage;
    var width = full ? canvas.clientWidth : WINDOW_WIDTH;
    var height = full ? canvas.clientHeight : WINDOW_HEIGHT;
    if (width < 1 || height < 1 || (canvas.width === width && canvas.height === height)) return;
    canvas.width = width;
    canvas.height = height;
    if (GLUT.reshapeFunc) getWasmTableEntry(GLUT.reshapeFunc)(width, height);
  }

  button.addEventListener('click', function() {
    stage.requestFullscreen({navigationUI: 'hide'}).then(function() {
      canvas.focus();
    }).catch(function(error) {
      console.warn('spintunnel: no full screen: ' + error.message);
    });
  });
  document.addEventListener('fullscreenchange', resize);
  window.addEventListener('resize', function() {
    if (document.fullscreenElement === stage) resize();
  });
})();
