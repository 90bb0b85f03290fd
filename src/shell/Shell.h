#pragma once

#include "shell/GameOptions.h"

class FramePacer;
class Game;

// Opens the game's window the way the game always has: 640 x 480 at the top-left corner, double
// buffered with depth, titled with the first command-line word.
void openWindow(int* argc, char** argv);

// Asks the driver for vertical sync as chosen; says so on standard error when it cannot. Needs the
// window's context.
void applyVerticalSync(GameOptions::VerticalSync choice);

// Routes GLUT's callbacks to the game. The game must outlive the main loop.
void registerCallbacks(Game& game);

// Every frame the callbacks draw waits for the pacer first; null runs them back to back. The pacer
// must outlive the main loop.
void setFramePacer(FramePacer* framePacer);

// The whole program: world, window, render state, callbacks, main loop. Does not return.
int runGame(int argc, char** argv);
