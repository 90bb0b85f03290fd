#include "tunnel/Tunnel.h"

#include "GameFixture.h"
#include "scene/SceneList.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <vector>

namespace {

constexpr int kSlots = 24;
constexpr int kVertices = 42;
constexpr int kPoints = 20; // distinct points per ring; the 21st repeats the first
constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();

// The game's generator, written out again so the tunnel's draws can be predicted without it.
class ReferenceRandom {
public:
    explicit ReferenceRandom(std::uint32_t seed = 1) : seed_(seed) {}
    int next() {
        seed_ = seed_ * 214013u + 2531011u;
        return static_cast<int>((seed_ >> 16) & 32767u);
    }

private:
    std::uint32_t seed_;
};

// Start seed for which the (skipped + 1)-th draw is `value`: walks the generator backwards from a
// state that yields it, using the multiplier's inverse modulo 2^32.
std::uint32_t seedGiving(int value, int skipped) {
    constexpr std::uint32_t kMultiplier = 214013u;
    std::uint32_t inverse =
        kMultiplier; // Newton's iteration doubles the correct low bits each step
    for (int i = 0; i < 5; ++i) {
        inverse *= 2u - kMultiplier * inverse;
    }
    std::uint32_t seed = static_cast<std::uint32_t>(value) << 16;
    for (int i = 0; i <= skipped; ++i) {
        seed = (seed - 2531011u) * inverse;
    }
    return seed;
}

struct Point {
    float x, y;
};

// The clean circle of radius 3 every ring is scattered about.
std::array<Point, kPoints> baseCircle() {
    std::array<Point, kPoints> circle{};
    for (int k = 0; k < kPoints; ++k) {
        const float angle = static_cast<float>(k) * 0.31415f;
        circle[k] = {3.0f * std::cos(angle), 3.0f * std::sin(angle)};
    }
    return circle;
}

float jitterOffset(int draw) {
    return static_cast<float>(draw) / 32768.0f - 0.5f;
}

std::vector<const Drawable*> sceneMembers(const SceneList& scene) {
    std::vector<const Drawable*> members;
    for (const SceneNode* node = scene.head(); node != nullptr; node = node->next) {
        members.push_back(node->drawable);
    }
    return members;
}

class TunnelTest : public GameStateTest {
protected:
    // Runs updates up to and including the one that makes the next segment.
    void updateUntilNextSegment() {
        for (int i = 0; i < 5; ++i) {
            tunnel.update();
        }
    }

    // Runs updates until the n-th segment (1-based) has just been made.
    void makeSegments(int n) {
        for (int i = 0; i < n; ++i) {
            updateUntilNextSegment();
        }
    }

    void expectAllSlotsEmpty() {
        for (int slot = 0; slot < kSlots; ++slot) {
            SCOPED_TRACE(slot);
            EXPECT_EQ(tunnel.segmentInSlot(slot), nullptr);
            EXPECT_EQ(tunnel.segmentIdInSlot(slot), -1);
        }
    }

    SceneList scene; // outlives the tunnel, which takes its segments out of it
    Tunnel tunnel{scene};
};

// --- Timing and the ring of slots ---

TEST_F(TunnelTest, FirstFourUpdatesOnlyCountFrames) {
    for (int update = 1; update <= 4; ++update) {
        SCOPED_TRACE(update);
        tunnel.update();
        EXPECT_EQ(tunnel.framesSinceSegment(), update);
        EXPECT_EQ(tunnel.segmentCount(), 0);
        EXPECT_EQ(tunnel.slotIndex(), 0);
        EXPECT_EQ(scene.head(), nullptr);
        expectAllSlotsEmpty();
    }
    // Nothing was drawn from the shared source either: its first draw is still to come.
    EXPECT_EQ(RandomSource::draw(), ReferenceRandom().next());
}

TEST_F(TunnelTest, FifthUpdateMakesOneSegmentInSlotZero) {
    updateUntilNextSegment();

    EXPECT_EQ(tunnel.framesSinceSegment(), 0);
    EXPECT_EQ(tunnel.segmentCount(), 1);
    EXPECT_EQ(tunnel.slotIndex(), 1);
    ASSERT_NE(tunnel.segmentInSlot(0), nullptr);
    EXPECT_EQ(tunnel.segmentIdInSlot(0), 1); // the first id a fresh scene issues
    EXPECT_EQ(sceneIds(scene), std::vector<std::int32_t>{1});
    EXPECT_EQ(sceneMembers(scene), std::vector<const Drawable*>{tunnel.segmentInSlot(0)});
    for (int slot = 1; slot < kSlots; ++slot) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(tunnel.segmentInSlot(slot), nullptr);
        EXPECT_EQ(tunnel.segmentIdInSlot(slot), -1);
    }
}

TEST_F(TunnelTest, SegmentsFillSlotsInTurnAndOldestIsDropped) {
    // Only the tunnel adds to this scene, so the n-th segment gets id n.
    for (int n = 1; n <= 50; ++n) {
        SCOPED_TRACE(n);
        updateUntilNextSegment();
        const int slot = (n - 1) % kSlots;
        ASSERT_NE(tunnel.segmentInSlot(slot), nullptr);
        EXPECT_EQ(tunnel.segmentIdInSlot(slot), n);
        EXPECT_EQ(tunnel.slotIndex(), n % kSlots);
        // The slot the next segment goes to has already been cleared.
        EXPECT_EQ(tunnel.segmentInSlot(n % kSlots), nullptr);

        // The scene holds the newest segments (at most 23), oldest first, each from its slot.
        const int live = n < 23 ? n : 23;
        std::vector<std::int32_t> expectedIds;
        std::vector<const Drawable*> expectedMembers;
        for (int id = n - live + 1; id <= n; ++id) {
            expectedIds.push_back(id);
            expectedMembers.push_back(tunnel.segmentInSlot((id - 1) % kSlots));
        }
        EXPECT_EQ(sceneIds(scene), expectedIds);
        EXPECT_EQ(sceneMembers(scene), expectedMembers);
    }
}

TEST_F(TunnelTest, TwentyFourthAndTwentyFifthSegmentsRecycleTheOldestSlots) {
    makeSegments(23);
    ASSERT_NE(tunnel.segmentInSlot(0), nullptr);
    ASSERT_EQ(sceneIds(scene).size(), 23u);

    makeSegments(1); // the 24th
    EXPECT_EQ(tunnel.segmentInSlot(0), nullptr);
    ASSERT_NE(tunnel.segmentInSlot(23), nullptr);
    EXPECT_EQ(tunnel.segmentIdInSlot(23), 24);
    EXPECT_EQ(sceneIds(scene).front(), 2); // the first segment's id has left the scene
    EXPECT_EQ(sceneIds(scene).size(), 23u);

    makeSegments(1); // the 25th
    EXPECT_EQ(tunnel.segmentInSlot(1), nullptr);
    ASSERT_NE(tunnel.segmentInSlot(0), nullptr);
    EXPECT_EQ(tunnel.segmentIdInSlot(0), 25);
    EXPECT_EQ(sceneIds(scene).front(), 3);
    EXPECT_EQ(sceneIds(scene).back(), 25);
    EXPECT_EQ(sceneIds(scene).size(), 23u);
}

TEST_F(TunnelTest, SceneNeverHoldsMoreThanTwentyThreeSegments) {
    std::size_t most = 0;
    for (int update = 0; update < 400; ++update) {
        tunnel.update();
        const std::size_t live = sceneIds(scene).size();
        most = live > most ? live : most;
        ASSERT_LE(live, 23u) << "after update " << update + 1;
    }
    EXPECT_EQ(most, 23u);
}

// --- Geometry and colours ---

TEST_F(TunnelTest, FirstSegmentJoinsTheCleanCircleToTheFirstJitteredRing) {
    // The spawner takes one draw in each of frames 1 to 4, after the tunnel's update.
    for (int frame = 1; frame <= 4; ++frame) {
        tunnel.update();
        RandomSource::draw();
    }
    tunnel.update();
    const TunnelSegment* segment = tunnel.segmentInSlot(0);
    ASSERT_NE(segment, nullptr);
    const TunnelSegment::Vertices& v = segment->vertices;

    // The 5th and 6th draws of a fresh source are 19169 and 15724.
    EXPECT_NEAR(v.x[1], 3.084991f, 1e-6f);
    EXPECT_NEAR(v.y[1], -0.020142f, 1e-6f);
    EXPECT_EQ(v.z[1], 7.0f);

    const auto circle = baseCircle();
    for (int i = 0; i < kVertices; ++i) {
        SCOPED_TRACE(i);
        const Point& base = circle[(i / 2) % kPoints];
        if (i % 2 == 0) {
            EXPECT_FLOAT_EQ(v.x[i], base.x);
            EXPECT_FLOAT_EQ(v.y[i], base.y);
            EXPECT_EQ(v.z[i], 8.0f);
        } else {
            EXPECT_LE(std::fabs(v.x[i] - base.x), 0.5f);
            EXPECT_LE(std::fabs(v.y[i] - base.y), 0.5f);
            EXPECT_EQ(v.z[i], 7.0f);
        }
    }
}

// Replays the source alongside the tunnel and checks every vertex and colour of every segment
// against the draw it was made from: 40 jitter draws (x then y, points 0..19), then 42 colours.
TEST_F(TunnelTest, EverySegmentFollowsItsDrawsInOrder) {
    const auto circle = baseCircle();
    ReferenceRandom reference;
    std::array<Point, kPoints> previous = circle; // the first segment starts at the clean circle
    float previousZ = 8.0f;

    for (int n = 1; n <= 60; ++n) {
        SCOPED_TRACE(n);
        updateUntilNextSegment();
        const TunnelSegment* segment = tunnel.segmentInSlot((n - 1) % kSlots);
        ASSERT_NE(segment, nullptr);
        const TunnelSegment::Vertices& v = segment->vertices;
        const TunnelSegment::Colours& c = segment->colours;

        std::array<Point, kPoints> ring{};
        for (int k = 0; k < kPoints; ++k) {
            const int a = reference.next();
            const int b = reference.next();
            ring[k] = {circle[k].x + jitterOffset(a), circle[k].y + jitterOffset(b)};
        }
        const float z = 8.0f - static_cast<float>(n);
        for (int i = 0; i < kVertices; ++i) {
            SCOPED_TRACE(i);
            const int k = (i / 2) % kPoints; // point 20 closes the ring on point 0
            const Point& expected = i % 2 == 0 ? previous[k] : ring[k];
            EXPECT_FLOAT_EQ(v.x[i], expected.x);
            EXPECT_FLOAT_EQ(v.y[i], expected.y);
            EXPECT_EQ(v.z[i], i % 2 == 0 ? previousZ : z);
        }
        for (int i = 0; i < kVertices; ++i) {
            SCOPED_TRACE(i);
            const float red = static_cast<float>(reference.next()) / 32768.0f;
            const float lifted = red + 0.2f;
            EXPECT_EQ(c.red[i], red);
            EXPECT_EQ(c.green[i], lifted > 1.0f ? 1.0f : lifted);
            EXPECT_EQ(c.blue[i], c.green[i]);
        }
        // The rings chain: this segment's far ring is where the tunnel goes on from.
        for (int k = 0; k < kPoints; ++k) {
            EXPECT_EQ(tunnel.previousRing().x[k], v.x[2 * k + 1]);
            EXPECT_EQ(tunnel.previousRing().y[k], v.y[2 * k + 1]);
            EXPECT_EQ(tunnel.previousRing().z[k], z);
        }
        previous = ring;
        previousZ = z;
    }
    // Exactly 82 draws per segment: the next draw is the one after them.
    EXPECT_EQ(RandomSource::draw(), reference.next());
}

TEST_F(TunnelTest, EveryBandClosesOnItsFirstVertices) {
    for (int n = 1; n <= 30; ++n) {
        SCOPED_TRACE(n);
        updateUntilNextSegment();
        const TunnelSegment::Vertices& v = tunnel.segmentInSlot((n - 1) % kSlots)->vertices;
        for (int i : {0, 1}) {
            EXPECT_EQ(v.x[40 + i], v.x[i]);
            EXPECT_EQ(v.y[40 + i], v.y[i]);
            EXPECT_EQ(v.z[40 + i], v.z[i]);
        }
    }
}

// Point 0 sits on the circle at (3, 0), so its offset is read back exactly from the vertex.
TEST_F(TunnelTest, JitterSpansHalfAUnitEitherSide) {
    struct Case {
        int draw;
        bool onY; // the draw after the x draw scatters y
        float expected;
    };
    const std::array<Case, 6> cases{{
        {0, false, 3.0f - 0.5f},
        {16384, false, 3.0f},
        {32767, false, 3.0f + 0.5f - 1.0f / 32768.0f},
        {0, true, -0.5f},
        {16384, true, 0.0f},
        {32767, true, 0.5f - 1.0f / 32768.0f},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "draw " << c.draw << (c.onY ? " on y" : " on x"));
        RandomSource::reset(seedGiving(c.draw, c.onY ? 1 : 0));
        SceneList freshScene;
        Tunnel freshTunnel(freshScene);
        for (int i = 0; i < 5; ++i) {
            freshTunnel.update();
        }
        const TunnelSegment::Vertices& v = freshTunnel.segmentInSlot(0)->vertices;
        EXPECT_EQ(c.onY ? v.y[1] : v.x[1], c.expected);
    }
}

// Green and blue follow red 0.2 above it until that passes 1, then stay at 1.
TEST_F(TunnelTest, ColoursSaturateAboveTheCut) {
    struct Case {
        int draw;
        float green;
    };
    // 0.8 * 32768 = 26214.4: 26214 is the largest draw whose red lifted by 0.2 stays below 1.
    const std::array<Case, 4> cases{{
        {0, 0.2f},
        {26214, 26214.0f / 32768.0f + 0.2f},
        {26215, 1.0f},
        {32767, 1.0f},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.draw);
        RandomSource::reset(seedGiving(c.draw, 40)); // the first colour follows 40 jitter draws
        SceneList freshScene;
        Tunnel freshTunnel(freshScene);
        for (int i = 0; i < 5; ++i) {
            freshTunnel.update();
        }
        const TunnelSegment::Colours& colours = freshTunnel.segmentInSlot(0)->colours;
        EXPECT_EQ(colours.red[0], static_cast<float>(c.draw) / 32768.0f);
        EXPECT_EQ(colours.green[0], c.green);
        EXPECT_EQ(colours.blue[0], c.green);
        if (c.draw == 26214) {
            EXPECT_LT(colours.green[0], 1.0f);
        }
    }
}

TEST(TunnelSeedHelper, SeedGivesTheWantedDraw) {
    for (int skipped : {0, 1, 40}) {
        for (int value : {0, 16384, 26214, 32767}) {
            ReferenceRandom reference(seedGiving(value, skipped));
            for (int i = 0; i < skipped; ++i) {
                reference.next();
            }
            EXPECT_EQ(reference.next(), value) << "skipped " << skipped;
        }
    }
}

// --- Counter wrap-around ---

TEST_F(TunnelTest, SegmentCountWrapStopsTheTunnelGrowing) {
    tunnel.setCountersForTest(0, kInt32Max);
    for (int update = 1; update <= 4; ++update) {
        tunnel.update();
    }
    ASSERT_EQ(tunnel.framesSinceSegment(), 4);
    ASSERT_EQ(tunnel.segmentCount(), kInt32Max);

    // Every update from here on passes the frame check and meets a count that is not positive.
    for (int update = 5; update <= 12; ++update) {
        SCOPED_TRACE(update);
        tunnel.update();
        EXPECT_EQ(tunnel.framesSinceSegment(), update);
        EXPECT_EQ(tunnel.segmentCount(), kInt32Min + (update - 5));
        EXPECT_EQ(tunnel.slotIndex(), 0);
        EXPECT_EQ(scene.head(), nullptr);
    }
    expectAllSlotsEmpty();
    EXPECT_EQ(RandomSource::draw(), ReferenceRandom().next());
}

TEST_F(TunnelTest, CountReachingZeroMakesNothingButOneMoreMakesASegment) {
    tunnel.setCountersForTest(4, -1);
    tunnel.update();
    EXPECT_EQ(tunnel.segmentCount(), 0);
    EXPECT_EQ(tunnel.framesSinceSegment(), 5);
    EXPECT_EQ(scene.head(), nullptr);

    tunnel.update();
    EXPECT_EQ(tunnel.segmentCount(), 1);
    EXPECT_EQ(tunnel.framesSinceSegment(), 0);
    EXPECT_NE(tunnel.segmentInSlot(0), nullptr);
    EXPECT_EQ(sceneIds(scene).size(), 1u);
}

TEST_F(TunnelTest, FrameCounterWrapsToMostNegative) {
    tunnel.setCountersForTest(kInt32Max, 7);
    tunnel.update();
    // The wrapped value is far below 5, so no segment is due and the count stays.
    EXPECT_EQ(tunnel.framesSinceSegment(), kInt32Min);
    EXPECT_EQ(tunnel.segmentCount(), 7);
    EXPECT_EQ(scene.head(), nullptr);
    tunnel.update();
    EXPECT_EQ(tunnel.framesSinceSegment(), kInt32Min + 1);
}

} // namespace
