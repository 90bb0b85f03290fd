// Touch controls and gamepads play the game through the callbacks GLUT registered for the keys
// and the mouse: the same road the keyboard and the mouse take into the shell, which stamps each
// input with its frame (and records it), so a game played this way replays like any other.
// Nothing reaches the game unless it is being played, and nothing while a replay is being watched:
// live input waits for the replay's last event, as the keys and the mouse do.
var GAME_MOUSE_LEFT = 0;  // GLUT_LEFT_BUTTON
var GAME_MOUSE_RIGHT = 2; // GLUT_RIGHT_BUTTON
var GAME_MOUSE_DOWN = 0;  // GLUT_DOWN
var GAME_MOUSE_UP = 1;    // GLUT_UP

function gameIsPlaying() {
  var page = window['spintunnel'];
  if (!page || page.state !== 'playing') return false;
  return !(page.replay && page.replay.running());
}

function sendGameKey(character) {
  if (!gameIsPlaying() || !GLUT.keyboardFunc) return;
  getWasmTableEntry(GLUT.keyboardFunc)(character.charCodeAt(0), Browser.mouseX, Browser.mouseY);
}

// x and y in the game's pixels, as GLUT gives the mouse's.
function sendGameMouse(button, state, x, y) {
  if (!gameIsPlaying() || !GLUT.mouseFunc) return;
  Browser.mouseX = x;
  Browser.mouseY = y;
  getWasmTableEntry(GLUT.mouseFunc)(button, state, x, y);
}

function sendGameMotion(x, y) {
  if (!gameIsPlaying() || !GLUT.motionFunc) return;
  Browser.mouseX = x;
  Browser.mouseY = y;
  getWasmTableEntry(GLUT.motionFunc)(x, y);
}
