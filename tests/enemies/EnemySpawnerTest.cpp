// When, where and what the spawner spawns, and how its ring of slots recycles the oldest enemy.

#include "GameFixture.h"

#include "enemies/EnemySpawner.h"
#include "enemies/GreenOrb.h"
#include "enemies/RedOrb.h"
#include "scene/Drawable.h"
#include "scene/GameState.h"
#include "scene/RandomSource.h"
#include "scene/SceneList.h"
#include "shots/ShotController.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

// The game's generator, written out again so the tests can predict and steer its draws.
constexpr std::uint32_t kMultiplier = 214013u;
constexpr std::uint32_t kIncrement = 2531011u;

struct ReferenceRandom {
    std::uint32_t seed;
    int draw() {
        seed = seed * kMultiplier + kIncrement;
        return static_cast<int>((seed >> 16) & 32767u);
    }
};

constexpr std::uint32_t inverseOf(std::uint32_t odd) {
    std::uint32_t x = odd; // correct to 3 bits; each Newton step doubles that
    for (int i = 0; i < 5; ++i) {
        x *= 2u - odd * x;
    }
    return x;
}

// The seed that precedes `after` by one step of the generator.
constexpr std::uint32_t stepBack(std::uint32_t after) {
    return (after - kIncrement) * inverseOf(kMultiplier);
}

// A seed whose first draw is r1.
std::uint32_t seedDrawingFirst(int r1) {
    return stepBack(static_cast<std::uint32_t>(r1) << 16);
}

// A seed whose second draw is r2.
std::uint32_t seedDrawingSecond(int r2) {
    return stepBack(stepBack(static_cast<std::uint32_t>(r2) << 16));
}

// A seed whose second and third draws are r2 and r3; the first is whatever it comes out as.
// The second draw fixes 15 of the 32 state bits, leaving 2^17 states to find r3 among.
std::optional<std::uint32_t> seedDrawingSecondAndThird(int r2, int r3) {
    for (std::uint32_t free = 0; free < (1u << 17); ++free) {
        const std::uint32_t afterSecond =
            ((free >> 16) << 31) | (static_cast<std::uint32_t>(r2) << 16) | (free & 0xffffu);
        ReferenceRandom probe{afterSecond};
        if (probe.draw() == r3) {
            return stepBack(stepBack(afterSecond));
        }
    }
    return std::nullopt;
}

// Where a spawn with angle draw r2 lands on the shot circle.
std::array<double, 2> expectedXY(int r2) {
    const double angle = static_cast<float>(r2 / 32768.0 * 2 * 3.1415);
    return {std::sin(angle) * 2.1, std::cos(angle) * 2.1};
}

bool isGreen(const Enemy* enemy) {
    return dynamic_cast<const GreenOrb*>(enemy) != nullptr;
}

bool isRed(const Enemy* enemy) {
    return dynamic_cast<const RedOrb*>(enemy) != nullptr;
}

struct Marker : Drawable {
    void draw() override {}
};

class EnemySpawnerTest : public GameStateTest {
protected:
    SceneList scene;
    ShotController shots{scene};
    EnemySpawner spawner{scene, shots};
};

// ---- When ----

TEST(EnemySpawnerThreshold, SpawnsOnlyAboveTheFallingThreshold) {
    struct Case {
        std::int32_t frame;
        int r1;
        bool spawns;
    };
    // Threshold 0.99 - 0.0001 * frame; a spawn needs r1 / 32768 strictly above it.
    const std::array<Case, 14> cases = {{
        {1, 32437, false},
        {1, 32438, true},
        {1, 32767, true},
        {100, 32112, false},
        {100, 32113, true},
        {1000, 29163, false},
        {1000, 29164, true},
        {2400, 24576, false}, // exactly on the threshold of 0.75
        {2400, 24577, true},
        {9899, 0, false},
        {9899, 4, true},
        {9900, 0, true},
        {20000, 0, true},
        {0, 32767, true},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE("frame " + std::to_string(c.frame) + ", r1 " + std::to_string(c.r1));
        EXPECT_EQ(EnemySpawner::spawns(c.frame, c.r1), c.spawns);
    }
}

TEST_F(EnemySpawnerTest, UpdateDecidesWithThisFramesCounterAndFirstDraw) {
    struct Case {
        std::int32_t frame;
        int r1;
        bool spawns;
    };
    const std::array<Case, 4> cases = {{
        {1, 32437, false},
        {1, 32438, true},
        {2400, 24576, false},
        {2400, 24577, true},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE("frame " + std::to_string(c.frame) + ", r1 " + std::to_string(c.r1));
        SceneList freshScene;
        EnemySpawner fresh(freshScene, shots);
        frameCount = c.frame;
        RandomSource::reset(seedDrawingFirst(c.r1));

        fresh.update();

        EXPECT_EQ(fresh.enemyInSlot(1) != nullptr, c.spawns);
        EXPECT_EQ(freshScene.head() != nullptr, c.spawns);
    }
}

// ---- What and where ----

TEST_F(EnemySpawnerTest, KindAndPlaceFollowTheSecondAndThirdDraws) {
    struct Case {
        int r2;
        int r3;
        bool green;
        double x;
        double y;
    };
    const std::array<Case, 5> cases = {{
        {0, 16383, true, 0.0, 2.1},
        {0, 16384, false, 0.0, 2.1},
        // 3.1415 falls short of pi, so half a turn stops a hair before the -y axis.
        {16384, 16383, true, 2.1 * std::sin(static_cast<float>(3.1415)), -2.1},
        {16384, 16384, false, 2.1 * std::sin(static_cast<float>(3.1415)), -2.1},
        {8192, 0, true, 2.1, 2.1 * std::cos(static_cast<float>(1.57075))},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE("r2 " + std::to_string(c.r2) + ", r3 " + std::to_string(c.r3));
        const std::optional<std::uint32_t> seed = seedDrawingSecondAndThird(c.r2, c.r3);
        ASSERT_TRUE(seed.has_value());
        SceneList freshScene;
        EnemySpawner fresh(freshScene, shots);
        frameCount = 9900; // every first draw spawns from here on
        RandomSource::reset(*seed);

        fresh.update();

        const Enemy* enemy = fresh.enemyInSlot(1);
        ASSERT_NE(enemy, nullptr);
        EXPECT_EQ(isGreen(enemy), c.green);
        EXPECT_EQ(isRed(enemy), !c.green);
        EXPECT_NEAR(enemy->position()[0], c.x, 1e-6);
        EXPECT_NEAR(enemy->position()[1], c.y, 1e-6);
        // Never drawn, the scene still has its initial scroll of 0.
        EXPECT_EQ(enemy->position()[2], -20.0f);
        EXPECT_FALSE(enemy->isHit());
        EXPECT_EQ(enemy->burstRadius(), 0.0f);
    }
}

TEST_F(EnemySpawnerTest, NewEnemyAppearsJustInsideTheFarPlane) {
    // The spawner reads the scroll of the previous frame's draw; drawn in its own frame the new
    // orb then sits 19.8 in front of the viewer.
    struct Case {
        std::int32_t previousFrame;
    };
    const std::array<Case, 3> cases = {{{1}, {117}, {2400}}};
    for (const Case& c : cases) {
        SCOPED_TRACE("previous frame " + std::to_string(c.previousFrame));
        SceneList freshScene;
        Marker marker;
        freshScene.add(&marker);
        EnemySpawner fresh(freshScene, shots);
        frameCount = c.previousFrame;
        freshScene.drawAll();
        const float previousScroll = static_cast<float>(c.previousFrame) * 0.2f - 24.0f;

        frameCount = 9900;
        fresh.update();

        const Enemy* enemy = fresh.enemyInSlot(1);
        ASSERT_NE(enemy, nullptr);
        EXPECT_FLOAT_EQ(enemy->position()[2], -previousScroll - 20.0f);
        const float nextScroll = static_cast<float>(c.previousFrame + 1) * 0.2f - 24.0f;
        EXPECT_NEAR(enemy->position()[2] + nextScroll, -19.8, 1e-4);
    }
}

// ---- Slots ----

TEST_F(EnemySpawnerTest, SlotsFillFromOneAndTheTwentySixthReplacesTheFirst) {
    frameCount = 9900;
    for (int spawn = 1; spawn <= 25; ++spawn) {
        spawner.update();
        const int slot = spawn % 25;
        ASSERT_EQ(spawner.lastSlot(), slot);
        ASSERT_NE(spawner.enemyInSlot(slot), nullptr);
        // Only enemies are in this scene, so the n-th spawn gets the n-th id.
        ASSERT_EQ(spawner.enemyIdInSlot(slot), spawn);
    }
    std::vector<std::int32_t> expectedIds;
    for (int id = 1; id <= 25; ++id) {
        expectedIds.push_back(id);
    }
    EXPECT_EQ(sceneIds(scene), expectedIds);

    spawner.update();

    EXPECT_EQ(spawner.lastSlot(), 1);
    EXPECT_EQ(spawner.enemyIdInSlot(1), 26);
    expectedIds.erase(expectedIds.begin());
    expectedIds.push_back(26);
    EXPECT_EQ(sceneIds(scene), expectedIds);
    EXPECT_EQ(scene.tail()->drawable, spawner.enemyInSlot(1));
    for (int slot = 0; slot < EnemySpawner::kSlots; ++slot) {
        SCOPED_TRACE("slot " + std::to_string(slot));
        const SceneNode* node = scene.find(spawner.enemyIdInSlot(slot), scene.head());
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->drawable, spawner.enemyInSlot(slot));
    }
}

TEST_F(EnemySpawnerTest, BurstAndHiddenEnemiesWaitForTheirSlot) {
    frameCount = 9900;
    RandomSource::reset(seedDrawingSecond(16384));
    spawner.update(); // below the axis at depth -20, the scene never having been drawn
    const Enemy* orb = spawner.enemyInSlot(1);
    ASSERT_NE(orb, nullptr);
    const std::int32_t orbId = spawner.enemyIdInSlot(1);
    shots.fire(); // from depth 0 straight below the axis; 33 advances take it to -19.8
    for (int n = 0; n < 33; ++n) {
        shots.advance();
    }
    for (int n = 0; n < 20; ++n) {
        scene.drawAll();
    }
    ASSERT_TRUE(orb->isHit());
    ASSERT_GT(orb->burstRadius(), 100.0f);

    for (int spawn = 2; spawn <= 25; ++spawn) {
        spawner.update();
        ASSERT_EQ(spawner.enemyInSlot(1), orb) << "spawn " << spawn;
        ASSERT_NE(scene.find(orbId, scene.head()), nullptr) << "spawn " << spawn;
    }
    spawner.update();
    EXPECT_EQ(scene.find(orbId, scene.head()), nullptr);
    EXPECT_GT(spawner.enemyIdInSlot(1), orbId);
}

// ---- The draws over many frames ----

TEST_F(EnemySpawnerTest, OnlySpawningFramesTakeTheSecondAndThirdDraws) {
    // A stretch where about one frame in four spawns, long enough to wrap the ring of slots more
    // than once. Every frame is predicted from a generator of our own: spawn or not, slot, kind,
    // place, and in the end how many draws were taken in all.
    const std::uint32_t seed = 12345u;
    RandomSource::reset(seed);
    ReferenceRandom reference{seed};
    int spawnsSeen = 0;
    int expectedSlot = 0;
    for (std::int32_t frame = 2000; frame < 2300; ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        frameCount = frame;
        const Enemy* before = spawner.enemyInSlot((expectedSlot + 1) % 25);

        spawner.update();

        const int r1 = reference.draw();
        const bool spawns = r1 > 32768 * (0.99 - 0.0001 * frame);
        if (!spawns) {
            ASSERT_EQ(spawner.lastSlot(), expectedSlot);
            ASSERT_EQ(spawner.enemyInSlot((expectedSlot + 1) % 25), before);
            continue;
        }
        ++spawnsSeen;
        expectedSlot = (expectedSlot + 1) % 25;
        const int r2 = reference.draw();
        const int r3 = reference.draw();
        ASSERT_EQ(spawner.lastSlot(), expectedSlot);
        const Enemy* enemy = spawner.enemyInSlot(expectedSlot);
        ASSERT_NE(enemy, nullptr);
        EXPECT_EQ(isGreen(enemy), r3 <= 16383);
        const std::array<double, 2> xy = expectedXY(r2);
        EXPECT_NEAR(enemy->position()[0], xy[0], 1e-6);
        EXPECT_NEAR(enemy->position()[1], xy[1], 1e-6);
        // A new id every spawn, even where the new orb reuses the old one's memory.
        EXPECT_EQ(spawner.enemyIdInSlot(expectedSlot), spawnsSeen);
    }
    EXPECT_GT(spawnsSeen, 50);
    EXPECT_LT(spawnsSeen, 250);
    EXPECT_EQ(RandomSource::draw(), reference.draw());
}

} // namespace
