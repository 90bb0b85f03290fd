// Emscripten's GLUT hands the motion callbacks the mouse position from before the move, so every
// turn by the mouse arrives one event late and the last move of a gesture never arrives at all.
// This is its handler with the position after the move, as GLUT gives it. It takes the place of
// the original before glutInit registers it with the window.
GLUT.onMousemove = function(event) {
  var lastX = Browser.mouseX;
  var lastY = Browser.mouseY;
  Browser.calculateMouseEvent(event);
  var x = Browser.mouseX;
  var y = Browser.mouseY;
  if (x == lastX && y == lastY) return;

  if (GLUT.buttons == 0 && event.target == Module['canvas'] && GLUT.passiveMotionFunc) {
    event.preventDefault();
    GLUT.saveModifiers(event);
    getWasmTableEntry(GLUT.passiveMotionFunc)(x, y);
  } else if (GLUT.buttons != 0 && GLUT.motionFunc) {
    event.preventDefault();
    GLUT.saveModifiers(event);
    getWasmTableEntry(GLUT.motionFunc)(x, y);
  }
};
