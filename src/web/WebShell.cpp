#include "web/WebShell.h"

#include "render/RenderState.h"
#include "scene/GameState.h"
#include "scene/Wrapping.h"
#include "shell/Game.h"
#include "shell/GameOptions.h"
#include "shell/Shell.h"
#include "web/LegacyGl.h"
#include "web/WebReplay.h"

#include <GL/glut.h>
#include <emscripten.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

Game* webGame = nullptr; // not owned; lives until the page goes

// The page's recording, which spintunnel.recording() reads back.
constexpr const char* kRecordingPath = "/recording.txt";
// Game steps an animation frame takes in ordinary play; a replay's speed multiplies it.
constexpr int kNormalStepsPerFrame = 1;

// One animation frame: each step takes the replay's events for the coming frame, then runs the
// frame routine itself, just as the capture tool steps a replay.
void animationFrame() {
    webReplay().animationFrame(kNormalStepsPerFrame, *webGame);
}

} // namespace

// Read by the page, and by the tests through it: the game-wide state the controls change.
extern "C" {
EMSCRIPTEN_KEEPALIVE std::int32_t spintunnelFrameCount() {
    return frameCount;
}
EMSCRIPTEN_KEEPALIVE float spintunnelSpinAngle() {
    return spinAngle;
}
EMSCRIPTEN_KEEPALIVE std::int32_t spintunnelTexturing() {
    return texturingEnabled;
}
}

int runWebGame(int argc, char** argv) {
    static Game game;
    webGame = &game;

    WebReplay& replay = webReplay();
    std::string error;
    if (argc > 1 && !replay.load(argv[1], error)) {
        std::fprintf(stderr, "spintunnel: %s\n", error.c_str());
        return GameOptions::kUsageStatus;
    }
    if (!replay.startRecording(kRecordingPath, error)) {
        std::fprintf(stderr, "spintunnel: %s\n", error.c_str());
        return GameOptions::kUsageStatus;
    }
    setInputRecorder(&replay.recorder());

    openWindow(&argc, argv);
    bindDefaultTexture();
    initRenderState();
    registerCallbacks(game);
    // GLUT's idle callback runs on a timer; the page's animation frames pace the game instead.
    glutIdleFunc(nullptr);
    // A desktop window is reshaped when it first shows; a canvas never is, so once here.
    Game::reshape(Game::kWindowWidth, Game::kWindowHeight);
    emscripten_set_main_loop(animationFrame, 0, true);
    return 0;
}
