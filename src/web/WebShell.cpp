#include "web/WebShell.h"

#include "render/RenderState.h"
#include "scene/GameState.h"
#include "shell/Game.h"
#include "shell/GameOptions.h"
#include "shell/Shell.h"
#include "shell/StepScheduler.h"
#include "web/LegacyGl.h"
#include "web/WebReplay.h"

#include <GL/glut.h>
#include <emscripten.h>

#include <cstdint>
#include <cstdio>
#include <string>

// The bodies are JavaScript, which clang-format does not know.
// clang-format off
// What the page asked for (shell.html sets these on Module before the game starts): the steps a
// second, or StepScheduler::kEveryAnimationFrame; and the frame to stop after, 0 for none.
EM_JS(int, pageStepsPerSecond, (int fallback), {
    var steps = Module['stepsPerSecond'];
    return typeof steps === 'number' ? steps : fallback;
});
EM_JS(int, pageLastFrame, (), { return Module['lastFrame'] || 0; });
// The timestamp requestAnimationFrame gave the frame now running (pacing.js keeps it): the same
// for every callback of one frame, unlike the time now.
EM_JS(double, animationFrameTime, (), {
    return Module['animationFrameTime'] || performance.now();
});
// clang-format on

namespace {

Game* webGame = nullptr;            // not owned; lives until the page goes
StepScheduler* scheduler = nullptr; // not owned; lives until the page goes

// The page's recording, which spintunnel.recording() reads back.
constexpr const char* kRecordingPath = "/recording.txt";

// One animation frame takes the steps that have come due by its time, often one, sometimes none
// (it then draws nothing, and the canvas keeps the frame before). A replay being watched multiplies
// them by its speed; each step takes the replay's events for the coming frame, then runs the frame
// routine itself, just as the capture tool steps a replay.
void animationFrame() {
    webReplay().animationFrame(scheduler->stepsFor(animationFrameTime()), *webGame);
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
EMSCRIPTEN_KEEPALIVE float spintunnelSpinSpeed() {
    return spinSpeed;
}
EMSCRIPTEN_KEEPALIVE std::int32_t spintunnelShotsInFlight() {
    std::int32_t shots = 0;
    for (int slot = 0; slot < ShotController::kSlots; ++slot) {
        shots += webGame->shots().shotInSlot(slot) != nullptr ? 1 : 0;
    }
    return shots;
}
}

int runWebGame(int argc, char** argv) {
    static Game game;
    webGame = &game;
    int stepsPerSecond = pageStepsPerSecond(StepScheduler::kDefaultStepsPerSecond);
    if (stepsPerSecond != StepScheduler::kEveryAnimationFrame &&
        (stepsPerSecond < StepScheduler::kMinStepsPerSecond ||
         stepsPerSecond > StepScheduler::kMaxStepsPerSecond)) {
        stepsPerSecond = StepScheduler::kDefaultStepsPerSecond;
    }
    static StepScheduler stepScheduler(stepsPerSecond);
    scheduler = &stepScheduler;

    WebReplay& replay = webReplay();
    replay.stopAt(pageLastFrame());
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
    initFixedFunctionGl();
    initRenderState();
    registerCallbacks(game);
    // GLUT's idle callback runs on a timer; the page's animation frames pace the game instead.
    glutIdleFunc(nullptr);
    // A desktop window is reshaped when it first shows; a canvas never is, so once here.
    Game::reshape(Game::kWindowWidth, Game::kWindowHeight);
    emscripten_set_main_loop(animationFrame, 0, true);
    return 0;
}
