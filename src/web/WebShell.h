#pragma once

// The game in a browser page: the same world, window set-up, render state and input callbacks as
// on the desktop, with the page's animation frames driving the frame routine instead of GLUT's idle
// callback. An optional first argument names an input script (already written into the virtual
// file system by the page) that is replayed exactly as the capture tool replays it.
int runWebGame(int argc, char** argv);
