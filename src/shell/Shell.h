#pragma once

class FramePacer;
class Game;
class InputRecorder;
class InputScript;
struct InputEvent;

// Opens the game's window the way the game always has: 640 x 480 at the top-left corner, double
// buffered with depth, titled with the first command-line word.
void openWindow(int* argc, char** argv);

// Routes GLUT's callbacks to the game. The game must outlive the main loop.
void registerCallbacks(Game& game);

// Every frame the callbacks draw waits for the pacer first; null runs them back to back. The pacer
// must outlive the main loop.
void setFramePacer(FramePacer* framePacer);

// Every input the callbacks receive is recorded there first; null records nothing. The recorder
// must outlive the main loop.
void setInputRecorder(InputRecorder* inputRecorder);

// Before each frame the callbacks draw, the script's events for that frame go through the same path
// as live input, which stays open alongside; null replays nothing. The script must outlive the main
// loop.
void setReplay(InputScript* script);

// The road every input takes into the game registered with registerCallbacks: stamped with the
// frame it comes before, recorded, then handled. For front doors that step the game themselves.
void dispatchInput(InputEvent event);
