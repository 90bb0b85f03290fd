#include "shell/Shell.h"

#include "render/RenderState.h"
#include "shell/Game.h"

#include <GL/freeglut.h>

namespace {

Game* liveGame = nullptr; // not owned; set before the main loop starts

void onDisplay() {
    liveGame->frame();
}
void onIdle() {
    liveGame->frame();
}
void onReshape(int width, int height) {
    Game::reshape(width, height);
}
void onKeyboard(unsigned char key, int, int) {
    liveGame->keyboard(key);
}
void onSpecial(int key, int, int) {
    Game::special(key);
}
void onMouse(int button, int state, int x, int) {
    liveGame->mouse(button, state, x);
}
void onMotion(int x, int) {
    Game::motion(x);
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

int runGame(int argc, char** argv) {
    // Lives until the process ends; exit() releases it.
    static Game game;
    openWindow(&argc, argv);
    initRenderState();
    registerCallbacks(game);
    glutMainLoop();
    return 0;
}
