#include "web/TextureCache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr std::uint32_t kRgb = 0x1907;
constexpr std::uint32_t kRgba = 0x1908;

std::vector<std::uint8_t> pattern(int size, int seed) {
    std::vector<std::uint8_t> texels(static_cast<std::size_t>(size * size * 3));
    for (std::size_t i = 0; i < texels.size(); ++i) {
        texels[i] = static_cast<std::uint8_t>(i * 7 + static_cast<std::size_t>(seed));
    }
    return texels;
}

TextureCache::Image rgb(int size, const std::vector<std::uint8_t>& texels) {
    return {size, size, kRgb, texels.data(), 3};
}

// The game hands over the same arrays every time, but what counts is the content: a copy elsewhere
// is the same image, and a single texel changed, another size or another format is not.
TEST(TextureCacheTest, FindsAnImageByItsContent) {
    TextureCache cache;
    const std::vector<std::uint8_t> wall = pattern(4, 0);
    EXPECT_EQ(cache.find(rgb(4, wall)), 0u);
    EXPECT_EQ(cache.add(rgb(4, wall), 11), 0u);

    const std::vector<std::uint8_t> copy = wall;
    EXPECT_EQ(cache.find(rgb(4, copy)), 11u);

    std::vector<std::uint8_t> changed = wall;
    changed.back() ^= 1;
    EXPECT_EQ(cache.find(rgb(4, changed)), 0u);
    const std::vector<std::uint8_t> bigger(8 * 8 * 3, 0);
    EXPECT_EQ(cache.find(rgb(8, bigger)), 0u);
    // The same 48 bytes read as a 4 x 3 RGBA image: another image.
    EXPECT_EQ(cache.find({4, 3, kRgba, wall.data(), 4}), 0u);
    EXPECT_EQ(cache.size(), 1u);
}

// The comparison goes by blocks of words and then byte by byte: a change anywhere is seen.
TEST(TextureCacheTest, SeesAChangedByteAnywhere) {
    constexpr int kSide = 6; // 108 bytes: one block of 64, then a tail
    const std::vector<std::uint8_t> image = pattern(kSide, 3);
    TextureCache cache;
    cache.add(rgb(kSide, image), 7);
    for (const std::size_t at : {std::size_t{0}, std::size_t{9}, std::size_t{63}, std::size_t{64},
                                 std::size_t{100}, image.size() - 1}) {
        std::vector<std::uint8_t> changed = image;
        changed[at] ^= 0x80;
        EXPECT_EQ(cache.find(rgb(kSide, changed)), 0u) << "byte " << at << " changed";
    }
    EXPECT_EQ(cache.find(rgb(kSide, image)), 7u);
}

// Past its capacity the cache lets go of the image found longest ago and says which texture to
// delete; the images still in use stay.
TEST(TextureCacheTest, EvictsTheLeastRecentlyFoundImage) {
    TextureCache cache;
    std::vector<std::vector<std::uint8_t>> images;
    for (std::size_t i = 0; i <= TextureCache::kCapacity; ++i) {
        images.push_back(pattern(2, static_cast<int>(i) + 1));
    }
    for (std::size_t i = 0; i < TextureCache::kCapacity; ++i) {
        EXPECT_EQ(cache.add(rgb(2, images[i]), static_cast<std::uint32_t>(100 + i)), 0u);
    }
    EXPECT_EQ(cache.find(rgb(2, images[0])), 100u); // the first is in use again; the second is not
    EXPECT_EQ(cache.add(rgb(2, images.back()), 999), 101u);
    EXPECT_EQ(cache.size(), TextureCache::kCapacity);
    EXPECT_EQ(cache.find(rgb(2, images[1])), 0u);
    EXPECT_EQ(cache.find(rgb(2, images[0])), 100u);
    EXPECT_EQ(cache.find(rgb(2, images.back())), 999u);
}

} // namespace
