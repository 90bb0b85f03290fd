#include "shots/Shot.h"

#include "GameFixture.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using ShotDrawTest = GameStateTest;

// A shot is drawn on the shot circle, turned back by the spin it was fired under, 1.3 units beyond
// its own depth, and leaves the matrix stack as it found it.
TEST_F(ShotDrawTest, PlacesOneSmallSphereInsideItsOwnPushAndPop) {
    struct Case {
        float angle;
        float startZ;
        float travel;
    };
    const std::array<Case, 4> cases{{
        {0.0f, 0.0f, 0.0f},
        {370.0f, 20.0f, -6.0f},
        {-96.5f, 23.8f, -0.6f},
        {-360090.0f, -4.0f, -30.5f},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "angle " << c.angle << " startZ " << c.startZ << " travel " << c.travel);
        gltest::reset();
        Shot shot(c.angle, c.startZ);
        shot.travel = c.travel;

        shot.draw();

        const std::vector<gltest::GlCall>& log = gltest::calls();
        ASSERT_EQ(log.size(), 6u) << gltest::dump();
        EXPECT_STREQ(log[0].name, "glPushMatrix");

        EXPECT_STREQ(log[1].name, "glColor3f");
        EXPECT_EQ(log[1].arg(0), 0.2f);
        EXPECT_EQ(log[1].arg(1), 0.2f);
        EXPECT_EQ(log[1].arg(2), 0.8f);

        EXPECT_STREQ(log[2].name, "glRotatef");
        EXPECT_EQ(log[2].arg(0), -c.angle);
        EXPECT_EQ(log[2].arg(1), 0.0);
        EXPECT_EQ(log[2].arg(2), 0.0);
        EXPECT_EQ(log[2].arg(3), 1.0);

        EXPECT_STREQ(log[3].name, "glTranslatef");
        EXPECT_EQ(log[3].arg(0), 0.0);
        EXPECT_EQ(log[3].arg(1), -2.1f);
        const float depth = c.startZ + c.travel;
        EXPECT_FLOAT_EQ(static_cast<float>(log[3].arg(2)), depth - 1.3f);

        EXPECT_STREQ(log[4].name, "glutSolidSphere");
        EXPECT_NEAR(log[4].arg(0), 0.15, 1e-7);
        EXPECT_EQ(log[4].arg(1), 5.0);
        EXPECT_EQ(log[4].arg(2), 5.0);

        EXPECT_STREQ(log[5].name, "glPopMatrix");
    }
}

} // namespace
