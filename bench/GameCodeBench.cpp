// The game's own work per frame, timed with every GL, GLU and GLUT call going nowhere: the part of
// a frame's time that is ours, and how steady it is, apart from the renderer's.
//
// usage: spintunnel-game-code-bench INPUT FRAMES FIRST_TIMED_FRAME

#include "FrameStats.h"
#include "RecordingGl.h"
#include "shell/Game.h"
#include "shell/InputScript.h"

#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool parseFrame(std::string_view text, std::int32_t& frame) {
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, frame);
    return error == std::errc() && rest == end && frame >= 1;
}

} // namespace

int main(int argc, char** argv) {
    std::int32_t frames = 0;
    std::int32_t firstTimed = 0;
    if (argc != 4 || !parseFrame(argv[2], frames) || !parseFrame(argv[3], firstTimed) ||
        firstTimed > frames) {
        std::fprintf(stderr, "usage: spintunnel-game-code-bench INPUT FRAMES FIRST_TIMED_FRAME\n");
        return 2;
    }
    InputScript script;
    std::string error;
    if (!script.load(argv[1], error)) {
        std::fprintf(stderr, "spintunnel-game-code-bench: %s\n", error.c_str());
        return 2;
    }

    gltest::setMode(gltest::Mode::Off);
    Game game;
    Game::reshape(Game::kWindowWidth, Game::kWindowHeight);
    std::vector<double> milliseconds;
    milliseconds.reserve(static_cast<std::size_t>(frames - firstTimed + 1));
    for (std::int32_t frame = 1; frame <= frames; ++frame) {
        script.applyBefore(frame, game);
        const auto start = std::chrono::steady_clock::now();
        game.frame();
        const auto took = std::chrono::steady_clock::now() - start;
        if (frame >= firstTimed) {
            milliseconds.push_back(std::chrono::duration<double, std::milli>(took).count());
        }
    }
    const FrameStats stats = FrameStats::of(milliseconds);
    std::printf("frames %zu\nmedian_us %.2f\np99_us %.2f\n", stats.frames, 1000 * stats.medianMs,
                1000 * stats.p99Ms);
    return 0;
}
