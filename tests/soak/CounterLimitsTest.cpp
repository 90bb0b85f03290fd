// The counters that run for as long as the game does, taken to where they wrap. The sanitized build
// runs these too, so any signed overflow or other undefined step fails there.

#include "GameFixture.h"
#include "scene/Drawable.h"
#include "scene/SceneList.h"
#include "shell/Game.h"
#include "shots/ShotController.h"
#include "tunnel/Tunnel.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

class Marker : public Drawable {
public:
    void draw() override { ++draws; }
    int draws = 0;
};

using CounterLimits = GameStateTest;

} // namespace

TEST_F(CounterLimits, FrameCounterWrapsToTheMostNegativeValueAndTheGameStepsOn) {
    gltest::setMode(gltest::Mode::Off);
    Game game;
    frameCount = kMax - 2;
    std::vector<std::int32_t> seen;
    for (int i = 0; i < 5; ++i) {
        game.frame();
        seen.push_back(frameCount);
    }
    EXPECT_EQ(seen, (std::vector<std::int32_t>{kMax - 1, kMax, kMin, kMin + 1, kMin + 2}));
    // A negative counter puts the threshold above every draw: nothing spawns, nothing breaks.
    EXPECT_FALSE(EnemySpawner::spawns(kMin, 32767));
    EXPECT_EQ(game.scene().scrollZ(),
              static_cast<float>(static_cast<double>(kMin + 2) * 0.2f - 24.0f));
}

TEST_F(CounterLimits, SceneIdsStartAgainFromOneRatherThanGoingNegative) {
    SceneList scene;
    Marker a, b, c, d;
    scene.setLastIdForTest(kMax - 2);
    const std::vector<std::int32_t> ids = {scene.add(&a), scene.add(&b), scene.add(&c),
                                           scene.add(&d)};
    EXPECT_EQ(ids, (std::vector<std::int32_t>{kMax - 1, kMax, 1, 2}));
    // Every one of them can still be taken out again, which a negative id could not.
    for (std::int32_t id : ids) {
        scene.remove(id);
    }
    EXPECT_EQ(scene.head(), nullptr);
    EXPECT_EQ(scene.tail(), nullptr);
}

TEST_F(CounterLimits, TunnelStopsGrowingOnceItsSegmentCountWraps) {
    SceneList scene;
    Tunnel tunnel(scene);
    tunnel.setCountersForTest(4, kMax - 1);
    tunnel.update(); // the last segment the count allows
    EXPECT_EQ(tunnel.segmentCount(), kMax);
    EXPECT_EQ(tunnel.framesSinceSegment(), 0);
    const std::int32_t lastId = scene.lastId();

    for (int i = 0; i < 5; ++i) {
        tunnel.update();
    }
    EXPECT_EQ(tunnel.segmentCount(), kMin);
    EXPECT_EQ(tunnel.framesSinceSegment(), 5); // no longer reset
    tunnel.update();
    EXPECT_EQ(tunnel.segmentCount(), kMin + 1);
    EXPECT_EQ(tunnel.framesSinceSegment(), 6);
    EXPECT_EQ(scene.lastId(), lastId) << "no segment may be made after the wrap";

    tunnel.setCountersForTest(kMax, kMin + 1);
    tunnel.update();
    EXPECT_EQ(tunnel.framesSinceSegment(), kMin);
    EXPECT_EQ(tunnel.segmentCount(), kMin + 1) << "a negative frame count stops at the first step";
}

TEST_F(CounterLimits, SpinFarFromZeroStillAimsAndHits) {
    SceneList scene;
    ShotController shots(scene);
    Marker band;
    scene.add(&band);
    frameCount = 120;
    scene.drawAll();
    // Many turns away from zero; the shot still flies straight below the axis (angle 270).
    spinAngle = 360.0f * 1000000.0f;
    shots.fire();
    EXPECT_NE(shots.hitTest(0.0f, -2.1f, shots.shotInSlot(1)->depth()), ShotController::kMiss);

    spinAngle = -360.0f * 1000000.0f;
    shots.fire();
    EXPECT_NE(shots.hitTest(0.0f, -2.1f, shots.shotInSlot(2)->depth()), ShotController::kMiss);
}

TEST_F(CounterLimits, MouseMotionAcrossTheWholeIntegerRangeTurnsWithoutOverflow) {
    lastMouseX = kMax;
    Game::motion(kMin);
    EXPECT_EQ(lastMouseX, kMin);
    EXPECT_FLOAT_EQ(spinAngle, static_cast<float>(-(static_cast<double>(kMin) - kMax)));
}
