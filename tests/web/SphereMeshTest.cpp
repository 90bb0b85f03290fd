#include "web/SphereMesh.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The reference is freeglut 3.4 itself: glutSolidSphere(0.3, 10, 10), the ship's sphere, traced
// with apitrace from the desktop game (index and normal arrays of its glDrawElements calls).
constexpr float kRadius = 0.3f;
constexpr int kSlices = 10;
constexpr int kStacks = 10;

struct StripCase {
    std::size_t strip;
    std::vector<int> indices;
};

const std::vector<StripCase> kTracedStrips = {
    {0, {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8, 0, 9, 0, 10, 0, 1, 0}},
    {1, {11, 1, 12, 2, 13, 3, 14, 4, 15, 5, 16, 6, 17, 7, 18, 8, 19, 9, 20, 10, 11, 1}},
    {8, {81, 71, 82, 72, 83, 73, 84, 74, 85, 75, 86, 76, 87, 77, 88, 78, 89, 79, 90, 80, 81, 71}},
    {9, {91, 81, 91, 82, 91, 83, 91, 84, 91, 85, 91, 86, 91, 87, 91, 88, 91, 89, 91, 90, 91, 81}},
};

struct NormalCase {
    std::size_t vertex;
    SphereMesh::Vec3 normal;
};

const std::vector<NormalCase> kTracedNormals = {
    {0, {0.0f, 0.0f, 1.0f}},
    {1, {0.309017f, 0.0f, 0.9510565f}},
    {2, {0.25f, -0.18163563f, 0.9510565f}}, // the rings run clockwise seen from +z
    {90, {0.24999991f, 0.18163542f, -0.9510566f}},
    {91, {0.0f, 0.0f, -1.0f}},
};

TEST(SphereMeshTest, HasFreeglutsVertexCountAndOneStripPerStack) {
    const SphereMesh mesh(kRadius, kSlices, kStacks);
    EXPECT_EQ(mesh.vertices().size(), static_cast<std::size_t>(kSlices * (kStacks - 1) + 2));
    ASSERT_EQ(mesh.strips().size(), static_cast<std::size_t>(kStacks));
    for (const std::vector<int>& strip : mesh.strips()) {
        EXPECT_EQ(strip.size(), static_cast<std::size_t>((kSlices + 1) * 2));
    }
}

TEST(SphereMeshTest, StripsIndexTheVerticesAsFreeglutDoes) {
    const SphereMesh mesh(kRadius, kSlices, kStacks);
    for (const StripCase& traced : kTracedStrips) {
        EXPECT_EQ(mesh.strips().at(traced.strip), traced.indices) << "strip " << traced.strip;
    }
}

TEST(SphereMeshTest, NormalsAreFreeglutsAndPositionsAreNormalsTimesRadius) {
    const SphereMesh mesh(kRadius, kSlices, kStacks);
    for (const NormalCase& traced : kTracedNormals) {
        const SphereMesh::Vertex& vertex = mesh.vertices().at(traced.vertex);
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_NEAR(vertex.normal[axis], traced.normal[axis], 1e-6f)
                << "vertex " << traced.vertex << " axis " << axis;
            EXPECT_FLOAT_EQ(vertex.position[axis], vertex.normal[axis] * kRadius);
        }
    }
}

TEST(SphereMeshTest, TheShotsCoarseSphereHasTheSameShape) {
    const SphereMesh mesh(0.15f, 5, 5); // a shot
    EXPECT_EQ(mesh.vertices().size(), 22u);
    ASSERT_EQ(mesh.strips().size(), 5u);
    EXPECT_EQ(mesh.strips().back(),
              (std::vector<int>{21, 16, 21, 17, 21, 18, 21, 19, 21, 20, 21, 16}));
}

TEST(SphereMeshTest, TooFewSlicesOrStacksDrawNothing) {
    for (const auto& [slices, stacks] : {std::pair{0, 5}, std::pair{5, 1}, std::pair{-3, 4}}) {
        const SphereMesh mesh(1.0f, slices, stacks);
        EXPECT_TRUE(mesh.strips().empty()) << slices << " x " << stacks;
    }
}

} // namespace
