#pragma once

#include <array>

// OpenGL 1.1's lighting equation for one vertex, worked out on the CPU: point and directional
// lights with their diffuse and specular terms, the scene's ambient light, colour material
// following GL_AMBIENT_AND_DIFFUSE, an infinite viewer, one-sided lighting and no normalisation of
// normals. The browser's GL emulation lights vertices otherwise (every light directional, colour
// material ignored, normals always normalised), so the web build lights here and hands the
// emulation finished colours.
class VertexLighting {
public:
    using Vec3 = std::array<float, 3>;
    using Vec4 = std::array<float, 4>;

    static constexpr int kLightCount = 8;

    struct Light {
        bool enabled = false;
        Vec4 position{0.0f, 0.0f, 1.0f, 0.0f}; // eye coordinates
        Vec4 ambient{0.0f, 0.0f, 0.0f, 1.0f};
        Vec4 diffuse{0.0f, 0.0f, 0.0f, 1.0f};
        Vec4 specular{0.0f, 0.0f, 0.0f, 1.0f};

        bool operator==(const Light&) const = default;
    };

    struct Material {
        Vec4 ambient{0.2f, 0.2f, 0.2f, 1.0f};
        Vec4 diffuse{0.8f, 0.8f, 0.8f, 1.0f};
        Vec4 specular{0.0f, 0.0f, 0.0f, 1.0f};
        Vec4 emission{0.0f, 0.0f, 0.0f, 1.0f};
        float shininess = 0.0f;

        bool operator==(const Material&) const = default;
    };

    VertexLighting();

    Light& light(int index) { return lights_.at(static_cast<std::size_t>(index)); }
    const Light& light(int index) const { return lights_.at(static_cast<std::size_t>(index)); }
    Material& material() { return material_; }
    const Material& material() const { return material_; }
    void setSceneAmbient(const Vec4& ambient) { sceneAmbient_ = ambient; }

    void setLightingEnabled(bool enabled) { lightingEnabled_ = enabled; }
    bool lightingEnabled() const { return lightingEnabled_; }
    void setColourMaterialEnabled(bool enabled) { colourMaterialEnabled_ = enabled; }

    // A new current colour; with colour material on it becomes the ambient and diffuse material.
    void setCurrentColour(const Vec4& colour);
    const Vec4& currentColour() const { return currentColour_; }

    // The colour a vertex gets: the current colour while lighting is off, else the lit colour for a
    // vertex at `eyePosition` whose normal, already in eye coordinates, is `eyeNormal`.
    Vec4 colourAt(const Vec3& eyePosition, const Vec3& eyeNormal) const;

private:
    std::array<Light, kLightCount> lights_;
    Material material_;
    Vec4 sceneAmbient_{0.2f, 0.2f, 0.2f, 1.0f};
    Vec4 currentColour_{1.0f, 1.0f, 1.0f, 1.0f};
    bool lightingEnabled_ = false;
    bool colourMaterialEnabled_ = false;
};
