#include "FrameStats.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

// Frame times that rise steadily from `from` to `to` ms, as the game's load does when more orbs
// come into view.
std::vector<double> ramp(std::size_t frames, double from, double to) {
    std::vector<double> ms;
    for (std::size_t i = 0; i < frames; ++i) {
        ms.push_back(from + (to - from) * static_cast<double>(i) / static_cast<double>(frames - 1));
    }
    return ms;
}

// Every `every`-th frame takes `factor` times as long: a regular hitch.
std::vector<double> withHitches(std::vector<double> ms, std::size_t every, double factor) {
    for (std::size_t i = every - 1; i < ms.size(); i += every) {
        ms[i] *= factor;
    }
    return ms;
}

} // namespace

TEST(FrameStats, NoFramesGiveZeros) {
    const FrameStats stats = FrameStats::of({});
    EXPECT_EQ(stats.frames, 0u);
    EXPECT_EQ(stats.medianMs, 0.0);
    EXPECT_EQ(stats.p99Ms, 0.0);
    EXPECT_EQ(stats.framesPerSecond, 0.0);
    EXPECT_EQ(stats.p99LocalRatio, 0.0);
}

TEST(FrameStats, MedianPercentileAndRateOfAPlainRun) {
    // 100 frames: 98 of 10 ms, one of 20 ms, one of 40 ms. The 99th percentile is the 99th of
    // 100 values by nearest rank, so the single slowest frame is left out but the next is not.
    std::vector<double> ms(98, 10.0);
    ms.insert(ms.begin() + 30, 40.0);
    ms.insert(ms.begin() + 60, 20.0);
    const FrameStats stats = FrameStats::of(ms);
    EXPECT_EQ(stats.frames, 100u);
    EXPECT_DOUBLE_EQ(stats.medianMs, 10.0);
    EXPECT_DOUBLE_EQ(stats.p99Ms, 20.0);
    EXPECT_DOUBLE_EQ(stats.framesPerSecond, 1000.0 * 100 / (98 * 10.0 + 20.0 + 40.0));
}

struct SpreadCase {
    std::string name;
    std::vector<double> ms;
    std::optional<double> globalRatio; // p99 / median over the whole run, where it is plain
    double localRatio;                 // p99 of each frame against its neighbourhood
};

void PrintTo(const SpreadCase& c, std::ostream* os) {
    *os << c.name;
}

class FrameStatsSpread : public ::testing::TestWithParam<SpreadCase> {};

TEST_P(FrameStatsSpread, LocalRatioSeparatesHitchesFromDrift) {
    const SpreadCase& c = GetParam();
    const FrameStats stats = FrameStats::of(c.ms);
    if (c.globalRatio) {
        EXPECT_NEAR(stats.p99Ms / stats.medianMs, *c.globalRatio, 0.01);
    }
    EXPECT_NEAR(stats.p99LocalRatio, c.localRatio, 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, FrameStatsSpread,
    ::testing::Values(
        // A load that doubles over the run looks like a wide spread overall, but no frame is
        // slower than the ones around it.
        SpreadCase{"drift", ramp(3000, 10.0, 20.0), 19.9 / 15.0, 1.0},
        // Hitches on a flat load show in both measures alike.
        SpreadCase{"hitches", withHitches(std::vector<double>(3000, 10.0), 20, 1.5), 1.5, 1.5},
        // Hitches on a drifting load: the local measure still finds them at their true size.
        SpreadCase{"hitches on drift", withHitches(ramp(3000, 10.0, 20.0), 20, 1.5), std::nullopt,
                   1.5}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& ch : name) {
            if (ch == ' ') {
                ch = '_';
            }
        }
        return name;
    });
