#include "PaceStats.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(PaceStats, FewerThanTwoStartsGiveNothing) {
    EXPECT_EQ(PaceStats::of({}).intervals, 0u);
    EXPECT_EQ(PaceStats::of({12.0}).achievedFramesPerSecond, 0.0);
}

TEST(PaceStats, EvenStartsGiveTheirRate) {
    std::vector<double> starts;
    for (int i = 0; i <= 300; ++i) {
        starts.push_back(1000.0 + i * 1000.0 / 30);
    }
    const PaceStats stats = PaceStats::of(starts);
    EXPECT_EQ(stats.intervals, 300u);
    EXPECT_NEAR(stats.achievedFramesPerSecond, 30.0, 1e-9);
    EXPECT_NEAR(stats.medianIntervalMs, 33.333, 1e-3);
    EXPECT_NEAR(stats.p99IntervalMs, 33.333, 1e-3);
}

// One stall shows in the longest interval and, past one in a hundred, in the 99th percentile; the
// rate counts the time it lost.
TEST(PaceStats, StallsShowInTheTailAndTheRate) {
    std::vector<double> starts = {0};
    for (int i = 1; i <= 200; ++i) {
        const bool stall = i == 50 || i == 150 || i == 180;
        starts.push_back(starts.back() + (stall ? 100.0 : 10.0));
    }
    const PaceStats stats = PaceStats::of(starts);
    EXPECT_DOUBLE_EQ(stats.medianIntervalMs, 10.0);
    EXPECT_DOUBLE_EQ(stats.p99IntervalMs, 100.0);
    EXPECT_DOUBLE_EQ(stats.longestIntervalMs, 100.0);
    EXPECT_NEAR(stats.achievedFramesPerSecond, 1000.0 * 200 / (197 * 10.0 + 300.0), 1e-9);
}

} // namespace
