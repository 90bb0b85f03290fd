#pragma once

#include "web/MatrixStack.h"
#include "web/VertexLighting.h"

#include <array>
#include <cstdint>

// Everything the GL calls have set that one draw needs beyond its vertices: the lights and the
// material, texturing, fog, the depth test and the projection. Vertices reach the batcher already
// in eye space with their own colour, normal and texture coordinate, so the model-view matrix and
// the current colour are not part of it: neither starts a new draw.
struct DrawState {
    // GL's enum values, kept here so the state needs no GL header.
    static constexpr std::uint32_t kLinear = 0x2601;
    static constexpr std::uint32_t kNearestMipmapLinear = 0x2702;
    static constexpr std::uint32_t kRepeat = 0x2901;
    static constexpr std::uint32_t kExp = 0x0800;

    bool lighting = false;
    // Ambient and diffuse follow each vertex's colour; material.ambient and material.diffuse
    // are then not used.
    bool colourMaterial = false;
    std::array<VertexLighting::Light, VertexLighting::kLightCount> lights{};
    VertexLighting::Vec4 sceneAmbient{0.2f, 0.2f, 0.2f, 1.0f};
    VertexLighting::Material material{};

    bool texturing = false;    // GL_TEXTURE_2D on and an image to texture with
    std::uint32_t texture = 0; // the texture cache's handle for the image
    std::uint32_t minFilter = kNearestMipmapLinear;
    std::uint32_t magFilter = kLinear;
    std::uint32_t wrapS = kRepeat;
    std::uint32_t wrapT = kRepeat;

    bool fog = false;
    std::uint32_t fogMode = kExp;
    float fogDensity = 1.0f;
    float fogStart = 0.0f;
    float fogEnd = 1.0f;
    VertexLighting::Vec4 fogColour{0.0f, 0.0f, 0.0f, 0.0f};

    bool depthTest = false;
    MatrixStack::Matrix projection = MatrixStack::identity();

    bool operator==(const DrawState&) const = default;
};
