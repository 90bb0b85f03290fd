#pragma once

#include "shell/GameOptions.h"

// The desktop program around the game: its options, vertical sync through GLX, GLUT's main loop.

// Asks the driver for vertical sync as chosen; says so on standard error when it cannot. Needs the
// window's context.
void applyVerticalSync(GameOptions::VerticalSync choice);

// The whole program: options, world, window, render state, callbacks, main loop. Returns only for
// --help or a bad option.
int runGame(int argc, char** argv);
