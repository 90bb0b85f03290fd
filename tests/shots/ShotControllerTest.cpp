#include "shots/ShotController.h"

#include "GameFixture.h"
#include "scene/SceneList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace {

constexpr int kSlots = 20;

// Stands for the rest of the scene, so the list can be drawn (and set its scroll) without shots.
class Marker : public Drawable {
public:
    void draw() override {}
};

class ShotControllerTest : public GameStateTest {
protected:
    // Draws the scene as the frame routine would at this frame, which sets its scroll.
    void drawSceneAt(std::int32_t frame) {
        if (scene.head() == nullptr) {
            scene.add(&marker);
        }
        frameCount = frame;
        scene.drawAll();
    }

    int liveShots() const {
        int live = 0;
        for (int slot = 0; slot < kSlots; ++slot) {
            live += shots.shotInSlot(slot) != nullptr ? 1 : 0;
        }
        return live;
    }

    Marker marker;
    SceneList scene; // outlives the controller, which takes its shots out of it
    ShotController shots{scene};
};

// --- fire ---

TEST_F(ShotControllerTest, FiresIntoSlotsInTurnAndReplacesTheOldest) {
    // Each shot is told apart by the spin it was fired under.
    for (int n = 1; n <= 20; ++n) {
        SCOPED_TRACE(n);
        spinAngle = static_cast<float>(n);
        shots.fire();
        const int slot = n % kSlots; // 1, 2, ..., 19, then 0
        EXPECT_EQ(shots.lastSlot(), slot);
        ASSERT_NE(shots.shotInSlot(slot), nullptr);
        EXPECT_EQ(shots.shotInSlot(slot)->angle, static_cast<float>(n));
        EXPECT_EQ(shots.shotIdInSlot(slot), n); // only shots are added to this scene
        EXPECT_EQ(liveShots(), n);
    }

    spinAngle = 21.0f;
    shots.fire();
    EXPECT_EQ(shots.lastSlot(), 1);
    ASSERT_NE(shots.shotInSlot(1), nullptr);
    EXPECT_EQ(shots.shotInSlot(1)->angle, 21.0f);
    EXPECT_EQ(shots.shotIdInSlot(1), 21);
    EXPECT_FALSE(inScene(scene, 1));
    EXPECT_EQ(liveShots(), 20);

    std::vector<std::int32_t> expectedIds;
    for (std::int32_t id = 2; id <= 21; ++id) {
        expectedIds.push_back(id);
    }
    EXPECT_EQ(sceneIds(scene), expectedIds);
    // Each live slot's shot is the one the scene draws under that slot's id.
    for (const SceneNode* node = scene.head(); node != nullptr; node = node->next) {
        const int slot = node->id % kSlots;
        EXPECT_EQ(node->drawable, shots.shotInSlot(slot)) << "id " << node->id;
    }
}

TEST_F(ShotControllerTest, FireRemembersSpinAndScrollOfTheLastDrawnFrame) {
    struct Case {
        float spin;
        std::int32_t drawnFrame; // 0: the scene has never been drawn with members
        float startZ;            // minus the scroll of that frame, 0.2 per frame from -24
    };
    const std::array<Case, 5> cases{{
        {0.0f, 0, 0.0f},
        {370.0f, 20, 20.0f},
        {-7.0f, 1, 23.8f},
        {-359910.0f, 100, 4.0f},
        {12.5f, 140, -4.0f},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "spin " << c.spin << " frame " << c.drawnFrame);
        SceneList freshScene;
        ShotController controller(freshScene);
        if (c.drawnFrame != 0) {
            freshScene.add(&marker);
            frameCount = c.drawnFrame;
            freshScene.drawAll();
        }
        spinAngle = c.spin;
        controller.fire();

        const Shot* shot = controller.shotInSlot(1);
        ASSERT_NE(shot, nullptr);
        EXPECT_EQ(shot->angle, c.spin); // kept as it was, never wrapped
        EXPECT_FLOAT_EQ(shot->startZ, c.startZ);
        EXPECT_EQ(shot->startZ, -freshScene.scrollZ());
        EXPECT_EQ(shot->travel, 0.0f);
    }
}

// --- advance and retirement ---

TEST_F(ShotControllerTest, AdvanceMovesEachShotAndRetiresItOnTheFiftyFirst) {
    shots.fire(); // slot 1
    const std::int32_t id = shots.shotIdInSlot(1);

    float travel = 0.0f;
    for (int advance = 1; advance <= 50; ++advance) {
        SCOPED_TRACE(advance);
        shots.advance();
        travel = travel - 0.6f;
        ASSERT_NE(shots.shotInSlot(1), nullptr);
        EXPECT_EQ(shots.shotInSlot(1)->travel, travel);
        EXPECT_TRUE(inScene(scene, id));
    }
    // Fifty steps of 0.6 in single precision end just beyond 30, which is what retires the shot.
    EXPECT_LT(travel, -30.0f);

    shots.advance();
    EXPECT_EQ(shots.shotInSlot(1), nullptr);
    EXPECT_EQ(shots.shotIdInSlot(1), id);
    EXPECT_FALSE(inScene(scene, id));
    EXPECT_EQ(scene.head(), nullptr);
}

TEST_F(ShotControllerTest, ShotsRetireIndependentlyOfTheirSlots) {
    shots.fire(); // slot 1
    for (int i = 0; i < 10; ++i) {
        shots.advance();
    }
    shots.fire(); // slot 2, ten advances younger
    const std::int32_t younger = shots.shotIdInSlot(2);

    for (int i = 0; i < 41; ++i) { // the 51st advance of the older shot
        shots.advance();
    }
    EXPECT_EQ(shots.shotInSlot(1), nullptr);
    ASSERT_NE(shots.shotInSlot(2), nullptr);
    EXPECT_EQ(sceneIds(scene), std::vector<std::int32_t>{younger});

    for (int i = 0; i < 9; ++i) { // the younger shot's 50th
        shots.advance();
    }
    ASSERT_NE(shots.shotInSlot(2), nullptr);
    shots.advance();
    EXPECT_EQ(shots.shotInSlot(2), nullptr);
    EXPECT_EQ(scene.head(), nullptr);
}

// Frame by frame as the frame routine runs them (advance, then draw), after a fire between frames.
TEST_F(ShotControllerTest, ShotIsDrawnInTheFiftyFramesAfterFiringAndRecedes) {
    constexpr std::int32_t kFiredAfter = 50;
    drawSceneAt(kFiredAfter);
    shots.fire();

    for (int k = 1; k <= 51; ++k) {
        SCOPED_TRACE(::testing::Message() << "frame " << k << " after firing");
        gltest::reset();
        frameCount = kFiredAfter + k;
        shots.advance();
        scene.drawAll();

        const std::vector<gltest::GlCall> spheres = gltest::named("glutSolidSphere");
        if (k == 51) {
            EXPECT_TRUE(spheres.empty());
            continue;
        }
        ASSERT_EQ(spheres.size(), 1u);
        // The scroll translation and the shot's own add up to its depth as the viewer sees it.
        const std::vector<gltest::GlCall> moves = gltest::named("glTranslatef");
        ASSERT_EQ(moves.size(), 2u) << gltest::dump();
        const double viewDepth = moves[0].arg(2) + moves[1].arg(2);
        EXPECT_NEAR(viewDepth, -1.3 - 0.4 * k, 1e-4);
    }
}

TEST_F(ShotControllerTest, RetiredSlotKeepsItsIdUntilTheNextFireIntoIt) {
    shots.fire(); // slot 1, id 1
    for (int i = 0; i < 51; ++i) {
        shots.advance();
    }
    ASSERT_EQ(shots.shotInSlot(1), nullptr);
    ASSERT_EQ(shots.shotIdInSlot(1), 1);

    for (int n = 0; n < 19; ++n) { // slots 2..19 and 0
        shots.fire();
    }
    EXPECT_EQ(shots.shotIdInSlot(1), 1);
    shots.fire(); // back into slot 1: removing the stale id 1 must touch nothing else
    EXPECT_EQ(shots.lastSlot(), 1);
    EXPECT_EQ(shots.shotIdInSlot(1), 21);
    EXPECT_EQ(liveShots(), 20);

    std::vector<std::int32_t> expectedIds;
    for (std::int32_t id = 2; id <= 21; ++id) {
        expectedIds.push_back(id);
    }
    EXPECT_EQ(sceneIds(scene), expectedIds);
}

TEST_F(ShotControllerTest, DepthAfterTenAdvancesFromScrollMinusTwenty) {
    drawSceneAt(20);
    ASSERT_FLOAT_EQ(scene.scrollZ(), -20.0f);
    shots.fire();
    for (int i = 0; i < 10; ++i) {
        shots.advance();
    }
    const Shot* shot = shots.shotInSlot(1);
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->startZ, 20.0f);
    EXPECT_NEAR(shot->startZ + shot->travel, 14.0f, 1e-5f);
}

} // namespace
