#include "web/WebReplay.h"

#include <emscripten.h>

#include <cstdint>

WebReplay& webReplay() {
    static WebReplay replay;
    return replay;
}

// The page's replay controls, and what they show.
extern "C" {
EMSCRIPTEN_KEEPALIVE std::int32_t spintunnelReplaying() {
    return webReplay().replaying() ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE std::int32_t spintunnelReplayLastFrame() {
    return webReplay().lastFrame();
}
EMSCRIPTEN_KEEPALIVE std::int32_t spintunnelReplayPaused() {
    return webReplay().paused() ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE void spintunnelSetReplayPaused(std::int32_t paused) {
    webReplay().setPaused(paused != 0);
}
EMSCRIPTEN_KEEPALIVE std::int32_t spintunnelReplaySpeed() {
    return webReplay().speed();
}
EMSCRIPTEN_KEEPALIVE void spintunnelSetReplaySpeed(std::int32_t speed) {
    webReplay().setSpeed(speed);
}
EMSCRIPTEN_KEEPALIVE void spintunnelJumpTo(std::int32_t frame) {
    webReplay().jumpTo(frame);
}
EMSCRIPTEN_KEEPALIVE std::int32_t spintunnelJumpTarget() {
    return webReplay().jumpTarget();
}
EMSCRIPTEN_KEEPALIVE std::int32_t spintunnelTakeJumpArrival() {
    return webReplay().takeArrival() ? 1 : 0;
}
}
