#pragma once

class Game;

// Opens the game's window the way the game always has: 640 x 480 at the top-left corner, double
// buffered with depth, titled with the first command-line word.
void openWindow(int* argc, char** argv);

// Routes GLUT's callbacks to the game. The game must outlive the main loop.
void registerCallbacks(Game& game);

// The whole program: world, window, render state, callbacks, main loop. Does not return.
int runGame(int argc, char** argv);
