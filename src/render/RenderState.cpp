#include "render/RenderState.h"

#include <GL/gl.h>

#include <cstdio>

std::int32_t texturingEnabled = 1;
TextureImage texture1{};
TextureImage texture2{};
RingPatternImage ringPattern{};

namespace {

// 'x' marks the blue ring, anything else the grey ground.
constexpr std::array<const char*, kRingPatternSize> ringPatternRows = {
    "....xxxx........", //
    "..xxxxxxxx......", //
    ".xxxxxxxxxx.....", //
    ".xxx....xxx.....", //
    "xxx......xxx....", //
    "xxx......xxx....", //
    "xxx......xxx....", //
    "xxx......xxx....", //
    ".xxx....xxx.....", //
    ".xxxxxxxxxx.....", //
    "..xxxxxxxx......", //
    "....xxxx........", //
    "................", //
    "................", //
    "................", //
    "................", //
};

constexpr std::array<std::uint8_t, 3> kRingTexel = {31, 31, 143};
constexpr std::array<std::uint8_t, 3> kGroundTexel = {202, 202, 202};

struct Light {
    GLenum name;
    std::array<GLfloat, 4> position; // eye coordinates: set once, so the lights never turn
    std::array<GLfloat, 4> diffuse;
    std::array<GLfloat, 4> specular;
};

constexpr std::array<Light, 3> kLights = {{
    //  light      position (x, y, z, w)       diffuse                   specular
    {GL_LIGHT0, {0.0f, 0.0f, -16.0f, 1.0f}, {0.5f, 0.5f, 0.5f, 1.0f}, {0.3f, 0.3f, 0.3f, 1.0f}},
    {GL_LIGHT1, {0.0f, -1.0f, -6.0f, 1.0f}, {0.4f, 0.4f, 0.4f, 1.0f}, {0.1f, 0.1f, 0.1f, 1.0f}},
    {GL_LIGHT2, {0.0f, -0.5f, 1.0f, 1.0f}, {0.5f, 0.5f, 0.5f, 1.0f}, {0.1f, 0.1f, 0.1f, 1.0f}},
}};

constexpr std::array<GLfloat, 4> kAmbientLight = {0.1f, 0.1f, 0.1f, 1.0f};
constexpr std::array<GLfloat, 4> kFogColour = {0.0f, 0.0f, 0.0f, 1.0f};
constexpr GLfloat kFogDensity = 0.01f; // per unit of eye distance, exponential fog

} // namespace

void loadTexture(const char* fileName, TextureImage& image) {
    std::FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) {
        return;
    }
    // fread stops at the end of the file or at a read error (a directory, say); either way the
    // image keeps what was read so far.
    std::size_t filled = 0;
    while (filled < image.size()) {
        const std::size_t got = std::fread(image.data() + filled, 1, image.size() - filled, file);
        if (got == 0) {
            break;
        }
        filled += got;
    }
    std::fclose(file);
}

void buildRingPattern(RingPatternImage& image) {
    for (int row = 0; row < kRingPatternSize; ++row) {
        for (int column = 0; column < kRingPatternSize; ++column) {
            const auto& texel = ringPatternRows[row][column] == 'x' ? kRingTexel : kGroundTexel;
            const int offset = (row * kRingPatternSize + column) * 3;
            for (int channel = 0; channel < 3; ++channel) {
                image[offset + channel] = texel[channel];
            }
        }
    }
}

void initRenderState() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    for (const Light& light : kLights) {
        glLightfv(light.name, GL_POSITION, light.position.data());
        glLightfv(light.name, GL_DIFFUSE, light.diffuse.data());
        glLightfv(light.name, GL_SPECULAR, light.specular.data());
    }
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, kAmbientLight.data());
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHT2);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_COLOR_MATERIAL);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    loadTexture("texture1.rgb", texture1);
    loadTexture("texture2.rgb", texture2);
    buildRingPattern(ringPattern);

    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_EXP);
    glFogf(GL_FOG_DENSITY, kFogDensity);
    glFogfv(GL_FOG_COLOR, kFogColour.data());
}
