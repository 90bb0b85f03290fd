// How an orb draws itself: the wedge sphere, the two kinds' looks, the texture upload, and the
// burst that a hit found inside the draw sets off.

#include "GameFixture.h"
#include "RecordingGl.h"

#include "enemies/EnemySpawner.h"
#include "enemies/GreenOrb.h"
#include "enemies/RedOrb.h"
#include "render/RenderState.h"
#include "scene/SceneList.h"
#include "shots/ShotController.h"

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kWedges = 32;
constexpr int kStepsPoleToPole = 16;
constexpr int kVerticesPerOrb = kWedges * 2 * (kStepsPoleToPole + 1);

// The game's own pi and its multiples.
constexpr double kGamePi = 3.1415;
constexpr double kGameTwoPi = 6.283;
constexpr double kGameQuarterTurn = 1.57075;

// An orb placed straight below the axis at depth 0: a shot fired at spin 0 before the scene was
// ever drawn flies at exactly this angle and depth, so it hits.
constexpr std::array<float, 3> kBelowAxis = {0.0f, -2.1f, 0.0f};

enum class Kind { Green, Red };

struct ExpectedCall {
    std::string name;
    std::vector<double> args;
    double tolerance = 1e-6;
    const void* data = nullptr; // checked only when set
};

std::unique_ptr<Enemy> makeOrb(Kind kind, EnemySpawner& owner, const std::array<float, 3>& at) {
    if (kind == Kind::Green) {
        return std::make_unique<GreenOrb>(owner, at[0], at[1], at[2]);
    }
    return std::make_unique<RedOrb>(owner, at[0], at[1], at[2]);
}

// Every GL call one visible orb draw should make, worked out from the drawing rules alone.
std::vector<ExpectedCall> expectedOrbDraw(Kind kind, bool texturing, float burstRadius,
                                          const std::array<float, 3>& at) {
    const bool green = kind == Kind::Green;
    std::vector<ExpectedCall> out;
    out.push_back({"glPushMatrix", {}});
    if (texturing) {
        const int size = green ? 16 : 128;
        const void* image = green ? static_cast<const void*>(ringPattern.data())
                                  : static_cast<const void*>(texture2.data());
        out.push_back(
            {"glTexParameteri", {GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR}});
        out.push_back({"gluBuild2DMipmaps",
                       {GL_TEXTURE_2D, 3, double(size), double(size), GL_RGB, GL_UNSIGNED_BYTE},
                       0.0,
                       image});
        out.push_back({"glEnable", {GL_TEXTURE_2D}});
    }
    out.push_back({"glTranslatef", {at[0], at[1], at[2]}});
    if (!green) {
        out.push_back({"glRotatef", {90, 0, 1, 0}});
    }
    if (green) {
        out.push_back({"glColor3f", {0.2f, 0.7f, 0.2f}});
    } else {
        out.push_back({"glColor3f", {0.7f, 0.2f, 0.2f}});
    }

    for (int i = 0; i < kWedges; ++i) {
        const double middle = (i + 0.5) / kWedges * kGameTwoPi;
        // A wide burst moves the wedges far out; allow for float rounding of the product.
        const double translateTolerance = 1e-6 * (1.0 + burstRadius);
        out.push_back({"glPushMatrix", {}});
        out.push_back({"glTranslatef",
                       {std::cos(middle) * burstRadius, std::sin(middle) * burstRadius, 0.0},
                       translateTolerance});
        out.push_back({"glBegin", {GL_TRIANGLE_STRIP}});
        const double phi0 = static_cast<float>(i / double(kWedges) * kGameTwoPi);
        const double phi1 = static_cast<float>((i + 1) / double(kWedges) * kGameTwoPi);
        for (int j = 0; j <= kStepsPoleToPole; ++j) {
            const double theta = j / double(kStepsPoleToPole) * kGamePi;
            for (const double phi : {phi0, phi1}) {
                const double x = std::cos(phi) * std::sin(theta);
                const double y = std::sin(phi) * std::sin(theta);
                out.push_back({"glVertex3f", {x, y, std::cos(theta)}});
                if (green) {
                    out.push_back({"glTexCoord2f", {5 * x, 5 * y}, 5e-6});
                }
            }
        }
        if (!green) {
            const double farPole = static_cast<float>(kGamePi);
            const double u = std::sin(farPole + kGameQuarterTurn);
            out.push_back({"glTexCoord2f",
                           {10 * u * std::cos(phi1 + kGameQuarterTurn),
                            10 * u * std::sin(phi1 + kGameQuarterTurn)},
                           1e-5});
        }
        out.push_back({"glEnd", {}});
        out.push_back({"glPopMatrix", {}});
    }
    out.push_back({"glDisable", {GL_TEXTURE_2D}});
    out.push_back({"glPopMatrix", {}});
    return out;
}

// Compares the log from `from` on with the expected calls and names the first difference only, so
// a wrong vertex does not bury the report under a thousand follow-on failures.
::testing::AssertionResult logMatches(const std::vector<ExpectedCall>& expected, std::size_t from) {
    const std::vector<gltest::GlCall>& log = gltest::calls();
    if (log.size() - from != expected.size()) {
        return ::testing::AssertionFailure()
               << "expected " << expected.size() << " calls, got " << log.size() - from;
    }
    for (std::size_t k = 0; k < expected.size(); ++k) {
        const gltest::GlCall& got = log[from + k];
        const ExpectedCall& want = expected[k];
        bool same = got.name == want.name && got.argCount == static_cast<int>(want.args.size()) &&
                    (want.data == nullptr || got.data == want.data);
        for (std::size_t a = 0; same && a < want.args.size(); ++a) {
            same = std::fabs(got.args[a] - want.args[a]) <= want.tolerance;
        }
        if (!same) {
            std::string wanted = want.name + "(";
            for (std::size_t a = 0; a < want.args.size(); ++a) {
                wanted += (a == 0 ? "" : ", ") + std::to_string(want.args[a]);
            }
            return ::testing::AssertionFailure()
                   << "call " << k << ": got " << gltest::toString(got) << ", expected " << wanted
                   << ")";
        }
    }
    return ::testing::AssertionSuccess();
}

class OrbTest : public GameStateTest {
protected:
    SceneList scene;
    ShotController shots{scene};
    EnemySpawner spawner{scene, shots};
};

// ---- The whole orb ----

TEST_F(OrbTest, UntouchedOrbDrawsItsWedgeSphereWithTheKindsLook) {
    struct Case {
        const char* name;
        Kind kind;
        bool texturing;
    };
    const std::array<Case, 4> cases = {{
        {"green, textured", Kind::Green, true},
        {"green, untextured", Kind::Green, false},
        {"red, textured", Kind::Red, true},
        {"red, untextured", Kind::Red, false},
    }};
    const std::array<float, 3> at = {-1.5f, 1.47f, -7.25f};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gltest::reset();
        texturingEnabled = c.texturing ? 1 : 0;
        const std::unique_ptr<Enemy> orb = makeOrb(c.kind, spawner, at);

        orb->draw();

        EXPECT_EQ(gltest::count("glVertex3f"), std::size_t{kVerticesPerOrb});
        EXPECT_TRUE(logMatches(expectedOrbDraw(c.kind, c.texturing, 0.0f, at), 0));
        EXPECT_FALSE(orb->isHit());
        EXPECT_EQ(orb->burstRadius(), 0.0f);
    }
}

TEST_F(OrbTest, UntouchedOrbIsAClosedUnitSphere) {
    // Independent of the strip order: with no burst every vertex lies on the unit sphere and each
    // wedge's far edge is exactly the next wedge's near edge.
    GreenOrb orb(spawner, 0.0f, 2.1f, -3.0f);
    orb.draw();

    const std::vector<gltest::GlCall> vertices = gltest::named("glVertex3f");
    ASSERT_EQ(vertices.size(), std::size_t{kVerticesPerOrb});
    const std::size_t perWedge = vertices.size() / kWedges;
    for (std::size_t v = 0; v < vertices.size(); ++v) {
        const gltest::GlCall& c = vertices[v];
        const double length =
            std::sqrt(c.args[0] * c.args[0] + c.args[1] * c.args[1] + c.args[2] * c.args[2]);
        ASSERT_NEAR(length, 1.0, 1e-6) << "vertex " << v;
        if (v % 2 == 1 && v + perWedge - 1 < vertices.size()) {
            const gltest::GlCall& nextNear = vertices[v + perWedge - 1];
            for (int a = 0; a < 3; ++a) {
                ASSERT_EQ(c.args[a], nextNear.args[a]) << "vertex " << v << " coordinate " << a;
            }
        }
    }
}

// ---- Hit and burst ----

TEST_F(OrbTest, OrbMissedByEveryShotStaysWholeAndLeavesTheShotsAlone) {
    spinAngle = 180.0f; // this shot flies above the axis, opposite the orb
    shots.fire();
    GreenOrb orb(spawner, kBelowAxis[0], kBelowAxis[1], kBelowAxis[2]);

    orb.draw();

    EXPECT_FALSE(orb.isHit());
    EXPECT_EQ(orb.burstRadius(), 0.0f);
    EXPECT_NE(shots.shotInSlot(1), nullptr);
    EXPECT_TRUE(logMatches(expectedOrbDraw(Kind::Green, true, 0.0f, kBelowAxis), 0));
}

TEST_F(OrbTest, BurstGrowsByHalfEachDrawAndHidesOncePastOneHundred) {
    // Draws counted from the one that finds the hit. The radii are 0.5 * 1.5^n, exact in single
    // precision over this range.
    struct Row {
        int drawAfterHit;
        float radius;
        bool drawn;
    };
    const std::array<Row, 16> timeline = {{
        {0, 0.5f, true},
        {1, 0.75f, true},
        {2, 1.125f, true},
        {3, 1.6875f, true},
        {4, 2.53125f, true},
        {5, 3.796875f, true},
        {6, 5.6953125f, true},
        {7, 8.54296875f, true},
        {8, 12.814453125f, true},
        {9, 19.2216796875f, true},
        {10, 28.83251953125f, true},
        {11, 43.248779296875f, true},
        {12, 64.8731689453125f, true},
        {13, 97.30975341796875f, true},
        {14, 145.964630126953125f, false},
        {15, 218.9469451904296875f, false},
    }};

    for (const Kind kind : {Kind::Green, Kind::Red}) {
        SCOPED_TRACE(kind == Kind::Green ? "green" : "red");
        resetGameState();
        SceneList freshScene;
        ShotController freshShots(freshScene);
        EnemySpawner owner(freshScene, freshShots);
        const std::unique_ptr<Enemy> orb = makeOrb(kind, owner, kBelowAxis);

        freshShots.fire();
        const std::int32_t hitShotId = freshShots.shotIdInSlot(1);
        bool secondShotFired = false;
        for (const Row& row : timeline) {
            SCOPED_TRACE("draw " + std::to_string(row.drawAfterHit) + " after the hit");
            const std::size_t before = gltest::calls().size();

            orb->draw();

            EXPECT_TRUE(orb->isHit());
            EXPECT_EQ(orb->burstRadius(), row.radius);
            if (row.drawn) {
                EXPECT_TRUE(
                    logMatches(expectedOrbDraw(kind, true, row.radius, kBelowAxis), before));
            } else {
                EXPECT_EQ(gltest::calls().size(), before) << gltest::dump(before);
            }
            if (row.drawAfterHit == 0) {
                EXPECT_EQ(freshShots.shotInSlot(1), nullptr);
                EXPECT_EQ(freshScene.find(hitShotId, freshScene.head()), nullptr);
                // A shot in the very same place now must fly through untouched.
                freshShots.fire();
                secondShotFired = true;
            } else if (secondShotFired) {
                EXPECT_NE(freshShots.shotInSlot(2), nullptr);
                EXPECT_NE(freshScene.find(freshShots.shotIdInSlot(2), freshScene.head()), nullptr);
            }
        }
    }
}

TEST_F(OrbTest, HiddenOrbKeepsGrowingAndStaysHidden) {
    RedOrb orb(spawner, kBelowAxis[0], kBelowAxis[1], kBelowAxis[2]);
    shots.fire();
    orb.draw();
    // Long past the hit the radius overflows to infinity, which still counts as too wide to draw.
    for (int n = 0; n < 300; ++n) {
        orb.draw();
    }
    gltest::reset();
    orb.draw();
    EXPECT_TRUE(std::isinf(orb.burstRadius()));
    EXPECT_EQ(gltest::totalCalls(), 0u);
}

} // namespace
