#pragma once

#include <cstdint>
#include <vector>

// The smaller images of a mipmap chain, made the way GLU makes them for sizes that are powers of
// two: each level halves the one above with a box filter that rounds to nearest, down to one
// texel. Emscripten's GL emulation has no gluBuild2DMipmaps, and WebGL's own mipmap generation
// filters as the driver likes, so the web build makes the levels here and uploads each one.
class MipmapChain {
public:
    struct Level {
        int width = 0;
        int height = 0;
        std::vector<std::uint8_t> texels; // tightly packed rows, `components` bytes a texel
    };

    // Level 0 is a copy of `texels`. Both sizes must be powers of two.
    MipmapChain(int width, int height, int components, const std::uint8_t* texels);

    static bool isPowerOfTwo(int size) { return size > 0 && (size & (size - 1)) == 0; }

    const std::vector<Level>& levels() const { return levels_; }

private:
    static Level halve(const Level& level, int components);

    std::vector<Level> levels_;
};
