#pragma once

#include "web/DrawState.h"
#include "web/MipmapChain.h"
#include "web/VertexBatcher.h"

#include <cstdint>
#include <vector>

// Draws a frame's batched vertices on WebGL with one shader program that does what OpenGL 1.1's
// fixed function does for the game: per-vertex lighting with point lights, colour material,
// specular highlights for an infinite viewer, texturing with GL_MODULATE and fog by eye depth.
// Each frame's vertices and triangles go up in one upload; each draw sets only the uniforms that
// differ from the draw before. The only file of the web build that calls WebGL.
class FixedFunctionRenderer {
public:
    // Compiles the program and makes the buffers; call once, with the game's context current.
    void init();
    // A texture with every level of `chain`, in `format` (GL_RGB or GL_RGBA): its handle.
    std::uint32_t createTexture(const MipmapChain& chain, std::uint32_t format);
    void deleteTexture(std::uint32_t handle);
    void draw(const VertexBatcher& batcher);

private:
    struct TextureParameters {
        std::uint32_t handle;
        std::uint32_t minFilter, magFilter, wrapS, wrapT;
    };
    struct Uniforms {
        int projection, lighting, colourMaterial, sceneAmbient;
        int materialAmbient, materialDiffuse, materialSpecular, materialEmission, shininess;
        int lightEnabled, lightPosition, lightAmbient, lightDiffuse, lightSpecular;
        int texturing, texture, fog, fogMode, fogDensity, fogStart, fogEnd, fogColour;
    };

    void apply(const DrawState& state);
    void applyLighting(const DrawState& state);
    void bindTexture(const DrawState& state);

    std::uint32_t program_ = 0;
    std::uint32_t vertexBuffer_ = 0;
    std::uint32_t indexBuffer_ = 0;
    Uniforms uniforms_{};
    DrawState applied_;
    bool appliedValid_ = false; // applied_ is what the program and GL hold
    std::uint32_t boundTexture_ = 0;
    std::vector<TextureParameters> textures_;
};
