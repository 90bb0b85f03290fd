// libFuzzer target: any text as an input file, as from a file or a shared link. Whatever the text,
// reading it must not crash, leak or run into undefined behaviour; a refusal is one printable line;
// every event read writes back as a line that reads as the same event; and the game, handed every
// event, plays on as it does for a player's own input.

#include "FuzzChecks.h"
#include "RecordingGl.h"
#include "render/RenderState.h"
#include "render/Ship.h"
#include "scene/GameState.h"
#include "scene/RandomSource.h"
#include "shell/Game.h"
#include "shell/InputEvent.h"
#include "shell/InputScript.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void resetWorld() {
    frameCount = 0;
    spinSpeed = 0.0f;
    spinAngle = 0.0f;
    lastSpinAngle = 0.0f;
    lastMouseX = 0;
    texturingEnabled = 1;
    RandomSource::reset();
    gltest::reset();
    gltest::setMode(gltest::Mode::Off);
}

bool isQuitKey(const InputEvent& event) {
    return event.kind == InputEvent::Kind::Key &&
           static_cast<unsigned char>(event.code) == static_cast<unsigned char>('q');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    InputScript script;
    std::string error;
    const bool read = script.parse(text, "fuzz", error);
    require(read == error.empty(), "an error message exactly when the text is refused");
    if (!read) {
        require(isOnePrintableLine(error), "a refusal is one line of printable text");
        // The name, a line number and the longest message with its excerpt of the line.
        require(error.size() < 200, "a refusal is short whatever the line held");
        return 0;
    }
    for (const InputEvent& event : script.events()) {
        const std::string line = formatInputEvent(event);
        const ParsedInputLine again = parseInputLine(line);
        require(again.error.empty() && again.event && *again.event == event,
                "every event read writes back as a line that reads as the same event");
    }

    // The quit key ends the process, as it does for a player; everything else is played, in
    // order, with a frame drawn whenever the frame stamp moves on.
    resetWorld();
    Game game;
    script.applyBefore(INT32_MAX, [&game](const InputEvent& event) {
        if (isQuitKey(event)) {
            return;
        }
        game.handle(event);
        if (frameCount < 3) {
            game.frame();
        }
    });
    game.frame();
    return 0;
}
