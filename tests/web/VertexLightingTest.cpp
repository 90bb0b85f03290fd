#include "web/VertexLighting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Vec3 = VertexLighting::Vec3;
using Vec4 = VertexLighting::Vec4;

void expectColour(const Vec4& actual, const Vec4& expected, const std::string& what) {
    for (int c = 0; c < 4; ++c) {
        EXPECT_NEAR(actual[c], expected[c], 1e-5f) << what << ", channel " << c;
    }
}

// One white point light, no scene ambient, a white diffuse-only material: what is left is the
// diffuse term alone, the cosine between the normal and the direction to the light.
VertexLighting diffuseOnly(const Vec4& lightPosition) {
    VertexLighting lighting;
    lighting.setLightingEnabled(true);
    lighting.setSceneAmbient({0.0f, 0.0f, 0.0f, 1.0f});
    lighting.material().ambient = {0.0f, 0.0f, 0.0f, 1.0f};
    lighting.material().diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    VertexLighting::Light& light = lighting.light(0);
    light.enabled = true;
    light.position = lightPosition;
    light.specular = {0.0f, 0.0f, 0.0f, 1.0f};
    return lighting;
}

TEST(VertexLightingTest, UnlitVerticesTakeTheCurrentColour) {
    VertexLighting lighting;
    lighting.setCurrentColour({0.2f, 0.4f, 0.6f, 1.0f});
    expectColour(lighting.colourAt({0, 0, -5}, {0, 0, 1}), {0.2f, 0.4f, 0.6f, 1.0f}, "unlit");
}

// A point light sits somewhere: which way a surface faces it depends on where the vertex is. The
// emulation treats every light as directional, which gets the third and fourth cases wrong.
struct PointLightCase {
    const char* what;
    Vec4 light;
    Vec3 vertex;
    Vec3 normal;
    float expected;
};

TEST(VertexLightingTest, PointLightsShineFromWhereTheyAre) {
    const std::vector<PointLightCase> cases = {
        {"light straight ahead of the surface", {0, 0, -16, 1}, {0, 0, -20}, {0, 0, 1}, 1.0f},
        {"light at 60 degrees", {0, 0, -16, 1}, {-4, 0, -16 - 4 / 1.7320508f}, {0, 0, 1}, 0.5f},
        {"light behind the surface", {0, 0, -16, 1}, {0, 0, -10}, {0, 0, 1}, 0.0f},
        {"surface facing away, light in front", {0, 0, -16, 1}, {0, 0, -10}, {0, 0, -1}, 1.0f},
        {"directional light along +z", {0, 0, 1, 0}, {0, 0, -10}, {0, 0, 1}, 1.0f},
        {"point light with w = 2 is at half its xyz",
         {0, 0, -32, 2},
         {0, 0, -10},
         {0, 0, -1},
         1.0f},
    };
    for (const PointLightCase& c : cases) {
        const VertexLighting lighting = diffuseOnly(c.light);
        expectColour(lighting.colourAt(c.vertex, c.normal),
                     {c.expected, c.expected, c.expected, 1.0f}, c.what);
    }
}

TEST(VertexLightingTest, LongNormalsBrightenAsWithoutGlNormalize) {
    const VertexLighting lighting = diffuseOnly({0, 0, 1, 0});
    const Vec3 slanted{0.0f, 0.1f, 0.05f}; // 0.05 along the light: a tenth of full unnormalised
    expectColour(lighting.colourAt({0, 0, -2}, slanted), {0.05f, 0.05f, 0.05f, 1.0f}, "short");
    const Vec3 scaled{0.0f, 20.0f, 10.0f}; // 200 times as long: saturates, then clamps
    expectColour(lighting.colourAt({0, 0, -2}, scaled), {1.0f, 1.0f, 1.0f, 1.0f}, "long");
}

TEST(VertexLightingTest, ColourMaterialMakesTheColourAmbientAndDiffuse) {
    VertexLighting lighting = diffuseOnly({0, 0, 1, 0});
    lighting.setSceneAmbient({0.5f, 0.5f, 0.5f, 1.0f});
    lighting.setColourMaterialEnabled(true);
    lighting.setCurrentColour({0.2f, 0.4f, 0.6f, 1.0f});
    // Facing the light: diffuse colour plus half the colour again from the scene's ambient.
    expectColour(lighting.colourAt({0, 0, -5}, {0, 0, 1}), {0.3f, 0.6f, 0.9f, 1.0f}, "facing");
    // Facing away: only the ambient part.
    expectColour(lighting.colourAt({0, 0, -5}, {0, 0, -1}), {0.1f, 0.2f, 0.3f, 1.0f}, "away");

    lighting.setColourMaterialEnabled(false);
    lighting.setCurrentColour({1.0f, 0.0f, 0.0f, 1.0f});
    expectColour(lighting.colourAt({0, 0, -5}, {0, 0, -1}), {0.1f, 0.2f, 0.3f, 1.0f},
                 "colour material off: the material keeps the last colour");
}

TEST(VertexLightingTest, SpecularUsesTheHalfVectorOfAnInfiniteViewer) {
    VertexLighting lighting = diffuseOnly({0, 0, 1, 0});
    lighting.material().diffuse = {0.0f, 0.0f, 0.0f, 1.0f};
    lighting.material().specular = {0.5f, 0.5f, 0.5f, 1.0f};
    lighting.material().shininess = 2.0f;
    lighting.light(0).specular = {1.0f, 1.0f, 1.0f, 1.0f};
    expectColour(lighting.colourAt({3, 3, -5}, {0, 0, 1}), {0.5f, 0.5f, 0.5f, 1.0f},
                 "light and viewer both along +z, wherever the vertex is");
    // Light along +x, viewer along +z: the half vector is at 45 degrees; cos^2 45 = 0.5.
    lighting.light(0).position = {1, 0, 0, 0};
    const Vec3 alongHalf{0.70710678f, 0.0f, 0.70710678f};
    expectColour(lighting.colourAt({0, 0, -5}, alongHalf), {0.5f, 0.5f, 0.5f, 1.0f}, "45");
    // Light at 45 degrees, the normal along the viewer: the half vector is 22.5 degrees off it.
    lighting.light(0).position = {1, 0, 1, 0};
    const float highlight = 0.5f * 0.92387953f * 0.92387953f;
    expectColour(lighting.colourAt({0, 0, -5}, {0, 0, 1}), {highlight, highlight, highlight, 1.0f},
                 "off axis");
    lighting.light(0).position = {1, 0, 0, 0};
    // A surface the light does not reach gets no highlight either.
    const Vec3 awayFromLight{-1.0f, 0.0f, 0.0f};
    expectColour(lighting.colourAt({0, 0, -5}, awayFromLight), {0.0f, 0.0f, 0.0f, 1.0f},
                 "unlit side");
}

TEST(VertexLightingTest, DisabledLightsAndTheDefaultsAreOpenGls) {
    VertexLighting lighting;
    lighting.setLightingEnabled(true);
    // No light on: scene ambient 0.2 times material ambient 0.2.
    expectColour(lighting.colourAt({0, 0, -5}, {0, 0, 1}), {0.04f, 0.04f, 0.04f, 1.0f}, "dark");
    // Light 0 is white by default and light 1 black.
    lighting.light(1).enabled = true;
    expectColour(lighting.colourAt({0, 0, -5}, {0, 0, 1}), {0.04f, 0.04f, 0.04f, 1.0f}, "light 1");
    lighting.light(0).enabled = true;
    expectColour(lighting.colourAt({0, 0, -5}, {0, 0, 1}), {0.84f, 0.84f, 0.84f, 1.0f}, "light 0");
}

} // namespace
