#include "shots/ShotController.h"

#include "GameFixture.h"
#include "scene/SceneList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr int kSlots = 20;
constexpr float kOrbRadius = 2.1f; // the circle orbs and shots share
constexpr std::int32_t kMiss = -1;

struct OrbPosition {
    float x, y;
};

// Where an orb at this polar angle (true degrees) sits on the shot circle.
OrbPosition orbAt(double degrees) {
    const double radians = degrees * 3.14159265358979323846 / 180.0;
    return {static_cast<float>(kOrbRadius * std::cos(radians)),
            static_cast<float>(kOrbRadius * std::sin(radians))};
}

// The spin under which a shot must be fired to fly at this polar angle: a shot starts below the
// axis (270 degrees) and is turned back by the spin.
float spinForShotAt(double degrees) {
    return static_cast<float>(-degrees - 90.0);
}

// Shots are fired before the scene has ever been drawn, so they take startZ 0 and, unadvanced,
// sit at depth exactly 0: the depth window can then be probed with exact orb depths.
class HitTestTest : public GameStateTest {
protected:
    // Fires the next shot under this spin; returns the slot it landed in.
    int fireWithSpin(float spin) {
        spinAngle = spin;
        shots.fire();
        EXPECT_EQ(shots.shotInSlot(shots.lastSlot())->depth(), 0.0f);
        return shots.lastSlot();
    }

    struct Snapshot {
        std::vector<std::int32_t> sceneIds;
        std::array<const Shot*, kSlots> shots{};
        std::array<std::int32_t, kSlots> ids{};
        bool operator==(const Snapshot&) const = default;
    };

    Snapshot snapshot() const {
        Snapshot s{sceneIds(scene), {}, {}};
        for (int slot = 0; slot < kSlots; ++slot) {
            s.shots[slot] = shots.shotInSlot(slot);
            s.ids[slot] = shots.shotIdInSlot(slot);
        }
        return s;
    }

    SceneList scene;
    ShotController shots{scene};
};

// --- The angle window ---

struct AngleCase {
    const char* name;
    double orbDegrees;
    float spin;
    bool hits;
};

void PrintTo(const AngleCase& c, std::ostream* os) {
    *os << c.name;
}

class HitTestAngleTest : public HitTestTest, public ::testing::WithParamInterface<AngleCase> {};

TEST_P(HitTestAngleTest, ShotHitsOnlyStrictlyInsideSevenDegrees) {
    const AngleCase& c = GetParam();
    const int slot = fireWithSpin(c.spin);
    const std::int32_t id = shots.shotIdInSlot(slot);
    const OrbPosition orb = orbAt(c.orbDegrees);

    const std::int32_t result = shots.hitTest(orb.x, orb.y, 0.0f);

    if (c.hits) {
        EXPECT_EQ(result, id);
        EXPECT_EQ(shots.shotInSlot(slot), nullptr);
        EXPECT_EQ(shots.shotIdInSlot(slot), id); // the emptied slot keeps the id
        EXPECT_FALSE(inScene(scene, id));
    } else {
        EXPECT_EQ(result, kMiss);
        EXPECT_NE(shots.shotInSlot(slot), nullptr);
        EXPECT_TRUE(inScene(scene, id));
    }
}

// Orbs on the +x axis lie at exactly 0 degrees, so the window runs from 353 across the seam to 7
// and shot angles exactly on its bounds can be made.
INSTANTIATE_TEST_SUITE_P(
    SeamAtZero, HitTestAngleTest,
    ::testing::Values(AngleCase{"spin -90 is 0 degrees", 0.0, -90.0f, true},
                      AngleCase{"spin -450 is 360 degrees", 0.0, -450.0f, true},
                      AngleCase{"spin -96.5 is 6.5 degrees", 0.0, -96.5f, true},
                      AngleCase{"spin -443.5 is 353.5 degrees", 0.0, -443.5f, true},
                      AngleCase{"spin -97 is 7 degrees", 0.0, -97.0f, false},
                      AngleCase{"spin -443 is 353 degrees", 0.0, -443.0f, false},
                      AngleCase{"spin -270 is 180 degrees", 0.0, -270.0f, false},
                      AngleCase{"thousand turns down to 360", 0.0, -90.0f - 360000.0f, true},
                      AngleCase{"thousand turns up to 0", 0.0, -90.0f + 360000.0f, true},
                      AngleCase{"thousand turns to 6.5", 0.0, -96.5f - 360000.0f, true},
                      AngleCase{"thousand turns to 7", 0.0, -97.0f - 360000.0f, false}),
    [](const ::testing::TestParamInfo<AngleCase>& info) { return std::to_string(info.index); });

// An orb just short of a full turn: its window runs from about 352 across the seam to about 6.
INSTANTIATE_TEST_SUITE_P(
    SeamFromBelow, HitTestAngleTest,
    ::testing::Values(AngleCase{"shot at 5", 359.0, spinForShotAt(5.0), true},
                      AngleCase{"shot at 0", 359.0, spinForShotAt(0.0), true},
                      AngleCase{"shot at 353", 359.0, spinForShotAt(353.0), true},
                      AngleCase{"shot at 7", 359.0, spinForShotAt(7.0), false},
                      AngleCase{"shot at 351", 359.0, spinForShotAt(351.0), false},
                      AngleCase{"shot at 179", 359.0, spinForShotAt(179.0), false}),
    [](const ::testing::TestParamInfo<AngleCase>& info) { return std::to_string(info.index); });

// Orbs in every quadrant, off the diagonals too, and on every axis: a shot 6 degrees to either side
// hits, 8 misses.
std::vector<AngleCase> aroundTheCircle() {
    static const std::array<const char*, 4> names{"6 below", "6 above", "8 below", "8 above"};
    std::vector<AngleCase> cases;
    for (double orb :
         {0.0, 20.0, 45.0, 90.0, 110.0, 135.0, 180.0, 200.0, 225.0, 270.0, 290.0, 315.0, 340.0}) {
        const std::array<double, 4> offsets{-6.0, 6.0, -8.0, 8.0};
        for (std::size_t i = 0; i < offsets.size(); ++i) {
            cases.push_back({names[i], orb, spinForShotAt(orb + offsets[i]), i < 2});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(AroundTheCircle, HitTestAngleTest, ::testing::ValuesIn(aroundTheCircle()),
                         [](const ::testing::TestParamInfo<AngleCase>& info) {
                             return "orb" +
                                    std::to_string(static_cast<int>(info.param.orbDegrees)) + "_" +
                                    std::to_string(info.index % 4);
                         });

// Spins a whole turn apart put the shot in the same place: 370 and 10 both fly at 260 degrees.
INSTANTIATE_TEST_SUITE_P(WholeTurnsApart, HitTestAngleTest,
                         ::testing::Values(AngleCase{"10 at orb 260", 260.0, 10.0f, true},
                                           AngleCase{"370 at orb 260", 260.0, 370.0f, true},
                                           AngleCase{"-1790 at orb 260", 260.0, -1790.0f, true},
                                           AngleCase{"10 at orb 266.5", 266.5, 10.0f, true},
                                           AngleCase{"370 at orb 266.5", 266.5, 370.0f, true},
                                           AngleCase{"10 at orb 268", 268.0, 10.0f, false},
                                           AngleCase{"370 at orb 268", 268.0, 370.0f, false},
                                           AngleCase{"10 at orb 252", 252.0, 10.0f, false},
                                           AngleCase{"370 at orb 252", 252.0, 370.0f, false}),
                         [](const ::testing::TestParamInfo<AngleCase>& info) {
                             return std::to_string(info.index);
                         });

// --- The depth window ---

TEST_F(HitTestTest, ShotHitsOnlyStrictlyWithinTwoUnitsOfDepth) {
    struct Case {
        float orbZ;
        bool hits;
    };
    // The shot below the axis (spin 0, 270 degrees) at depth 0, the orb straight below it.
    const std::array<Case, 7> cases{{
        {0.0f, true},
        {1.5f, true},
        {-1.5f, true},
        {1.9999f, true},
        {2.0f, false},
        {-2.0f, false},
        {2.5f, false},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orbZ);
        SceneList freshScene;
        ShotController controller(freshScene);
        spinAngle = 0.0f;
        controller.fire();
        const std::int32_t id = controller.shotIdInSlot(1);
        EXPECT_EQ(controller.hitTest(0.0f, -kOrbRadius, c.orbZ), c.hits ? id : kMiss);
    }
}

TEST_F(HitTestTest, DepthIncludesTheScrollAtFiringAndTheTravelSince) {
    // Scroll -20 at the firing moment puts the shot at 20; ten advances take it to about 14.
    class Marker : public Drawable {
    public:
        void draw() override {}
    } marker;
    SceneList drawnScene;
    ShotController controller(drawnScene);
    drawnScene.add(&marker);
    frameCount = 20;
    drawnScene.drawAll();
    spinAngle = 0.0f;
    controller.fire();
    for (int i = 0; i < 10; ++i) {
        controller.advance();
    }
    EXPECT_EQ(controller.hitTest(0.0f, -kOrbRadius, 16.5f), kMiss);
    EXPECT_EQ(controller.hitTest(0.0f, -kOrbRadius, 11.5f), kMiss);
    EXPECT_EQ(controller.hitTest(0.0f, -kOrbRadius, 15.5f), controller.shotIdInSlot(1));
}

// --- Which shot is consumed ---

TEST_F(HitTestTest, LowestMatchingSlotIsConsumedFirst) {
    // Slots 1 to 7; only 3 and 7 fly below the axis, the others on the opposite side.
    for (int slot = 1; slot <= 7; ++slot) {
        fireWithSpin(slot == 3 || slot == 7 ? 0.0f : 180.0f);
    }
    const std::int32_t id3 = shots.shotIdInSlot(3);
    const std::int32_t id7 = shots.shotIdInSlot(7);

    EXPECT_EQ(shots.hitTest(0.0f, -kOrbRadius, 0.0f), id3);
    EXPECT_EQ(shots.shotInSlot(3), nullptr);
    EXPECT_EQ(shots.shotIdInSlot(3), id3);
    EXPECT_FALSE(inScene(scene, id3));
    ASSERT_NE(shots.shotInSlot(7), nullptr);
    EXPECT_TRUE(inScene(scene, id7));
    EXPECT_EQ(sceneIds(scene).size(), 6u);

    EXPECT_EQ(shots.hitTest(0.0f, -kOrbRadius, 0.0f), id7);
    EXPECT_EQ(shots.shotInSlot(7), nullptr);
    EXPECT_FALSE(inScene(scene, id7));

    EXPECT_EQ(shots.hitTest(0.0f, -kOrbRadius, 0.0f), kMiss);
    EXPECT_EQ(sceneIds(scene).size(), 5u);
}

TEST_F(HitTestTest, SlotOrderBeatsAgeAfterTheRingWraps) {
    // Twenty fires wrap round to slot 0; the newest shot there is still tested first.
    for (int n = 1; n <= 20; ++n) {
        fireWithSpin(n == 5 || n == 20 ? 0.0f : 180.0f);
    }
    ASSERT_EQ(shots.lastSlot(), 0);
    EXPECT_EQ(shots.hitTest(0.0f, -kOrbRadius, 0.0f), shots.shotIdInSlot(0));
    EXPECT_EQ(shots.hitTest(0.0f, -kOrbRadius, 0.0f), shots.shotIdInSlot(5));
}

TEST_F(HitTestTest, MissChangesNothing) {
    // No live shot at all, then live shots that are each off by angle or by depth.
    const Snapshot empty = snapshot();
    EXPECT_EQ(shots.hitTest(0.0f, -kOrbRadius, 0.0f), kMiss);
    EXPECT_EQ(snapshot(), empty);

    fireWithSpin(0.0f);   // right angle, depth 0
    fireWithSpin(180.0f); // wrong angle
    const Snapshot before = snapshot();
    EXPECT_EQ(shots.hitTest(0.0f, -kOrbRadius, 5.0f), kMiss);  // too far
    EXPECT_EQ(shots.hitTest(kOrbRadius, 0.0f, 0.0f), kMiss);   // 90 degrees off
    EXPECT_EQ(shots.hitTest(0.0f, -kOrbRadius, -2.0f), kMiss); // on the depth bound
    EXPECT_EQ(snapshot(), before);
}

// --- The orb on the axis ---

TEST_F(HitTestTest, OrbOnTheAxisReportsOnEveryCallAndCountsAsZeroDegrees) {
    const std::string line = "shotcontroller: Shouldn't be here\n";

    ::testing::internal::CaptureStdout();
    EXPECT_EQ(shots.hitTest(0.0f, 0.0f, 0.0f), kMiss);
    EXPECT_EQ(shots.hitTest(-0.0f, 0.0f, 3.0f), kMiss);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), line + line);

    // A shot at 0 degrees is inside the window of an orb taken to be at 0 degrees.
    const int slot = fireWithSpin(-90.0f);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(shots.hitTest(0.0f, -0.0f, 0.0f), shots.shotIdInSlot(slot));
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), line);
}

TEST_F(HitTestTest, OrbOffTheAxisPrintsNothing) {
    fireWithSpin(0.0f);
    ::testing::internal::CaptureStdout();
    for (double degrees = 0.0; degrees < 360.0; degrees += 30.0) {
        const OrbPosition orb = orbAt(degrees);
        shots.hitTest(orb.x, orb.y, 0.0f);
    }
    shots.hitTest(kOrbRadius, 0.0f, 0.0f);
    shots.hitTest(0.0f, kOrbRadius, 0.0f);
    shots.hitTest(-kOrbRadius, 0.0f, 0.0f);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

// --- normalizeDegrees ---

TEST(NormalizeDegrees, BringsAnyAngleIntoZeroToThreeSixtyKeepingBothEnds) {
    struct Case {
        double in;
        double out;
    };
    const std::array<Case, 14> cases{{
        {0.0, 0.0},
        {360.0, 360.0},
        {720.0, 360.0},
        {-360.0, 0.0},
        {-720.0, 0.0},
        {-1.0, 359.0},
        {361.0, 1.0},
        {359.5, 359.5},
        {-0.25, 359.75},
        {1080.25, 0.25},
        {1.0e6, 280.0}, // 2777 turns and 280 degrees
        {-1.0e6, 80.0}, // 2778 turns back and 80 degrees
        {3.6e8, 360.0}, // a million whole turns
        {-3.6e8, 0.0},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_DOUBLE_EQ(normalizeDegrees(c.in), c.out);
    }
}

} // namespace
