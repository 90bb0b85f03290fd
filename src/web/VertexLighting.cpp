#include "web/VertexLighting.h"

#include <algorithm>
#include <cmath>

namespace {

using Vec3 = VertexLighting::Vec3;

float dot(const Vec3& a, const Vec3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

Vec3 normalised(const Vec3& v) {
    const float length = std::sqrt(dot(v, v));
    if (length == 0.0f) {
        return v;
    }
    return {v[0] / length, v[1] / length, v[2] / length};
}

} // namespace

VertexLighting::VertexLighting() {
    // Only light 0 starts out white.
    lights_[0].diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    lights_[0].specular = {1.0f, 1.0f, 1.0f, 1.0f};
}

void VertexLighting::setCurrentColour(const Vec4& colour) {
    currentColour_ = colour;
    if (colourMaterialEnabled_) {
        material_.ambient = colour;
        material_.diffuse = colour;
    }
}

VertexLighting::Vec4 VertexLighting::colourAt(const Vec3& eyePosition,
                                              const Vec3& eyeNormal) const {
    if (!lightingEnabled_) {
        return currentColour_;
    }
    Vec4 colour{};
    for (int c = 0; c < 3; ++c) {
        colour[c] = material_.emission[c] + material_.ambient[c] * sceneAmbient_[c];
    }
    // The viewer is at infinity along +z, so every light's half vector leans towards (0, 0, 1).
    const Vec3 towardsViewer{0.0f, 0.0f, 1.0f};
    for (const Light& light : lights_) {
        if (!light.enabled) {
            continue;
        }
        Vec3 towardsLight{light.position[0], light.position[1], light.position[2]};
        if (light.position[3] != 0.0f) {
            for (int c = 0; c < 3; ++c) {
                towardsLight[c] = light.position[c] / light.position[3] - eyePosition[c];
            }
        }
        towardsLight = normalised(towardsLight);
        // The normal keeps its length: a scaled model lights brighter, as it does in OpenGL.
        const float diffuseFactor = std::max(dot(eyeNormal, towardsLight), 0.0f);
        float specularFactor = 0.0f;
        if (diffuseFactor > 0.0f) {
            const Vec3 half =
                normalised({towardsLight[0] + towardsViewer[0], towardsLight[1] + towardsViewer[1],
                            towardsLight[2] + towardsViewer[2]});
            specularFactor = std::pow(std::max(dot(eyeNormal, half), 0.0f), material_.shininess);
        }
        for (int c = 0; c < 3; ++c) {
            colour[c] += material_.ambient[c] * light.ambient[c] +
                         diffuseFactor * material_.diffuse[c] * light.diffuse[c] +
                         specularFactor * material_.specular[c] * light.specular[c];
        }
    }
    colour[3] = material_.diffuse[3];
    for (float& channel : colour) {
        channel = std::clamp(channel, 0.0f, 1.0f);
    }
    return colour;
}
