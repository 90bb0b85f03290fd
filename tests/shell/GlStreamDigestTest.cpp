// The benchmark game's whole GL call stream, reduced to one digest. Work on the game's speed must
// leave every call and every argument as they are; this catches any change, however small.

#include "GameFixture.h"
#include "RecordingGl.h"
#include "shell/Game.h"
#include "shell/InputScript.h"

#include <cstdint>
#include <string>

namespace {

// Recorded from the game before its per-frame work was trimmed; update it only for a deliberate
// change of what the game draws.
constexpr std::uint64_t kBenchmarkGameDigest = 0x3693d7e9ef6d1cedull;
constexpr std::int32_t kFrames = 3600;

} // namespace

TEST(GlStreamDigest, BenchmarkGameDrawsExactlyWhatItAlwaysHas) {
    resetGameState();
    InputScript script;
    std::string error;
    ASSERT_TRUE(script.load(std::string(SPINTUNNEL_SOURCE_DIR) + "/bench/game.txt", error))
        << error;
    gltest::setMode(gltest::Mode::Digest);
    Game game;
    Game::reshape(Game::kWindowWidth, Game::kWindowHeight);
    for (std::int32_t frame = 1; frame <= kFrames; ++frame) {
        script.applyBefore(frame, game);
        game.frame();
    }
    EXPECT_GT(gltest::totalCalls(), 60'000'000u) << "the game should be in full swing by now";
    EXPECT_EQ(gltest::digest(), kBenchmarkGameDigest)
        << std::hex << "digest 0x" << gltest::digest() << " over " << std::dec
        << gltest::totalCalls() << " calls";
}
