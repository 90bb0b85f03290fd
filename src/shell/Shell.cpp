#include "shell/Shell.h"

#include "render/RenderState.h"
#include "scene/GameState.h"
#include "scene/Wrapping.h"
#include "shell/FramePacer.h"
#include "shell/Game.h"
#include "shell/InputEvent.h"
#include "shell/InputRecorder.h"
#include "shell/InputScript.h"

#include <GL/freeglut.h>

namespace {

Game* liveGame = nullptr;          // not owned; set before the main loop starts
InputRecorder* recorder = nullptr; // not owned; null unless the player asked for a recording
FramePacer* pacer = nullptr;       // not owned; null while frames run back to back
InputScript* replay = nullptr;     // not owned; null unless a recording is being replayed

// Every input passes here, stamped with the frame it comes before, so a recording replays exactly.
void dispatch(InputEvent event) {
    event.frame = wrappingIncrement(frameCount);
    if (recorder != nullptr) {
        recorder->record(event);
    }
    liveGame->handle(event);
}

// Pacing decides only when a frame starts; the frame itself is the same either way. A replayed
// event takes the same path as the player's own, just before the frame it is stamped with, so a
// game recorded while it replays records the same file.
void pacedFrame() {
    if (pacer != nullptr) {
        pacer->waitForFrame();
    }
    if (replay != nullptr) {
        replay->applyBefore(wrappingIncrement(frameCount), dispatch);
    }
    liveGame->frame();
}

void onDisplay() {
    pacedFrame();
}
void onIdle() {
    pacedFrame();
}
void onReshape(int width, int height) {
    Game::reshape(width, height);
}

void onKeyboard(unsigned char key, int x, int y) {
    dispatch({0, InputEvent::Kind::Key, key, 0, x, y});
}

void onSpecial(int key, int x, int y) {
    dispatch({0, InputEvent::Kind::Special, key, 0, x, y});
}

void onMouse(int button, int state, int x, int y) {
    dispatch({0, InputEvent::Kind::Mouse, button, state, x, y});
}

void onMotion(int x, int y) {
    dispatch({0, InputEvent::Kind::Motion, 0, 0, x, y});
}

} // namespace

void openWindow(int* argc, char** argv) {
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(Game::kWindowWidth, Game::kWindowHeight);
    glutInitWindowPosition(0, 0);
    // A program started with no words at all still gets a titled window.
    glutCreateWindow(*argc > 0 && argv[0] != nullptr ? argv[0] : "spintunnel");
}

void registerCallbacks(Game& game) {
    liveGame = &game;
    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onReshape);
    glutIdleFunc(onIdle);
    glutKeyboardFunc(onKeyboard);
    glutSpecialFunc(onSpecial);
    glutMouseFunc(onMouse);
    glutMotionFunc(onMotion);
    glutPassiveMotionFunc(onMotion);
}

void setFramePacer(FramePacer* framePacer) {
    pacer = framePacer;
}

void setInputRecorder(InputRecorder* inputRecorder) {
    recorder = inputRecorder;
}

void dispatchInput(InputEvent event) {
    dispatch(event);
}

void setReplay(InputScript* script) {
    replay = script;
}
