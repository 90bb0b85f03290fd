#pragma once

#include <array>
#include <cstdint>

constexpr int kTextureSize = 128;                              // texels per side
constexpr int kTextureBytes = kTextureSize * kTextureSize * 3; // tightly packed RGB
constexpr int kRingPatternSize = 16;                           // texels per side
constexpr int kRingPatternBytes = kRingPatternSize * kRingPatternSize * 3;

using TextureImage = std::array<std::uint8_t, kTextureBytes>;
using RingPatternImage = std::array<std::uint8_t, kRingPatternBytes>;

// Non-zero while textured objects are drawn textured; toggled by the player.
extern std::int32_t texturingEnabled;
extern TextureImage texture1;        // tunnel walls, from "texture1.rgb"
extern TextureImage texture2;        // red orbs, from "texture2.rgb"
extern RingPatternImage ringPattern; // green orbs, built from ringPatternRows

// Sets the fixed render state of the whole run and fills the three images. Needs a current context.
void initRenderState();

// Reads a raw image by its bare name from the working directory. A missing or unreadable file
// leaves the image as it was; a short one fills only its beginning; bytes past the image are
// ignored.
void loadTexture(const char* fileName, TextureImage& image);

void buildRingPattern(RingPatternImage& image);
