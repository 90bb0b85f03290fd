#pragma once

#include <cstdint>
#include <vector>

// The images the game has handed to gluBuild2DMipmaps, each kept as the texture a driver made of
// it, found again by its content. The game re-specifies the same few images for every band and
// orb, about 48 whole mipmap chains a frame; a driver may see that the image is one it already
// holds and skip the upload, and this is how the web build does. The handles are the renderer's
// texture names; this class makes no GL call.
class TextureCache {
public:
    static constexpr std::size_t kCapacity = 16; // images kept; the game uses three

    struct Image {
        int width = 0;
        int height = 0;
        std::uint32_t format = 0;             // GL_RGB or GL_RGBA
        const std::uint8_t* texels = nullptr; // not owned; width * height texels, tightly packed
        int bytesPerTexel = 0;
    };

    // The handle of the texture made from an image with the same size, format and texels, or 0.
    std::uint32_t find(const Image& image);
    // Keeps a copy of the image as the texture `handle`. Returns the handle of the least recently
    // found image, no longer kept, whose texture is to be deleted once drawn; or 0.
    std::uint32_t add(const Image& image, std::uint32_t handle);
    std::size_t size() const { return entries_.size(); }

private:
    struct Entry {
        int width;
        int height;
        std::uint32_t format;
        std::vector<std::uint8_t> texels;
        std::uint32_t handle;
        std::uint64_t lastUse;
    };

    std::vector<Entry> entries_;
    std::uint64_t uses_ = 0;
};
