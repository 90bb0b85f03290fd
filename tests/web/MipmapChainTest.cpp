#include "web/MipmapChain.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(MipmapChainTest, HalvesDownToOneTexel) {
    const std::vector<std::uint8_t> image(128 * 128 * 3, 7);
    const MipmapChain chain(128, 128, 3, image.data());
    ASSERT_EQ(chain.levels().size(), 8u);
    int size = 128;
    for (const MipmapChain::Level& level : chain.levels()) {
        EXPECT_EQ(level.width, size);
        EXPECT_EQ(level.height, size);
        EXPECT_EQ(level.texels.size(), static_cast<std::size_t>(size * size * 3));
        EXPECT_EQ(level.texels.front(), 7) << "a flat image stays flat at size " << size;
        size /= 2;
    }
    EXPECT_EQ(chain.levels().front().texels, image);
}

// GLU's box filter: the four texels' sum plus 2, over 4, so halves round to nearest.
struct BoxCase {
    std::vector<std::uint8_t> texels; // a 2 x 2 one-component image, row by row
    std::uint8_t expected;
};

TEST(MipmapChainTest, BoxFilterRoundsToNearest) {
    const std::vector<BoxCase> cases = {
        {{0, 0, 0, 1}, 0},           {{0, 0, 1, 1}, 1},       {{0, 1, 1, 1}, 1}, {{1, 2, 2, 2}, 2},
        {{255, 255, 255, 255}, 255}, {{255, 0, 255, 0}, 128}, // 510 / 4 = 127.5 rounds up
    };
    for (const BoxCase& box : cases) {
        const MipmapChain chain(2, 2, 1, box.texels.data());
        ASSERT_EQ(chain.levels().size(), 2u);
        EXPECT_EQ(chain.levels()[1].texels.at(0), box.expected)
            << int{box.texels[0]} << " " << int{box.texels[1]} << " " << int{box.texels[2]} << " "
            << int{box.texels[3]};
    }
}

TEST(MipmapChainTest, EachChannelAndEachBlockIsFilteredOnItsOwn) {
    // 4 x 2 RGB: the left 2 x 2 block red, the right one blue.
    std::vector<std::uint8_t> image;
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 4; ++column) {
            const bool left = column < 2;
            image.insert(image.end(),
                         {std::uint8_t(left ? 200 : 0), 10, std::uint8_t(left ? 0 : 100)});
        }
    }
    const MipmapChain chain(4, 2, 3, image.data());
    ASSERT_EQ(chain.levels().size(), 3u);
    EXPECT_EQ(chain.levels()[1].texels, (std::vector<std::uint8_t>{200, 10, 0, 0, 10, 100}));
    // A side already one texel long: the last step averages two texels, rounding down.
    EXPECT_EQ(chain.levels()[2].texels, (std::vector<std::uint8_t>{100, 10, 50}));
}

TEST(MipmapChainTest, KnowsPowersOfTwo) {
    for (int size : {1, 2, 16, 128, 1024}) {
        EXPECT_TRUE(MipmapChain::isPowerOfTwo(size)) << size;
    }
    for (int size : {0, -2, 3, 12, 100, 129}) {
        EXPECT_FALSE(MipmapChain::isPowerOfTwo(size)) << size;
    }
}

} // namespace
