// The benchmark game's whole GL call stream, reduced to one digest. Work on the game's speed must
// leave every call and every argument as they are; this catches any change, however small.

#include "GameFixture.h"
#include "RecordingGl.h"
#include "shell/FramePacer.h"
#include "shell/Game.h"
#include "shell/InputScript.h"
#include "shell/Shell.h"

#include <cstdint>
#include <string>

namespace {

// Recorded from the game before its per-frame work was trimmed; update it only for a deliberate
// change of what the game draws.
constexpr std::uint64_t kBenchmarkGameDigest = 0x3693d7e9ef6d1cedull;
constexpr std::int32_t kFrames = 3600;

// Every frame takes exactly as long as the pacer lets it sleep: pacing without waiting for real.
class InstantClock : public FramePacer::Clock {
public:
    FramePacer::Nanoseconds now() override { return time; }
    void sleepUntil(FramePacer::Nanoseconds deadline) override { time = deadline; }
    FramePacer::Nanoseconds time{};
};

void loadBenchmarkGame(InputScript& script) {
    std::string error;
    ASSERT_TRUE(script.load(std::string(SPINTUNNEL_SOURCE_DIR) + "/bench/game.txt", error))
        << error;
}

void expectBenchmarkDigest() {
    EXPECT_GT(gltest::totalCalls(), 60'000'000u) << "the game should be in full swing by now";
    EXPECT_EQ(gltest::digest(), kBenchmarkGameDigest)
        << std::hex << "digest 0x" << gltest::digest() << " over " << std::dec
        << gltest::totalCalls() << " calls";
}

} // namespace

TEST(GlStreamDigest, BenchmarkGameDrawsExactlyWhatItAlwaysHas) {
    resetGameState();
    InputScript script;
    loadBenchmarkGame(script);
    gltest::setMode(gltest::Mode::Digest);
    Game game;
    Game::reshape(Game::kWindowWidth, Game::kWindowHeight);
    for (std::int32_t frame = 1; frame <= kFrames; ++frame) {
        script.applyBefore(frame, game);
        game.frame();
    }
    expectBenchmarkDigest();
}

// The player's --fps goes through the idle callback's pacer: it decides when frames are drawn,
// never what they draw.
TEST(GlStreamDigest, PacedGameDrawsTheSame) {
    resetGameState();
    InputScript script;
    loadBenchmarkGame(script);
    Game game;
    gltest::setMode(gltest::Mode::Off); // the callbacks are kept, their registration not digested
    registerCallbacks(game);
    InstantClock clock;
    FramePacer pacer(60, clock);
    setFramePacer(&pacer);
    gltest::setMode(gltest::Mode::Digest);
    Game::reshape(Game::kWindowWidth, Game::kWindowHeight);
    for (std::int32_t frame = 1; frame <= kFrames; ++frame) {
        script.applyBefore(frame, game);
        gltest::glutCallbacks().idle();
    }
    setFramePacer(nullptr);
    EXPECT_EQ(clock.time, std::chrono::nanoseconds((kFrames - 1) * 1'000'000'000LL / 60))
        << "every frame after the first waited for its turn";
    expectBenchmarkDigest();
}
