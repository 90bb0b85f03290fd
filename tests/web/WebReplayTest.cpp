#include "web/WebReplay.h"

#include "GameFixture.h"
#include "scene/GameState.h"
#include "shell/Game.h"
#include "shell/Shell.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr const char* kHeader =
    "# spintunnel input recording: FRAME EVENT, replay with spintunnel-capture\n";

// A replay loaded from its own folder, recording to a file beside it, over a fresh game.
class WebReplayTest : public GameStateTest {
protected:
    void SetUp() override {
        GameStateTest::SetUp();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::path(::testing::TempDir()) / ("spintunnel-web-" + std::string(info->name()) +
                                                    "-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        std::string error;
        ASSERT_TRUE(replay_.startRecording((folder_ / "recording.txt").string(), error)) << error;
        // Wired as the page wires it: replayed and live input take the shell's one road.
        registerCallbacks(game_);
        setInputRecorder(&replay_.recorder());
    }
    void TearDown() override {
        setInputRecorder(nullptr);
        fs::remove_all(folder_);
    }

    void load(const std::string& text) {
        std::ofstream(folder_ / "replay.txt") << text;
        std::string error;
        ASSERT_TRUE(replay_.load((folder_ / "replay.txt").string(), error)) << error;
    }

    std::string recording() const {
        std::ifstream in(folder_ / "recording.txt");
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path folder_;
    Game game_;
    WebReplay replay_;
};

// At each speed an animation frame takes that many times the ordinary steps; paused, none.
TEST_F(WebReplayTest, EachAnimationFrameTakesTheSpeedTimesTheOrdinarySteps) {
    load("500 key z\n");
    struct Case {
        int speed;
        bool paused;
        int normalSteps;
        std::int32_t steps;
    };
    const std::array<Case, 6> cases{{
        {1, false, 1, 1},
        {4, false, 1, 4},
        {8, false, 1, 8},
        {4, false, 2, 8}, // a display slower than the game's pace
        {2, true, 1, 0},
        {2, false, 0, 0}, // a display faster than the game's pace
    }};
    for (const Case& c : cases) {
        replay_.setSpeed(c.speed);
        replay_.setPaused(c.paused);
        const std::int32_t before = frameCount;
        replay_.animationFrame(c.normalSteps, game_);
        EXPECT_EQ(frameCount - before, c.steps) << "x" << c.speed << (c.paused ? " paused" : "")
                                                << ", " << c.normalSteps << " ordinary steps";
    }
}

TEST_F(WebReplayTest, OnlyTheOfferedSpeedsAreTaken) {
    for (const int speed : {0, -1, 9, 1000}) {
        replay_.setSpeed(speed);
        EXPECT_EQ(replay_.speed(), 1) << speed;
    }
    replay_.setSpeed(WebReplay::kMaxSpeed);
    EXPECT_EQ(replay_.speed(), WebReplay::kMaxSpeed);
}

// A fast replay stops on its last event's frame, and the player goes on from there at the
// ordinary pace, even from a pause.
TEST_F(WebReplayTest, TheReplayEndsOnItsLastFrameAndTheGameGoesOnAtTheOrdinaryPace) {
    load("3 key z\n10 key x\n");
    replay_.setSpeed(8);
    replay_.animationFrame(1, game_);
    EXPECT_EQ(frameCount, 8);
    EXPECT_TRUE(replay_.replaying());
    replay_.animationFrame(1, game_);
    EXPECT_EQ(frameCount, 10);
    EXPECT_FALSE(replay_.replaying());
    EXPECT_EQ(replay_.speed(), 1);
    replay_.setPaused(true);
    replay_.animationFrame(1, game_);
    EXPECT_EQ(frameCount, 11);
    EXPECT_EQ(spinSpeed, -7.0f) << "the last event, x, was not applied";
}

// A jump runs steps back to back, stops exactly at its frame, pauses there and says so once.
TEST_F(WebReplayTest, AJumpArrivesExactlyAtItsFrameAndPauses) {
    load("20 key z\n400 key x\n");
    replay_.jumpTo(57);
    for (int frames = 0; replay_.jumpTarget() != 0 && frames < 1000; ++frames) {
        replay_.animationFrame(1, game_);
    }
    EXPECT_EQ(frameCount, 57);
    EXPECT_TRUE(replay_.paused());
    EXPECT_TRUE(replay_.takeArrival());
    EXPECT_FALSE(replay_.takeArrival());
    EXPECT_EQ(spinAngle, 7.0f * (57 - 20 + 1)) << "the event on the way was not applied";

    replay_.jumpTo(57); // not ahead: going back is the page's to do, by starting again
    replay_.jumpTo(12);
    EXPECT_EQ(replay_.jumpTarget(), 0);
    replay_.animationFrame(1, game_);
    EXPECT_EQ(frameCount, 57);
}

TEST_F(WebReplayTest, NoStepPassesTheStopFrameAtAnySpeedOrInAJump) {
    load("100 key z\n");
    replay_.stopAt(5);
    replay_.setSpeed(8);
    replay_.animationFrame(1, game_);
    EXPECT_EQ(frameCount, 5);
    replay_.jumpTo(50);
    replay_.animationFrame(1, game_);
    EXPECT_EQ(frameCount, 5);
    EXPECT_TRUE(replay_.takeArrival());
}

// Replayed events are recorded as live ones are: a replay of a recording records it again, and a
// hand-written script records in the order it was played, with the frames it was played at.
TEST_F(WebReplayTest, TheReplayRecordsWhatItPlays) {
    struct Case {
        const char* replayed;
        const char* recorded;
    };
    const std::array<Case, 2> cases{{
        {"# spintunnel input recording: FRAME EVENT, replay with spintunnel-capture\n"
         "2 motion 300 240\n4 key space\n4 mouse left down 310 250\n6 special left\n",
         "2 motion 300 240\n4 key space\n4 mouse left down 310 250\n6 special left\n"},
        {"# hand-written\n6 key t   # late\n2 key z\n", "2 key z\n6 key t\n"},
    }};
    for (const Case& c : cases) {
        resetGameState();
        WebReplay replay;
        const fs::path path = folder_ / "again.txt";
        std::string error;
        ASSERT_TRUE(replay.startRecording(path.string(), error)) << error;
        setInputRecorder(&replay.recorder());
        std::ofstream(folder_ / "replay.txt") << c.replayed;
        ASSERT_TRUE(replay.load((folder_ / "replay.txt").string(), error)) << error;
        for (int frame = 0; frame < 8; ++frame) {
            replay.animationFrame(1, game_);
        }
        std::ifstream in(path);
        const std::string recorded{std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>()};
        EXPECT_EQ(recorded, std::string(kHeader) + c.recorded) << c.replayed;
    }
}

// A position no pointer on any screen could have is refused, with the event named; the furthest
// reachable one is taken.
TEST_F(WebReplayTest, PositionsNoPointerReachesAreRefused) {
    struct Case {
        const char* line;
        bool taken;
    };
    const std::array<Case, 6> cases{{
        {"5 motion 65536 -65536", true},
        {"5 mouse left down -65536 65536", true},
        {"5 motion 65537 0", false},
        {"5 motion 0 -65537", false},
        {"5 mouse right up 2147483647 0", false},
        {"5 mouse left down 0 -2147483648", false},
    }};
    for (const Case& c : cases) {
        std::ofstream(folder_ / "replay.txt") << "1 key z\n" << c.line << "\n";
        std::string error;
        WebReplay replay;
        EXPECT_EQ(replay.load((folder_ / "replay.txt").string(), error), c.taken) << c.line;
        if (!c.taken) {
            EXPECT_NE(error.find("the event at frame 5"), std::string::npos) << error;
        }
    }
}

} // namespace
