#include "web/WebReplay.h"

#include "scene/GameState.h"
#include "scene/Wrapping.h"
#include "shell/Game.h"
#include "shell/InputEvent.h"
#include "shell/Shell.h"

#include <chrono>

namespace {

bool within(int coordinate) {
    return coordinate >= -WebReplay::kReachablePixels && coordinate <= WebReplay::kReachablePixels;
}

bool reachable(const InputEvent& event) {
    return within(event.x) && within(event.y);
}

} // namespace

bool WebReplay::startRecording(const std::string& path, std::string& error) {
    return recorder_.open(path, error);
}

bool WebReplay::load(const std::string& path, std::string& error) {
    if (!script_.load(path, error)) {
        return false;
    }
    for (const InputEvent& event : script_.events()) {
        if (!reachable(event)) {
            error = path + ": the event at frame " + std::to_string(event.frame) + " (" +
                    formatInputEvent(event) + ") points further than " +
                    std::to_string(kReachablePixels) + " pixels from the canvas";
            return false;
        }
    }
    lastFrame_ = script_.events().empty() ? 0 : script_.events().back().frame;
    return true;
}

bool WebReplay::replaying() const {
    return frameCount < lastFrame_;
}

void WebReplay::setSpeed(int speed) {
    if (speed >= 1 && speed <= kMaxSpeed) {
        speed_ = speed;
    }
}

void WebReplay::jumpTo(std::int32_t frame) {
    if (frame > frameCount) {
        jumpTarget_ = frame;
    }
}

bool WebReplay::takeArrival() {
    const bool arrived = arrived_;
    arrived_ = false;
    return arrived;
}

bool WebReplay::atStop() const {
    return stopFrame_ > 0 && frameCount >= stopFrame_;
}

void WebReplay::step(Game& game) {
    script_.applyBefore(wrappingIncrement(frameCount), dispatchInput);
    game.frame();
}

void WebReplay::animationFrame(int normalSteps, Game& game) {
    if (jumpTarget_ > 0) {
        const auto sliceEnd = std::chrono::steady_clock::now() + kJumpSlice;
        while (frameCount < jumpTarget_ && !atStop() &&
               std::chrono::steady_clock::now() < sliceEnd) {
            step(game);
        }
        if (frameCount >= jumpTarget_ || atStop()) {
            jumpTarget_ = 0;
            paused_ = true;
            arrived_ = true;
        }
        return;
    }
    if (paused_ && replaying()) {
        return;
    }
    // A replay runs at the viewer's speed up to its last event, and not a step further: from there
    // the player plays on at the ordinary pace.
    const int steps = replaying() ? normalSteps * speed_ : normalSteps;
    for (int taken = 0; taken < steps && !atStop(); ++taken) {
        const bool wasReplaying = replaying();
        step(game);
        if (wasReplaying && !replaying()) {
            speed_ = 1;
            paused_ = false;
            break;
        }
    }
}
