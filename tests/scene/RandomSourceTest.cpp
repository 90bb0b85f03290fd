#include "scene/RandomSource.h"
#include "GameFixture.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace {

// The generator's rule written out in 64-bit arithmetic with an explicit modulus, so the 32-bit
// wrap-around is spelled out here rather than inherited from the same unsigned overflow.
class ReferenceGenerator {
public:
    explicit ReferenceGenerator(std::uint64_t seed) : seed_(seed) {}

    int next() {
        seed_ = (seed_ * 214013u + 2531011u) % 4294967296u;
        return static_cast<int>((seed_ / 65536u) % 32768u);
    }

private:
    std::uint64_t seed_;
};

using RandomSourceTest = GameStateTest;

TEST_F(RandomSourceTest, StartsWithTheWellKnownSequenceOfSeedOne) {
    constexpr std::array<int, 10> expected = {41,    18467, 6334,  26500, 19169,
                                              15724, 11478, 29358, 26962, 24464};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(RandomSource::draw(), expected[i]);
    }
}

// Long enough for the seed to wrap past 2^32 many times over.
TEST_F(RandomSourceTest, FollowsTheRuleThroughManyWrapArounds) {
    ReferenceGenerator reference(1);
    for (int i = 0; i < 100000; ++i) {
        const int value = RandomSource::draw();
        ASSERT_EQ(value, reference.next()) << "draw " << i;
        ASSERT_GE(value, 0);
        ASSERT_LT(value, RandomSource::kRange);
    }
}

TEST_F(RandomSourceTest, ResetReplaysTheSequenceFromTheStart) {
    std::array<int, 50> first{};
    for (int& value : first) {
        value = RandomSource::draw();
    }
    RandomSource::reset();
    for (std::size_t i = 0; i < first.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(RandomSource::draw(), first[i]);
    }
    RandomSource::reset();
    EXPECT_EQ(RandomSource::draw(), 41);
}

TEST_F(RandomSourceTest, ResetToAnotherSeedContinuesFromThatSeed) {
    constexpr std::uint32_t seed = 0xFFFFFFF0u; // wraps on the very first step
    RandomSource::reset(seed);
    ReferenceGenerator reference(seed);
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(RandomSource::draw(), reference.next());
    }
}

} // namespace
