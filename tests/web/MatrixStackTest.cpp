#include "web/MatrixStack.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

using Matrix = MatrixStack::Matrix;
using Vec3 = MatrixStack::Vec3;

void expectPoint(const Vec3& actual, const Vec3& expected, const std::string& what) {
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(actual[c], expected[c], 1e-5f) << what << ", coordinate " << c;
    }
}

Vec3 transformed(const MatrixStack& stack, const Vec3& p) {
    return MatrixStack::transformAffine(stack.top(), p[0], p[1], p[2]);
}

// Each call multiplies onto the top from the right, so the call made last acts on a vertex first:
// the game's "translate to the orb, then rotate" turns the orb about its own centre.
struct TransformCase {
    std::string what;
    void (*build)(MatrixStack&);
    Vec3 point;
    Vec3 expected;
};

TEST(MatrixStackTest, CallsApplyInGlOrder) {
    const std::vector<TransformCase> cases = {
        {"rotate 90 about z",
         [](MatrixStack& m) { m.rotate(90.0f, 0, 0, 1); },
         {1, 0, 0},
         {0, 1, 0}},
        {"rotate 90 about y",
         [](MatrixStack& m) { m.rotate(90.0f, 0, 1, 0); },
         {1, 0, 0},
         {0, 0, -1}},
        {"rotate about an unnormalised axis",
         [](MatrixStack& m) { m.rotate(180.0f, 0, 0, 5); },
         {1, 2, 3},
         {-1, -2, 3}},
        {"translate then rotate",
         [](MatrixStack& m) {
             m.translate(0, 0, -5);
             m.rotate(90.0f, 0, 0, 1);
         },
         {1, 0, 0},
         {0, 1, -5}},
        {"rotate then translate",
         [](MatrixStack& m) {
             m.rotate(90.0f, 0, 0, 1);
             m.translate(1, 0, 0);
         },
         {1, 0, 0},
         {0, 2, 0}},
        {"translate then scale",
         [](MatrixStack& m) {
             m.translate(0, -1.1f, -1.5f);
             m.scale(0.005f, 0.005f, 0.005f);
         },
         {200, 0, 0},
         {1, -1.1f, -1.5f}},
        {"no axis leaves it",
         [](MatrixStack& m) { m.rotate(30.0f, 0, 0, 0); },
         {1, 2, 3},
         {1, 2, 3}},
    };
    for (const TransformCase& c : cases) {
        MatrixStack stack;
        c.build(stack);
        expectPoint(transformed(stack, c.point), c.expected, c.what);
    }
}

TEST(MatrixStackTest, PushAndPopRestoreWithinTheStacksDepth) {
    MatrixStack stack;
    stack.translate(1, 2, 3);
    const Matrix before = stack.top();
    ASSERT_TRUE(stack.push());
    stack.rotate(45.0f, 1, 0, 0);
    EXPECT_NE(stack.top(), before);
    ASSERT_TRUE(stack.pop());
    EXPECT_EQ(stack.top(), before);
    EXPECT_FALSE(stack.pop()) << "popping the last entry underflows";
    EXPECT_EQ(stack.top(), before);

    for (int depth = 1; depth < MatrixStack::kMaxDepth; ++depth) {
        ASSERT_TRUE(stack.push()) << "depth " << depth;
    }
    EXPECT_FALSE(stack.push()) << "pushing past the depth overflows";
    stack.loadIdentity();
    EXPECT_EQ(stack.top(), MatrixStack::identity());
}

// gluPerspective's matrix for the game's projection: 100 degrees, 4:3, near 1, far 20.
TEST(MatrixStackTest, PerspectiveIsGlusMatrix) {
    MatrixStack stack;
    stack.perspective(100.0, 640.0 / 480.0, 1.0, 20.0);
    const double cotangent = 1.0 / std::tan(50.0 * 3.14159265358979 / 180.0);
    const Matrix& m = stack.top();
    EXPECT_NEAR(m[0], cotangent / (640.0 / 480.0), 1e-6);
    EXPECT_NEAR(m[5], cotangent, 1e-6);
    EXPECT_NEAR(m[10], -21.0 / 19.0, 1e-6);
    EXPECT_EQ(m[11], -1.0f);
    EXPECT_NEAR(m[14], -40.0 / 19.0, 1e-6);
    EXPECT_EQ(m[15], 0.0f);
    // A point on the near plane lands on the near side of the depth range.
    const MatrixStack::Vec4 clip = MatrixStack::transform(m, {0, 0, -1, 1});
    EXPECT_NEAR(clip[2] / clip[3], -1.0f, 1e-6f);
}

// Normals go by the inverse transpose without being normalised: the ship's scale of 0.005 makes
// its unit normals 200 long, and a stretch along x shrinks a normal's x.
TEST(MatrixStackTest, NormalMatrixKeepsTheInverseScale) {
    struct NormalCase {
        std::string what;
        Vec3 scale;
        float degreesAboutZ;
        Vec3 normal;
        Vec3 expected;
    };
    const std::vector<NormalCase> cases = {
        {"the ship's scale", {0.005f, 0.005f, 0.005f}, 0.0f, {0, 1, 0}, {0, 200, 0}},
        {"stretched along x", {2, 1, 1}, 0.0f, {1, 1, 0}, {0.5f, 1, 0}},
        {"turned", {1, 1, 1}, 90.0f, {1, 0, 0}, {0, 1, 0}},
    };
    for (const NormalCase& c : cases) {
        MatrixStack stack;
        stack.rotate(c.degreesAboutZ, 0, 0, 1);
        stack.scale(c.scale[0], c.scale[1], c.scale[2]);
        const std::array<float, 9> n = MatrixStack::normalMatrix(stack.top());
        const Vec3 actual{n[0] * c.normal[0] + n[1] * c.normal[1] + n[2] * c.normal[2],
                          n[3] * c.normal[0] + n[4] * c.normal[1] + n[5] * c.normal[2],
                          n[6] * c.normal[0] + n[7] * c.normal[1] + n[8] * c.normal[2]};
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(actual[i], c.expected[i], 1e-3f) << c.what << ", coordinate " << i;
        }
    }
}

} // namespace
