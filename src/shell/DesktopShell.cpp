#include "shell/DesktopShell.h"

#include "render/RenderState.h"
#include "shell/FramePacer.h"
#include "shell/Game.h"
#include "shell/InputRecorder.h"
#include "shell/InputScript.h"
#include "shell/Shell.h"
#include "shell/SwapControl.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

void applyVerticalSync(GameOptions::VerticalSync choice) {
    if (choice == GameOptions::VerticalSync::AsDriverHasIt) {
        return;
    }
    std::string message;
    if (!SwapControl::set(choice == GameOptions::VerticalSync::On, message)) {
        std::fprintf(stderr, "spintunnel: %s\n", message.c_str());
    }
}

int runGame(int argc, char** argv) {
    GameOptions options;
    std::string optionError;
    // Before the window, so a mistyped option costs no window and needs no display.
    if (!options.parse(argc, argv, std::getenv("SPINTUNNEL_FPS"), optionError)) {
        std::fprintf(stderr, "spintunnel: %s\n", optionError.c_str());
        return GameOptions::kUsageStatus;
    }
    if (options.help) {
        std::fputs(GameOptions::helpText(), stdout);
        return 0;
    }

    // All live until the process ends; exit() releases them.
    static InputScript replay;
    // A file that cannot be replayed is refused before the window, like a bad option.
    if (!options.replayPath.empty() && !replay.load(options.replayPath, optionError)) {
        std::fprintf(stderr, "spintunnel: %s\n", optionError.c_str());
        return GameOptions::kUsageStatus;
    }
    static Game game;
    static InputRecorder inputRecorder;
    static FramePacer::SteadyClock clock;
    static std::optional<FramePacer> framePacer;

    if (const char* path = std::getenv("SPINTUNNEL_RECORD"); path != nullptr && *path != '\0') {
        std::string error;
        if (inputRecorder.open(path, error)) {
            setInputRecorder(&inputRecorder);
        } else {
            // Not worth refusing to play over: say so and play unrecorded.
            std::fprintf(stderr, "spintunnel: %s\n", error.c_str());
        }
    }

    openWindow(&argc, argv);
    if (options.fullScreen) {
        // The reshape that follows sets the viewport and projection for the screen's size.
        glutFullScreen();
    }
    initRenderState();
    applyVerticalSync(options.verticalSync);
    registerCallbacks(game);
    setReplay(options.replayPath.empty() ? nullptr : &replay);
    if (options.framesPerSecond > 0) {
        setFramePacer(&framePacer.emplace(options.framesPerSecond, clock));
    }
    glutMainLoop();
    return 0;
}
